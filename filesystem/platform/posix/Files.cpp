// Creating, removing, copying and renaming, all through `*at` calls relative to a location.

#include "platform/posix/Handles.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace koril::filesystem::platform {

using namespace posix;

namespace {

bool fail(int error) {
    errno = error;
    return false;
}

bool readOnly(struct stat const& info) {
    return !S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

// Renames without ever replacing: renameat2 where the kernel and file system have it, else a
// hard link and unlink for a non-directory (still atomic), else a check before the rename.
bool renameNoReplace(int fromDirectory, char const* from, int toDirectory, char const* to) {
    if (systemCalls.renameat2(fromDirectory, from, toDirectory, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    struct stat info;
    if (systemCalls.fstatat(fromDirectory, from, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        if (systemCalls.linkat(fromDirectory, from, toDirectory, to, 0) == 0) {
            if (systemCalls.unlinkat(fromDirectory, from, 0) == 0)
                return true;
            int const error = errno;
            systemCalls.unlinkat(toDirectory, to, 0);
            return fail(error);
        }
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
            return false;
    }
    if (systemCalls.fstatat(toDirectory, to, &info, AT_SYMLINK_NOFOLLOW) == 0)
        return fail(EEXIST);
    return errno == ENOENT && systemCalls.renameat(fromDirectory, from, toDirectory, to) == 0;
}

// The file a copy writes, created exclusively with `mode` (less the umask, as any new file, so
// that no later call has to set it): under the destination's own name, or under a hidden name
// beside it when the destination may exist and has to be replaced only once the copy is whole.
// It is removed again unless the copy keeps it.
class NewFile {
public:
    NewFile(int directory, std::string const& destination, mode_t mode, bool hidden)
        : directory_(directory) {
        if (hidden) {
            createHidden(destination, mode);
        } else {
            name_ = destination;
            descriptor_.reset(openAt(directory, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode));
        }
        if (!descriptor_)
            name_.clear();
    }
    NewFile(NewFile const&) = delete;
    NewFile& operator=(NewFile const&) = delete;
    ~NewFile() {
        descriptor_.reset();
        if (!name_.empty()) {
            int const saved = errno;
            systemCalls.unlinkat(directory_, name_.c_str(), 0);
            errno = saved;
        }
    }
    int fd() const { return descriptor_.get(); }
    char const* name() const { return name_.c_str(); }
    // Closes the file, reporting the error a delayed write may bring.
    bool close() { return systemCalls.close(descriptor_.release()) == 0; }
    // The copy keeps the file: nothing is left to remove.
    void keep() { name_.clear(); }

private:
    // Under a unique name in the destination's folder, tried again while the name is taken.
    void createHidden(std::string const& destination, mode_t mode) {
        static std::atomic<unsigned> counter{0};
        std::string const folder = destination.substr(0, destination.find_last_of('/') + 1);
        for (int attempt = 0; attempt < 100 && !descriptor_; ++attempt) {
            auto const clock = std::chrono::steady_clock::now().time_since_epoch().count();
            char unique[40];
            std::snprintf(unique, sizeof unique, ".koril-copy-%x%llx", counter++,
                          static_cast<unsigned long long>(clock) & 0xFFFFFFFFull);
            name_ = folder + unique;
            descriptor_.reset(openAt(directory_, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode));
            if (!descriptor_ && errno != EEXIST)
                break;
        }
    }

    int directory_;
    Descriptor descriptor_;
    std::string name_;
};

bool writeAll(int fd, char const* bytes, std::size_t size) {
    while (size > 0) {
        ssize_t const written =
            retryInterrupted([&] { return systemCalls.write(fd, bytes, size); });
        if (written < 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool copyByReading(int from, NewFile const& to) {
    std::unique_ptr<char[]> const buffer(new char[1 << 17]);
    for (;;) {
        ssize_t const got =
            retryInterrupted([&] { return systemCalls.read(from, buffer.get(), 1 << 17); });
        if (got <= 0)
            return got == 0;
        if (!writeAll(to.fd(), buffer.get(), static_cast<std::size_t>(got)))
            return false;
    }
}

// Copies `size` bytes, or what there is, from the current offsets of `from`: in the kernel where
// it can, by reading and writing only where the kernel says it cannot copy these files. A size
// of 0 may be a file that reports none (in /proc, for one): it is copied to its end.
bool copyContents(int from, off_t size, NewFile const& to) {
    off_t copiedTotal = 0;
    for (;;) {
        ssize_t const copied = retryInterrupted([&] {
            return systemCalls.copy_file_range(from, nullptr, to.fd(), nullptr, 1 << 30, 0);
        });
        if (copied > 0) {
            copiedTotal += copied;
            if (size > 0 && copiedTotal >= size)
                return true;
            continue;
        }
        if (copied == 0)
            return copiedTotal > 0 || copyByReading(from, to);
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return false;
        return copyByReading(from, to);
    }
}

} // namespace

bool makeDirectory(Location location) {
    return systemCalls.mkdirat(directoryOf(location), location.name.c_str(), 0777) == 0;
}

namespace {

// Removes what `info` (fstatat without following) says the location is: a link as itself, a
// directory unless read-only, a file unless read-only or held by a `FileLock`.
bool removeAsStatted(Location location, struct stat const& info) {
    int flags = 0;
    if (S_ISDIR(info.st_mode)) {
        if (readOnly(info))
            return fail(EACCES);
        flags = AT_REMOVEDIR;
    } else if (!S_ISLNK(info.st_mode) && (readOnly(info) || heldByFileLock(info))) {
        return fail(EACCES);
    }
    return systemCalls.unlinkat(directoryOf(location), location.name.c_str(), flags) == 0;
}

} // namespace

bool removeDirectory(Location location) {
    struct stat info;
    if (!statAt(location, info, AT_SYMLINK_NOFOLLOW))
        return false;
    if (S_ISLNK(info.st_mode)) {
        // A link to a directory goes as Windows removes a directory link: the link alone.
        struct stat target;
        if (!statAt(location, target, 0) || !S_ISDIR(target.st_mode))
            return fail(ENOTDIR);
    } else if (!S_ISDIR(info.st_mode)) {
        return fail(ENOTDIR);
    }
    return removeAsStatted(location, info);
}

bool removeFile(Location location) {
    struct stat info;
    if (!statAt(location, info, AT_SYMLINK_NOFOLLOW))
        return false;
    if (S_ISDIR(info.st_mode))
        return fail(EISDIR);
    return removeAsStatted(location, info);
}

// Windows asks whether the path exists and whether it is a directory, then removes it as one or
// as a file; for a link that leads both ways to deleting the link alone, so one stat decides.
bool removeEntry(Location location) {
    struct stat info;
    return statAt(location, info, AT_SYMLINK_NOFOLLOW) && removeAsStatted(location, info);
}

bool copyFile(Location from, Location to, bool failIfExists, bool followLinks) {
    Descriptor const source(
        openAt(directoryOf(from), from.name.c_str(),
               O_RDONLY | O_NOCTTY | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW)));
    struct stat sourceInfo;
    if (!source || systemCalls.fstat(source.get(), &sourceInfo) != 0)
        return false;
    if (!S_ISREG(sourceInfo.st_mode) || heldByFileLock(sourceInfo))
        return fail(EACCES);

    // With `failIfExists` an existing destination makes the exclusive creation below fail;
    // without, it is looked at first, since Windows writes the destination in place: a directory, a
    // read-only file, the source itself (under any of its names) and a locked file refuse that.
    if (!failIfExists) {
        struct stat existing;
        if (statAt(to, existing, AT_SYMLINK_NOFOLLOW)) {
            if (S_ISDIR(existing.st_mode) || readOnly(existing) ||
                (existing.st_dev == sourceInfo.st_dev && existing.st_ino == sourceInfo.st_ino) ||
                (!S_ISLNK(existing.st_mode) && heldByFileLock(existing)))
                return fail(EACCES);
        } else if (errno != ENOENT) {
            return false;
        }
    }

    // The copy gets the source's permissions, so that a read-only source gives a read-only copy,
    // and its last-write time, as `CopyFileW` gives them. A copy that must not replace anything
    // is written where it belongs, as `CopyFileW` writes it, and removed if it fails; one that
    // replaces a file does so only once it is whole.
    NewFile copy(directoryOf(to), to.name, sourceInfo.st_mode & 0777, !failIfExists);
    if (copy.fd() < 0 || !copyContents(source.get(), sourceInfo.st_size, copy))
        return false;
    struct timespec const times[2] = {{0, UTIME_OMIT}, sourceInfo.st_mtim};
    if (systemCalls.futimens(copy.fd(), times) != 0 || !copy.close())
        return false;
    if (!failIfExists &&
        systemCalls.renameat(directoryOf(to), copy.name(), directoryOf(to), to.name.c_str()) != 0)
        return false;
    copy.keep();
    return true;
}

bool rename(Location from, Location to) {
    struct stat info;
    if (anyFileLockHeld() && statAt(from, info, AT_SYMLINK_NOFOLLOW) && !S_ISLNK(info.st_mode) &&
        heldByFileLock(info))
        return fail(EACCES);
    return renameNoReplace(directoryOf(from), from.name.c_str(), directoryOf(to), to.name.c_str());
}

bool setWritable(Location location, bool writable) {
    struct stat info;
    if (!statAt(location, info, 0))
        return false;
    mode_t const mode = writable ? (info.st_mode & 07777) | S_IWUSR
                                 : info.st_mode & 07777 & ~(S_IWUSR | S_IWGRP | S_IWOTH);
    return systemCalls.fchmodat(directoryOf(location), location.name.c_str(), mode, 0) == 0;
}

bool createSymbolicLink(Path const& target, Path const& link, std::uint32_t& error) {
    // POSIX links have no kind: the target is stored as given, a relative one stays relative.
    NativeName const targetName = nativeOf(target);
    NativeName const linkName = nativeOf(link);
    if (systemCalls.symlinkat(targetName.c_str(), AT_FDCWD, linkName.c_str()) == 0)
        return true;
    error = static_cast<std::uint32_t>(errno);
    return false;
}

} // namespace koril::filesystem::platform
