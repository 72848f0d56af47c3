// The current directory and the temporary directory.

#include "platform/win32/Handles.h"

#include <array>
#include <cerrno>
#include <climits>
#include <vector>

namespace koril::filesystem::platform {

Path currentDirectory() {
    // Doubled while the runtime reports a short buffer, so a directory of any length fits.
    int size = 1024;
    for (;;) {
        std::vector<wchar_t> buffer(static_cast<std::size_t>(size) + 1, L'\0');
        if (win32::systemCalls._wgetcwd(buffer.data(), size) != nullptr)
            return Path(String(std::wstring(buffer.data())));
        if (errno != ERANGE || size > INT_MAX / 2)
            return Path();
        size *= 2;
    }
}

bool setCurrentDirectory(Location location) {
    return win32::systemCalls._wchdir(win32::nativeOf(location).c_str()) == 0;
}

Path temporaryDirectory() {
    std::array<wchar_t, MAX_PATH> buffer{};
    DWORD const length =
        win32::systemCalls.GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    // 0 is a failure, and MAX_PATH or more the size of a path that did not fit.
    if (length == 0 || length >= buffer.size())
        return Path();
    return Path(String(std::wstring(buffer.data())));
}

} // namespace koril::filesystem::platform
