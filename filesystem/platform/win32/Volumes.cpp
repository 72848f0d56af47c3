// Path length limits and what a volume allows.

#include "platform/win32/SystemCalls.h"

#include "platform/Platform.h"

namespace koril::filesystem::platform {

PathLengthLimits const& pathLengthLimits() {
    // MAX_PATH, the long-path maximum, and the name length that remains of MAX_PATH once a
    // directory leaves room for an 8.3 name.
    static PathLengthLimits const limits{260, 32767, 260, 248};
    return limits;
}

bool volumeMaximumNameLength(String const& rootPath, std::uint32_t& length) {
    DWORD maximum = 0;
    if (win32::systemCalls.GetVolumeInformationW(rootPath.toNativeString().c_str(), nullptr, 0,
                                                 nullptr, &maximum, nullptr, nullptr, 0) != 1)
        return false;
    length = maximum;
    return true;
}

} // namespace koril::filesystem::platform
