// The process's current directory.

#include "PathLocation.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

Path getCurrentDirectory() {
    return platform::currentDirectory();
}

bool setCurrentDirectory(Path const& p) {
    if (!exists(p))
        return false;
    return platform::setCurrentDirectory(detail::PathLocation(p));
}

} // namespace koril::filesystem
