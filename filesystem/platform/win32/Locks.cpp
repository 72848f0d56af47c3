// Whole-file locks, and whether a file is in use.

#include "platform/win32/Handles.h"

#include "platform/Platform.h"

namespace koril::filesystem::platform {

namespace {

// From the first byte to the largest offset there is, so that bytes the file gains while it is
// locked are covered too.
constexpr DWORD rangeOffsetLow = 0;
constexpr DWORD rangeOffsetHigh = 0;
constexpr DWORD rangeLengthLow = 0xFFFFFFFF;
constexpr DWORD rangeLengthHigh = 0xFFFFFFFF;

} // namespace

bool lockWholeFile(Path const& path, void*& handle) {
    // Sharing reads and writes keeps the file openable elsewhere; the byte-range lock is what
    // keeps others from its contents.
    HANDLE const file = win32::systemCalls.CreateFileW(
        path.nativeString().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle = file == INVALID_HANDLE_VALUE ? nullptr : file;
    // A failed open leaves the lock to fail on the invalid handle.
    return win32::systemCalls.LockFile(file, rangeOffsetLow, rangeOffsetHigh, rangeLengthLow,
                                       rangeLengthHigh) != 0;
}

void unlockWholeFile(void*& handle) noexcept {
    if (handle == nullptr)
        return;
    win32::systemCalls.UnlockFile(handle, rangeOffsetLow, rangeOffsetHigh, rangeLengthLow,
                                  rangeLengthHigh);
    win32::FileHandle const closer(handle);
    handle = nullptr;
}

bool isFileLocked(Path const& path) {
    std::wstring const native = path.nativeString();
    if (win32::systemCalls.PathIsDirectoryW(native.c_str()) != 0)
        return false;
    // Any open handle elsewhere, whatever its access, makes an open without sharing fail.
    win32::FileHandle const file(win32::systemCalls.CreateFileW(
        native.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file)
        return false;
    return win32::systemCalls.GetFileAttributesW(native.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace koril::filesystem::platform
