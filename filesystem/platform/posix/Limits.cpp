#include "platform/Platform.h"

namespace koril::filesystem::platform {

PathLengthLimits const& pathLengthLimits() {
    // POSIX bounds paths and names in bytes (PATH_MAX per call, NAME_MAX per name). A UTF-8 byte
    // count is never below the UTF-16 unit count, so these limits refuse nothing the kernel
    // accepts; the long-path switch has nothing to choose between.
    static PathLengthLimits const limits{32767, 32767, 32767, 255};
    return limits;
}

} // namespace koril::filesystem::platform
