#ifndef KORIL_FILESYSTEM_PLATFORM_WIN32_SYSTEMCALLS_H
#define KORIL_FILESYSTEM_PLATFORM_WIN32_SYSTEMCALLS_H

// Every Win32, shell and runtime-library call of the Win32 backend, in one table of function
// pointers. The backend calls the system only through `systemCalls`; tests replace entries to
// count calls or to make one fail with a chosen error (the table is internal: the DLL does not
// export it).
//
// KORIL_WIN32_SYSTEM_CALLS(X) lists each entry as
//     X(result type, name, (parameters), (arguments), value returned on failure, error channel)
// where the channel says how a failing call reports its error: `lastError` (SetLastError),
// `errnoValue` (errno) or `returnedError` (the error number is the result itself).

#include <windows.h>

#include <shlwapi.h>

#include <stdio.h>
#include <time.h>

#include <fstream>

#define KORIL_WIN32_SYSTEM_CALLS(X)                                                                \
    X(HANDLE, CreateFileW,                                                                         \
      (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition, \
       DWORD flags, HANDLE templateFile),                                                          \
      (path, access, share, security, disposition, flags, templateFile), INVALID_HANDLE_VALUE,     \
      lastError)                                                                                   \
    X(BOOL, CloseHandle, (HANDLE handle), (handle), FALSE, lastError)                              \
    X(BOOL, GetFileAttributesExW, (LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data),       \
      (path, level, data), FALSE, lastError)                                                       \
    X(DWORD, GetFileAttributesW, (LPCWSTR path), (path), INVALID_FILE_ATTRIBUTES, lastError)       \
    X(BOOL, GetFileInformationByHandle, (HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information), \
      (handle, information), FALSE, lastError)                                                     \
    X(HANDLE, FindFirstFileExW,                                                                    \
      (LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS search,           \
       LPVOID filter, DWORD flags),                                                                \
      (pattern, level, data, search, filter, flags), INVALID_HANDLE_VALUE, lastError)              \
    X(BOOL, FindNextFileW, (HANDLE search, LPWIN32_FIND_DATAW data), (search, data), FALSE,        \
      lastError)                                                                                   \
    X(BOOL, FindClose, (HANDLE search), (search), FALSE, lastError)                                \
    X(BOOL, CopyFileW, (LPCWSTR from, LPCWSTR to, BOOL failIfExists), (from, to, failIfExists),    \
      FALSE, lastError)                                                                            \
    X(BOOL, DeleteFileW, (LPCWSTR path), (path), FALSE, lastError)                                 \
    X(BOOLEAN, CreateSymbolicLinkW, (LPCWSTR link, LPCWSTR target, DWORD flags),                   \
      (link, target, flags), FALSE, lastError)                                                     \
    X(DWORD, GetFinalPathNameByHandleW,                                                            \
      (HANDLE handle, LPWSTR buffer, DWORD capacity, DWORD flags),                                 \
      (handle, buffer, capacity, flags), 0, lastError)                                             \
    X(BOOL, GetFileTime,                                                                           \
      (HANDLE handle, LPFILETIME creation, LPFILETIME access, LPFILETIME write),                   \
      (handle, creation, access, write), FALSE, lastError)                                         \
    X(BOOL, SetFileTime,                                                                           \
      (HANDLE handle, FILETIME const* creation, FILETIME const* access, FILETIME const* write),    \
      (handle, creation, access, write), FALSE, lastError)                                         \
    X(BOOL, LockFile,                                                                              \
      (HANDLE handle, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow, DWORD lengthHigh),       \
      (handle, offsetLow, offsetHigh, lengthLow, lengthHigh), FALSE, lastError)                    \
    X(BOOL, UnlockFile,                                                                            \
      (HANDLE handle, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow, DWORD lengthHigh),       \
      (handle, offsetLow, offsetHigh, lengthLow, lengthHigh), FALSE, lastError)                    \
    X(BOOL, GetVolumeInformationW,                                                                 \
      (LPCWSTR root, LPWSTR name, DWORD nameSize, LPDWORD serial, LPDWORD maximumComponentLength,  \
       LPDWORD flags, LPWSTR fileSystemName, DWORD fileSystemNameSize),                            \
      (root, name, nameSize, serial, maximumComponentLength, flags, fileSystemName,                \
       fileSystemNameSize),                                                                        \
      FALSE, lastError)                                                                            \
    X(DWORD, GetTempPathW, (DWORD capacity, LPWSTR buffer), (capacity, buffer), 0, lastError)      \
    X(BOOL, FileTimeToSystemTime, (FILETIME const* fileTime, LPSYSTEMTIME systemTime),             \
      (fileTime, systemTime), FALSE, lastError)                                                    \
    X(BOOL, SystemTimeToFileTime, (SYSTEMTIME const* systemTime, LPFILETIME fileTime),             \
      (systemTime, fileTime), FALSE, lastError)                                                    \
    X(BOOL, SystemTimeToTzSpecificLocalTime,                                                       \
      (TIME_ZONE_INFORMATION const* zone, SYSTEMTIME const* universal, LPSYSTEMTIME local),        \
      (zone, universal, local), FALSE, lastError)                                                  \
    X(BOOL, TzSpecificLocalTimeToSystemTime,                                                       \
      (TIME_ZONE_INFORMATION const* zone, SYSTEMTIME const* local, LPSYSTEMTIME universal),        \
      (zone, local, universal), FALSE, lastError)                                                  \
    X(DWORD, GetLastError, (), (), 0, lastError)                                                   \
    X(BOOL, PathFileExistsW, (LPCWSTR path), (path), FALSE, lastError)                             \
    X(BOOL, PathIsDirectoryW, (LPCWSTR path), (path), FALSE, lastError)                            \
    X(int, _wmkdir, (wchar_t const* path), (path), -1, errnoValue)                                 \
    X(int, _wrmdir, (wchar_t const* path), (path), -1, errnoValue)                                 \
    X(int, _wrename, (wchar_t const* from, wchar_t const* to), (from, to), -1, errnoValue)         \
    X(int, _wchmod, (wchar_t const* path, int mode), (path, mode), -1, errnoValue)                 \
    X(int, _wchdir, (wchar_t const* path), (path), -1, errnoValue)                                 \
    X(wchar_t*, _wgetcwd, (wchar_t * buffer, int size), (buffer, size), nullptr, errnoValue)       \
    X(FILE*, _wfopen, (wchar_t const* path, wchar_t const* mode), (path, mode), nullptr,           \
      errnoValue)                                                                                  \
    X(errno_t, _wsplitpath_s,                                                                      \
      (wchar_t const* path, wchar_t* drive, size_t driveSize, wchar_t* directory,                  \
       size_t directorySize, wchar_t* name, size_t nameSize, wchar_t* extension,                   \
       size_t extensionSize),                                                                      \
      (path, drive, driveSize, directory, directorySize, name, nameSize, extension,                \
       extensionSize),                                                                             \
      EINVAL, returnedError)                                                                       \
    X(__time64_t, _time64, (__time64_t * time), (time), -1, errnoValue)                            \
    X(errno_t, _localtime64_s, (struct tm * local, __time64_t const* time), (local, time), EINVAL, \
      returnedError)                                                                               \
    X(__time64_t, _mktime64, (struct tm * local), (local), -1, errnoValue)                         \
    X(bool, openFileBuffer,                                                                        \
      (std::filebuf & buffer, wchar_t const* path, std::ios_base::openmode mode),                  \
      (buffer, path, mode), false, errnoValue)

namespace koril::filesystem::platform::win32 {

struct SystemCalls {
#define KORIL_WIN32_SYSTEM_CALL_ENTRY(result, name, parameters, arguments, failure, channel)       \
    result(WINAPI* name) parameters;
    KORIL_WIN32_SYSTEM_CALLS(KORIL_WIN32_SYSTEM_CALL_ENTRY)
#undef KORIL_WIN32_SYSTEM_CALL_ENTRY
};

// The table the backend calls through; it starts with the real calls.
extern SystemCalls systemCalls;
// The real calls, for tests that wrap an entry and then call through.
extern SystemCalls const realSystemCalls;

} // namespace koril::filesystem::platform::win32

#endif
