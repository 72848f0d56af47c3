// File handles of the POSIX target: opening with emulated share modes, final paths and times.

#include "platform/Platform.h"

#include "platform/posix/FileTime.h"
#include "platform/posix/HandleRegistry.h"
#include "platform/posix/LastError.h"
#include "platform/posix/PathTranslation.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace koril::filesystem::platform {

namespace {

// Whether another open file description holds a lock anywhere in the file, as an exclusive
// open on Windows would find the file in use.
bool lockedElsewhere(int fd) {
#ifdef F_OFD_GETLK
    struct flock probe;
    std::memset(&probe, 0, sizeof probe);
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0;
    return ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
#else
    (void)fd;
    return false;
#endif
}

Handle refuse(int fd, std::uint32_t error, int errorNumber) {
    ::close(fd);
    posix::setLastError(error);
    errno = errorNumber;
    return invalidHandle;
}

// The absolute path of an open descriptor as the kernel knows it now, or empty.
std::string pathOfDescriptor(int fd) {
#if defined(__linux__)
    std::string const link = "/proc/self/fd/" + std::to_string(fd);
    std::string target(256, '\0');
    for (;;) {
        ssize_t const length = ::readlink(link.c_str(), target.data(), target.size());
        if (length < 0)
            return std::string();
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            break;
        }
        target.resize(target.size() * 2);
    }
    // The kernel marks a file that lost its last name.
    static char const deleted[] = " (deleted)";
    std::size_t const suffix = sizeof deleted - 1;
    struct stat info;
    if (target.size() > suffix && target.compare(target.size() - suffix, suffix, deleted) == 0 &&
        ::fstat(fd, &info) == 0 && info.st_nlink == 0)
        target.resize(target.size() - suffix);
    return !target.empty() && target.front() == '/' ? target : std::string();
#elif defined(F_GETPATH)
    char target[PATH_MAX];
    return ::fcntl(fd, F_GETPATH, target) == 0 ? std::string(target) : std::string();
#else
    (void)fd;
    return std::string();
#endif
}

} // namespace

Handle createFile(std::wstring const& path, std::uint32_t access, std::uint32_t shareMode,
                  std::uint32_t disposition, std::uint32_t flags) {
    if (disposition != openExisting) {
        posix::setLastError(posix::errorInvalidParameter);
        errno = EINVAL;
        return invalidHandle;
    }
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return invalidHandle;
    posix::AccessUse const use = posix::accessUse(access);
    int const mode = use.write ? (use.read ? O_RDWR : O_WRONLY) : O_RDONLY;
    // Non-blocking, so that a FIFO cannot hang the open; regular files do not notice.
    int const fd = ::open(posixPath.c_str(), mode | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        posix::failWithErrno(errno, &posixPath);
        return invalidHandle;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return refuse(fd, posix::win32Error(errno), errno);
    bool const directory = S_ISDIR(info.st_mode);
    if (directory && (flags & flagBackupSemantics) == 0)
        return refuse(fd, posix::errorAccessDenied, EACCES);

    auto handle = std::make_unique<posix::FileHandle>();
    handle->fd = fd;
    handle->key = posix::FileKey{info.st_dev, info.st_ino};
    handle->access = access;
    handle->shareMode = shareMode;
    handle->directory = directory;
    handle->writable = use.write;
    if (!posix::admit(*handle))
        return refuse(fd, posix::errorSharingViolation, EACCES);
    if (shareMode == shareNone && use.any() &&
        (lockedElsewhere(fd) || posix::openElsewhereInProcess(handle->key, fd))) {
        posix::withdraw(*handle);
        return refuse(fd, posix::errorSharingViolation, EACCES);
    }
    return handle.release();
}

void closeHandle(Handle handle) {
    posix::FileHandle* const file = posix::fileHandleOf(handle);
    if (file == nullptr)
        return;
    // Closed before it leaves the registry, so that no exclusive open meanwhile finds the
    // descriptors open and unknown.
    if (file->lockFd >= 0)
        ::close(file->lockFd);
    ::close(file->fd);
    posix::withdraw(*file);
    delete file;
}

std::uint32_t getFinalPathNameByHandle(Handle handle, wchar_t* buffer, std::uint32_t capacity) {
    posix::FileHandle const* const file = posix::fileHandleOf(handle);
    if (file == nullptr)
        return 0;
    std::string const path = pathOfDescriptor(file->fd);
    if (path.empty()) {
        posix::setLastError(posix::errorInvalidFunction);
        return 0;
    }
    std::wstring const text = posix::toWindowsPath(path, true);
    auto const length = static_cast<std::uint32_t>(text.size());
    if (buffer == nullptr || length >= capacity)
        return length + 1; // the size needed, terminator included
    std::copy(text.begin(), text.end(), buffer);
    buffer[length] = L'\0';
    return length;
}

bool getFileTime(Handle handle, std::uint64_t& lastWriteTime) {
    posix::FileHandle const* const file = posix::fileHandleOf(handle);
    if (file == nullptr)
        return false;
    struct stat info;
    if (::fstat(file->fd, &info) != 0) {
        posix::failWithErrno(errno);
        return false;
    }
    lastWriteTime = posix::toFileTime(info.st_mtim);
    return true;
}

bool setFileTime(Handle handle, std::uint64_t lastWriteTime) {
    posix::FileHandle const* const file = posix::fileHandleOf(handle);
    if (file == nullptr)
        return false;
    if ((file->access & (fileWriteAttributes | posix::genericWrite | posix::genericAll)) == 0) {
        posix::setLastError(posix::errorAccessDenied);
        return false;
    }
    // Windows leaves a time of 0 (or all ones) unchanged.
    if (lastWriteTime == 0 || lastWriteTime == ~std::uint64_t(0))
        return true;
    if (lastWriteTime > static_cast<std::uint64_t>(INT64_MAX)) {
        posix::setLastError(posix::errorInvalidParameter);
        return false;
    }
    std::timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = posix::toTimespec(lastWriteTime);
    if (::futimens(file->fd, times) != 0) {
        posix::failWithErrno(errno);
        return false;
    }
    return true;
}

} // namespace koril::filesystem::platform
