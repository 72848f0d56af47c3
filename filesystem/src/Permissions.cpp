// Changing permissions: only the owner's write bit reaches the platform, as the read-only
// attribute.

#include "PathLocation.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

bool setPermissions(Path const& p, Permissions permissions) {
    return platform::setWritable(detail::PathLocation(p),
                                 (permissions & OwnerWrite) != NoPermissions);
}

} // namespace koril::filesystem
