#include "platform/Platform.h"

namespace koril::filesystem::platform {

PathLengthLimits const& pathLengthLimits() {
    // MAX_PATH, the long-path maximum, and the name length that remains of MAX_PATH once a
    // directory leaves room for an 8.3 name.
    static PathLengthLimits const limits{260, 32767, 260, 248};
    return limits;
}

} // namespace koril::filesystem::platform
