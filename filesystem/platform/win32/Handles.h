#ifndef KORIL_FILESYSTEM_PLATFORM_WIN32_HANDLES_H
#define KORIL_FILESYSTEM_PLATFORM_WIN32_HANDLES_H

// The owners of the backend's handles, closed through the system-call table.

#include "platform/UniqueHandle.h"
#include "platform/win32/SystemCalls.h"

#include <string>

namespace koril::filesystem::platform::win32 {

struct FileHandleTraits {
    using Value = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) noexcept { systemCalls.CloseHandle(handle); }
};

struct SearchHandleTraits {
    using Value = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) noexcept { systemCalls.FindClose(handle); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using SearchHandle = UniqueHandle<SearchHandleTraits>;

// Opens an existing file or directory to ask about it, admitting other readers only: asks
// PathIsDirectoryW first, since a directory opens only with backup semantics.
FileHandle openForQuery(std::wstring const& native, DWORD access);

} // namespace koril::filesystem::platform::win32

#endif
