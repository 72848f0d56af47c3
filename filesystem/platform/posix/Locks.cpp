// LockFile and UnlockFile of the POSIX target: open-file-description locks, which conflict
// between handles as Windows byte-range locks do, but are advisory.

#include "platform/Platform.h"

#include "platform/posix/HandleRegistry.h"
#include "platform/posix/LastError.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace koril::filesystem::platform {

namespace {

posix::FileHandle* lockableHandle(Handle handle) {
    posix::FileHandle* const file = posix::fileHandleOf(handle);
    if (file != nullptr && file->directory) {
        posix::setLastError(posix::errorInvalidFunction);
        return nullptr;
    }
    return file;
}

posix::LockRange makeRange(std::uint32_t offsetLow, std::uint32_t offsetHigh,
                           std::uint32_t lengthLow, std::uint32_t lengthHigh) {
    posix::LockRange range;
    range.offset = (static_cast<std::uint64_t>(offsetHigh) << 32) | offsetLow;
    range.length = (static_cast<std::uint64_t>(lengthHigh) << 32) | lengthLow;
    return range;
}

#ifdef F_OFD_SETLK

// A whole range that reaches beyond the largest offset runs to the end, as l_len 0 says.
struct flock describe(posix::LockRange range, short type) {
    struct flock lock;
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(range.offset);
    std::uint64_t const room = static_cast<std::uint64_t>(INT64_MAX) - range.offset;
    lock.l_len = range.length > room ? 0 : static_cast<off_t>(range.length);
    return lock;
}

// A write lock needs a description open for writing. A read-only handle gets a second,
// read-write description of the same file; where the file may not be written, a read lock
// on the handle's own description has to do.
int writeLockDescriptor(posix::FileHandle& file) {
    if (file.writable)
        return file.fd;
    if (file.lockFd < 0) {
        std::string const self = "/proc/self/fd/" + std::to_string(file.fd);
        file.lockFd = ::open(self.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    }
    return file.lockFd;
}

bool kernelLock(posix::FileHandle& file, posix::LockRange range) {
    if (range.length == 0)
        return true; // Windows accepts an empty range, which excludes nothing
    if (range.offset > static_cast<std::uint64_t>(INT64_MAX)) {
        posix::setLastError(posix::errorInvalidParameter);
        return false;
    }
    int const writer = writeLockDescriptor(file);
    struct flock lock = describe(range, writer >= 0 ? F_WRLCK : F_RDLCK);
    if (::fcntl(writer >= 0 ? writer : file.fd, F_OFD_SETLK, &lock) == 0)
        return true;
    int const error = errno;
    posix::failWithErrno(error);
    if (error == EAGAIN || error == EACCES)
        posix::setLastError(posix::errorLockViolation);
    return false;
}

void kernelUnlock(posix::FileHandle& file, posix::LockRange range) {
    if (range.length == 0 || range.offset > static_cast<std::uint64_t>(INT64_MAX))
        return;
    struct flock lock = describe(range, F_UNLCK);
    ::fcntl(file.fd, F_OFD_SETLK, &lock);
    if (file.lockFd >= 0)
        ::fcntl(file.lockFd, F_OFD_SETLK, &lock);
}

#else

// Without description locks, flock is the lock that belongs to a description; it covers the
// whole file whatever the range.
bool kernelLock(posix::FileHandle& file, posix::LockRange range) {
    if (range.length == 0 || !file.locks.empty())
        return true;
    if (::flock(file.fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    posix::failWithErrno(errno);
    if (errno == EWOULDBLOCK)
        posix::setLastError(posix::errorLockViolation);
    return false;
}

void kernelUnlock(posix::FileHandle& file, posix::LockRange) {
    if (file.locks.size() == 1)
        ::flock(file.fd, LOCK_UN);
}

#endif

} // namespace

bool lockFile(Handle handle, std::uint32_t offsetLow, std::uint32_t offsetHigh,
              std::uint32_t lengthLow, std::uint32_t lengthHigh) {
    posix::FileHandle* const file = lockableHandle(handle);
    return file != nullptr &&
           posix::addLock(*file, makeRange(offsetLow, offsetHigh, lengthLow, lengthHigh),
                          &kernelLock);
}

bool unlockFile(Handle handle, std::uint32_t offsetLow, std::uint32_t offsetHigh,
                std::uint32_t lengthLow, std::uint32_t lengthHigh) {
    posix::FileHandle* const file = lockableHandle(handle);
    return file != nullptr &&
           posix::removeLock(*file, makeRange(offsetLow, offsetHigh, lengthLow, lengthHigh),
                             &kernelUnlock);
}

} // namespace koril::filesystem::platform
