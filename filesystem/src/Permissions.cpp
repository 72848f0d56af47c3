// Changing permissions: only the owner's write bit reaches the platform, as the read-only
// attribute.

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

bool setPermissions(Path const& p, Permissions permissions) {
    int const mode = (permissions & OwnerWrite) != NoPermissions ? platform::modeWrite : 0;
    return platform::wchmod(p.nativeString(), mode) == 0;
}

} // namespace koril::filesystem
