// The process's current directory.

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

#include <cstdint>
#include <limits>

namespace koril::filesystem {

Path getCurrentDirectory() {
    // Doubled while the runtime reports a short buffer, so a directory of any length fits.
    std::uint32_t capacity = 1024;
    while (true) {
        std::wstring directory;
        int errorNumber = 0;
        if (platform::wgetcwd(capacity, directory, errorNumber))
            return Path(String(directory));
        if (errorNumber != platform::errorRange ||
            capacity > std::numeric_limits<std::uint32_t>::max() / 2)
            return Path();
        capacity *= 2;
    }
}

bool setCurrentDirectory(Path const& p) {
    if (!exists(p))
        return false;
    return platform::wchdir(p.nativeString()) == 0;
}

} // namespace koril::filesystem
