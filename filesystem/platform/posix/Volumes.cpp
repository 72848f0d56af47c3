// Length limits. POSIX bounds paths and names in bytes, and a UTF-8 byte count is never below the
// UTF-16 unit count, so these limits refuse nothing that the kernel accepts; the long-path switch
// has nothing to choose between.

#include "platform/posix/Handles.h"

namespace koril::filesystem::platform {

using namespace posix;

PathLengthLimits const& pathLengthLimits() {
    static PathLengthLimits const limits{32767, 32767, 32767, 255};
    return limits;
}

bool volumeMaximumNameLength(String const& rootPath, std::uint32_t& length) {
    NativeName root = nativeOf(rootPath.toNativeString());
    if (root.empty() && !rootPath.empty())
        return false; // a drive that is not mapped, a UNC root
    if (root.empty() || root.front() != '/')
        root = ".";
    long const maximum = systemCalls.pathconf(root.c_str(), _PC_NAME_MAX);
    if (maximum <= 0)
        return false;
    length = static_cast<std::uint32_t>(maximum);
    return true;
}

} // namespace koril::filesystem::platform
