#ifndef KORIL_FILESYSTEM_PLATFORM_WIN32_HANDLES_H
#define KORIL_FILESYSTEM_PLATFORM_WIN32_HANDLES_H

// What the backend's files share: the owners of its handles, closed through the system-call
// table, and the state of a directory it holds open.

#include "platform/Platform.h"
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

namespace koril::filesystem::platform {

struct DirectoryState {
    Path path;
    // Where the directory's entries are named: its native path, to which a name is joined.
    std::wstring native;
    // Held for the walks, and shared for reading and writing only: while it is open the
    // directory can be neither renamed nor removed, so `native` keeps naming this directory.
    win32::FileHandle directory;
    win32::SearchHandle search;
    // FindFirstFileExW delivers the first record with the handle; it waits here until read.
    WIN32_FIND_DATAW record{};
    bool recordPending = false;
    // What reading answers once the search is over (or for a directory that is not listed).
    ReadResult finished = ReadResult::end;
    bool hasIdentity = false;
    DirectoryIdentity identity;
};

namespace win32 {

// The native string of a location: the held directory's native path joined with the name as
// the directory listed it, or the whole native path.
std::wstring nativeOf(Location location);

} // namespace win32

} // namespace koril::filesystem::platform

#endif
