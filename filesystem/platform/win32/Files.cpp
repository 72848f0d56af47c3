// Handles, copies, deletion and links of the Win32 target.

#include "platform/Platform.h"

#include <windows.h>

namespace koril::filesystem::platform {

Handle createFile(std::wstring const& path, std::uint32_t access, std::uint32_t shareMode,
                  std::uint32_t disposition, std::uint32_t flags) {
    return CreateFileW(path.c_str(), access, shareMode, nullptr, disposition, flags, nullptr);
}

void closeHandle(Handle handle) {
    CloseHandle(handle);
}

std::uint32_t getFinalPathNameByHandle(Handle handle, wchar_t* buffer, std::uint32_t capacity) {
    return GetFinalPathNameByHandleW(handle, buffer, capacity, 0);
}

bool lockFile(Handle handle, std::uint32_t offsetLow, std::uint32_t offsetHigh,
              std::uint32_t lengthLow, std::uint32_t lengthHigh) {
    return LockFile(handle, offsetLow, offsetHigh, lengthLow, lengthHigh) != 0;
}

bool unlockFile(Handle handle, std::uint32_t offsetLow, std::uint32_t offsetHigh,
                std::uint32_t lengthLow, std::uint32_t lengthHigh) {
    return UnlockFile(handle, offsetLow, offsetHigh, lengthLow, lengthHigh) != 0;
}

bool copyFile(std::wstring const& from, std::wstring const& to, bool failIfExists) {
    return CopyFileW(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool deleteFile(std::wstring const& path) {
    return DeleteFileW(path.c_str()) != 0;
}

bool createSymbolicLink(std::wstring const& link, std::wstring const& target, std::uint32_t flags) {
    return CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) != 0;
}

std::uint32_t getLastError() {
    return GetLastError();
}

} // namespace koril::filesystem::platform
