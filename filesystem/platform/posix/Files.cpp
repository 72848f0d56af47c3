// CopyFile, DeleteFile and CreateSymbolicLink of the POSIX target.

#include "platform/Platform.h"

#include "platform/posix/HandleRegistry.h"
#include "platform/posix/LastError.h"
#include "platform/posix/PathTranslation.h"
#include "platform/posix/RenameNoReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace koril::filesystem::platform {

namespace {

// A descriptor closed on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor const&) = delete;
    Descriptor& operator=(Descriptor const&) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// The temporary file that becomes the copy; removed unless it was renamed into place.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(TemporaryFile const&) = delete;
    TemporaryFile& operator=(TemporaryFile const&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    // A new file in the directory of `destination`.
    bool create(std::string const& destination) {
        std::string::size_type const slash = destination.find_last_of('/');
        name_ = slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
        name_ += ".koril-copy-XXXXXX";
        fd_ = ::mkostemp(name_.data(), O_CLOEXEC);
        if (fd_ < 0)
            name_.clear();
        return fd_ >= 0;
    }
    int fd() const { return fd_; }
    std::string const& name() const { return name_; }
    // The file was renamed into place: nothing is left to remove.
    void release() { name_.clear(); }

private:
    int fd_ = -1;
    std::string name_;
};

bool copyWithReadWrite(int from, int to) {
    std::vector<char> buffer(1 << 17);
    for (;;) {
        ssize_t const got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t written = 0; written < got;) {
            ssize_t const put =
                ::write(to, buffer.data() + written, static_cast<std::size_t>(got - written));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            written += put;
        }
    }
}

// Copies from the current offsets to the end of `from`.
bool copyContents(int from, int to) {
#ifdef __linux__
    bool copiedAny = false;
    for (;;) {
        ssize_t const copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied > 0) {
            copiedAny = true;
            continue;
        }
        // Some files (in /proc, for one) report no size and copy nothing this way.
        if (copied == 0 && copiedAny)
            return true;
        if (copied < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS &&
            errno != EOPNOTSUPP && errno != EBADF)
            return false;
        break;
    }
#endif
    return copyWithReadWrite(from, to);
}

bool fail(std::uint32_t error, int errorNumber) {
    posix::setLastError(error);
    errno = errorNumber;
    return false;
}

bool failFromErrno(std::string const* path = nullptr) {
    posix::failWithErrno(errno, path);
    return false;
}

} // namespace

bool copyFile(std::wstring const& from, std::wstring const& to, bool failIfExists) {
    std::string source;
    std::string destination;
    if (!posix::toPosixPath(from, source) || !posix::toPosixPath(to, destination))
        return false;
    Descriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (input.get() < 0)
        return failFromErrno(&source);
    struct stat sourceInfo;
    if (::fstat(input.get(), &sourceInfo) != 0)
        return failFromErrno();
    if (!S_ISREG(sourceInfo.st_mode))
        return fail(posix::errorAccessDenied, EACCES);
    if (posix::wouldConflict(posix::FileKey{sourceInfo.st_dev, sourceInfo.st_ino}, genericRead,
                             shareRead | posix::shareDelete))
        return fail(posix::errorSharingViolation, EACCES);

    struct stat existing;
    if (::lstat(destination.c_str(), &existing) == 0) {
        if (failIfExists)
            return fail(posix::errorFileExists, EEXIST);
        if (S_ISDIR(existing.st_mode) ||
            (!S_ISLNK(existing.st_mode) && (existing.st_mode & S_IWUSR) == 0))
            return fail(posix::errorAccessDenied, EACCES);
        // Windows opens the destination for writing without sharing, which the source itself
        // (a second name of it, too) and any handle open on the destination refuse.
        posix::FileKey const key{existing.st_dev, existing.st_ino};
        if ((existing.st_dev == sourceInfo.st_dev && existing.st_ino == sourceInfo.st_ino) ||
            posix::wouldConflict(key, posix::genericWrite, shareNone))
            return fail(posix::errorSharingViolation, EACCES);
    } else if (errno != ENOENT) {
        return failFromErrno(&destination);
    }

    TemporaryFile copy;
    if (!copy.create(destination))
        return failFromErrno(&destination);
    if (!copyContents(input.get(), copy.fd()))
        return failFromErrno();
    std::timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = sourceInfo.st_mtim;
    if (::futimens(copy.fd(), times) != 0 || ::fchmod(copy.fd(), sourceInfo.st_mode & 0777) != 0)
        return failFromErrno();
    int const placed = failIfExists
                           ? posix::renameNoReplace(copy.name().c_str(), destination.c_str())
                           : std::rename(copy.name().c_str(), destination.c_str());
    if (placed != 0) {
        if (errno == EEXIST)
            return fail(posix::errorFileExists, EEXIST);
        return failFromErrno(&destination);
    }
    copy.release();
    return true;
}

bool deleteFile(std::wstring const& path) {
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return false;
    struct stat info;
    if (::lstat(posixPath.c_str(), &info) != 0)
        return failFromErrno(&posixPath);
    if (S_ISDIR(info.st_mode))
        return fail(posix::errorAccessDenied, EISDIR);
    if (!S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0)
        return fail(posix::errorAccessDenied, EACCES);
    if (posix::wouldConflict(posix::FileKey{info.st_dev, info.st_ino}, posix::deleteAccess,
                             shareRead | shareWrite | posix::shareDelete))
        return fail(posix::errorSharingViolation, EACCES);
    if (::unlink(posixPath.c_str()) != 0)
        return failFromErrno(&posixPath);
    return true;
}

bool createSymbolicLink(std::wstring const& link, std::wstring const& target,
                        std::uint32_t /*flags: POSIX links have no kind*/) {
    std::string linkPath;
    std::string targetPath;
    if (!posix::toPosixPath(link, linkPath) || !posix::toPosixPath(target, targetPath))
        return false;
    if (::symlink(targetPath.c_str(), linkPath.c_str()) != 0)
        return failFromErrno(&linkPath);
    return true;
}

} // namespace koril::filesystem::platform
