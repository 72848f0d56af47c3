#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_HANDLES_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_HANDLES_H

// What the backend's files share: the owners of descriptors and directory streams, and the places
// of `*at` calls.

#include "platform/Platform.h"
#include "platform/UniqueHandle.h"
#include "platform/posix/SystemCalls.h"

#include <cerrno>

namespace koril::filesystem::platform {

namespace posix {

// Closing never changes `errno`, so that a failure can be reported after the descriptors of the
// failed operation are gone. Linux releases a descriptor even when close fails: never retried.
struct DescriptorTraits {
    using Value = int;
    static constexpr int invalid() noexcept { return -1; }
    static void close(int fd) noexcept {
        int const saved = errno;
        systemCalls.close(fd);
        errno = saved;
    }
};
using Descriptor = UniqueHandle<DescriptorTraits>;

struct DirectoryStreamTraits {
    using Value = DIR*;
    static constexpr DIR* invalid() noexcept { return nullptr; }
    static void close(DIR* stream) noexcept {
        int const saved = errno;
        systemCalls.closedir(stream);
        errno = saved;
    }
};
using DirectoryStream = UniqueHandle<DirectoryStreamTraits>;

// Repeats a call that a signal interrupted, for the calls that POSIX lets fail with EINTR
// (open, read, write, ftruncate, flock, copy_file_range).
template <class Call> auto retryInterrupted(Call call) {
    for (;;) {
        auto const result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}

// Opens with `flags` (close-on-exec always), retrying interruptions.
inline int openAt(int directory, char const* name, int flags, mode_t mode = 0) {
    return retryInterrupted(
        [&] { return systemCalls.openat(directory, name, flags | O_CLOEXEC, mode); });
}

inline Attributes attributesOf(struct stat const& info) {
    Attributes attributes;
    if (S_ISLNK(info.st_mode))
        attributes.bits = attributeReparsePoint;
    else if (S_ISDIR(info.st_mode))
        attributes.bits = attributeDirectory;
    else
        attributes.size = static_cast<std::uint64_t>(info.st_size);
    if (!S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0)
        attributes.bits |= attributeReadOnly;
    if (attributes.bits == 0)
        attributes.bits = attributeNormal;
    return attributes;
}

// Whether a `FileLock` of this process holds the file, and whether any holds a file at all.
bool heldByFileLock(struct stat const& info);
bool anyFileLockHeld() noexcept;

// The path of the object that `name` finally names, as the kernel resolves it (open with
// O_PATH, read /proc/self/fd/N, close); `info` receives its status when given.
bool resolvedPath(int directory, char const* name, std::string& path, struct stat* info = nullptr);

// The library path of an absolute POSIX path: in drive form below a mapped directory (the
// deepest), else `\dir\file`.
Path libraryPathOf(std::string const& absolute);

// The current directory's bytes, of any length; empty on failure.
std::string workingDirectory();

} // namespace posix

// An open directory: its library path, its descriptor (the place of `*at` calls) and, once it is
// listed, the stream that owns the descriptor.
struct DirectoryState {
    Path path;
    DirectoryUse use;
    int fd;
    posix::Descriptor descriptor;
    posix::DirectoryStream stream;
};

namespace posix {

// The directory that the `*at` calls of a location are relative to.
inline int directoryOf(Location location) {
    return location.directory != nullptr ? location.directory->state()->fd : AT_FDCWD;
}

inline bool statAt(Location location, struct stat& info, int flags) {
    return systemCalls.fstatat(directoryOf(location), location.name.c_str(), &info, flags) == 0;
}

} // namespace posix

} // namespace koril::filesystem::platform

#endif
