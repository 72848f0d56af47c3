#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_SYSTEMCALLS_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_SYSTEMCALLS_H

// Every system call of the POSIX backend, in one table of function pointers. The backend calls
// the system only through `systemCalls`; tests replace entries to count calls or to make one
// fail with a chosen `errno` (the table is internal: the shipped library does not export it).
//
// KORIL_POSIX_SYSTEM_CALLS(X) lists each entry as
//     X(result type, name, (parameters), (arguments), value returned on failure)
// A failing call returns that value and sets `errno`.

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h> // NOLINT(modernize-deprecated-headers): fdopen is POSIX, not in <cstdio>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>

#define KORIL_POSIX_SYSTEM_CALLS(X)                                                                \
    X(int, openat, (int directory, char const* path, int flags, mode_t mode),                      \
      (directory, path, flags, mode), -1)                                                          \
    X(int, close, (int fd), (fd), -1)                                                              \
    X(ssize_t, read, (int fd, void* buffer, std::size_t count), (fd, buffer, count), -1)           \
    X(ssize_t, write, (int fd, void const* buffer, std::size_t count), (fd, buffer, count), -1)    \
    X(ssize_t, copy_file_range,                                                                    \
      (int in, off64_t* inOffset, int out, off64_t* outOffset, std::size_t count,                  \
       unsigned int flags),                                                                        \
      (in, inOffset, out, outOffset, count, flags), -1)                                            \
    X(int, fstat, (int fd, struct stat* info), (fd, info), -1)                                     \
    X(int, fstatat, (int directory, char const* path, struct stat* info, int flags),               \
      (directory, path, info, flags), -1)                                                          \
    X(int, fchmod, (int fd, mode_t mode), (fd, mode), -1)                                          \
    X(int, fchmodat, (int directory, char const* path, mode_t mode, int flags),                    \
      (directory, path, mode, flags), -1)                                                          \
    X(int, futimens, (int fd, struct timespec const* times), (fd, times), -1)                      \
    X(int, utimensat, (int directory, char const* path, struct timespec const* times, int flags),  \
      (directory, path, times, flags), -1)                                                         \
    X(int, ftruncate, (int fd, off_t length), (fd, length), -1)                                    \
    X(int, mkdirat, (int directory, char const* path, mode_t mode), (directory, path, mode), -1)   \
    X(int, unlinkat, (int directory, char const* path, int flags), (directory, path, flags), -1)   \
    X(int, renameat, (int fromDirectory, char const* from, int toDirectory, char const* to),       \
      (fromDirectory, from, toDirectory, to), -1)                                                  \
    X(int, renameat2,                                                                              \
      (int fromDirectory, char const* from, int toDirectory, char const* to, unsigned int flags),  \
      (fromDirectory, from, toDirectory, to, flags), -1)                                           \
    X(int, linkat,                                                                                 \
      (int fromDirectory, char const* from, int toDirectory, char const* to, int flags),           \
      (fromDirectory, from, toDirectory, to, flags), -1)                                           \
    X(int, symlinkat, (char const* target, int directory, char const* link),                       \
      (target, directory, link), -1)                                                               \
    X(ssize_t, readlinkat, (int directory, char const* path, char* buffer, std::size_t size),      \
      (directory, path, buffer, size), -1)                                                         \
    X(DIR*, fdopendir, (int fd), (fd), nullptr)                                                    \
    X(struct dirent*, readdir, (DIR * stream), (stream), nullptr)                                  \
    X(int, closedir, (DIR * stream), (stream), -1)                                                 \
    X(int, flock, (int fd, int operation), (fd, operation), -1)                                    \
    X(FILE*, fdopen, (int fd, char const* mode), (fd, mode), nullptr)                              \
    X(char*, getcwd, (char* buffer, std::size_t size), (buffer, size), nullptr)                    \
    X(int, chdir, (char const* path), (path), -1)                                                  \
    X(int, fchdir, (int fd), (fd), -1)                                                             \
    X(long, pathconf, (char const* path, int name), (path, name), -1)                              \
    X(bool, openFileBuffer,                                                                        \
      (std::filebuf & buffer, char const* path, std::ios_base::openmode mode),                     \
      (buffer, path, mode), false)

namespace koril::filesystem::platform::posix {

struct SystemCalls {
// `result` is a type and `parameters` a parenthesised list: neither takes more parentheses.
#define KORIL_POSIX_SYSTEM_CALL_ENTRY(result, name, parameters, arguments, failure)                \
    result(*name) parameters; // NOLINT(bugprone-macro-parentheses)
    KORIL_POSIX_SYSTEM_CALLS(KORIL_POSIX_SYSTEM_CALL_ENTRY)
#undef KORIL_POSIX_SYSTEM_CALL_ENTRY
};

// The table the backend calls through; it starts with the real calls.
extern SystemCalls systemCalls;
// The real calls, for tests that wrap an entry and then call through.
extern SystemCalls const realSystemCalls;

} // namespace koril::filesystem::platform::posix

#endif
