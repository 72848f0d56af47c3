// The thread's last error and the translation of `errno` values into Win32 error numbers.

#include "platform/posix/LastError.h"

#include "platform/Platform.h"

#include <cerrno>

#include <sys/stat.h>

namespace koril::filesystem::platform {

namespace posix {

namespace {

thread_local std::uint32_t lastError = 0;

// Windows tells a missing file in an existing directory from a missing directory on the way.
std::uint32_t missingFileError(std::string const* posixPath) {
    if (posixPath == nullptr)
        return errorFileNotFound;
    if (posixPath->empty())
        return errorPathNotFound;
    std::string::size_type end = posixPath->find_last_not_of('/');
    if (end == std::string::npos)
        return errorFileNotFound; // only separators: the root itself
    std::string::size_type const slash = posixPath->rfind('/', end);
    if (slash == std::string::npos)
        return errorFileNotFound; // a name in the current directory
    std::string const parent = slash == 0 ? std::string("/") : posixPath->substr(0, slash);
    struct stat info;
    return ::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? errorFileNotFound
                                                                       : errorPathNotFound;
}

} // namespace

void setLastError(std::uint32_t error) {
    lastError = error;
}

std::uint32_t win32Error(int errorNumber, std::string const* posixPath) {
    switch (errorNumber) {
    case 0:
        return 0;
    case ENOENT:
        return missingFileError(posixPath);
    case ENOTDIR:
        return errorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return errorAccessDenied;
    case EEXIST:
        return errorAlreadyExists;
    case ENOTEMPTY:
        return errorDirectoryNotEmpty;
    case ENAMETOOLONG:
        return errorFilenameTooLong;
    case EXDEV:
        return errorNotSameDevice;
    case EBUSY:
        return errorBusy;
    case ETXTBSY:
        return errorSharingViolation;
    case EAGAIN:
        return errorLockViolation;
    case EBADF:
        return errorInvalidHandle;
    case EINVAL:
        return errorInvalidParameter;
    case EMFILE:
    case ENFILE:
        return errorTooManyOpenFiles;
    case ENOMEM:
        return errorNotEnoughMemory;
    case ENOSPC:
    case EDQUOT:
        return errorDiskFull;
    case EFBIG:
        return errorFileTooLarge;
    case ELOOP:
        return errorCannotResolveFilename;
    case EIO:
        return errorIoDevice;
    case ENOSYS:
    case EOPNOTSUPP:
        return errorNotSupported;
    default:
        return errorGeneralFailure;
    }
}

void failWithErrno(int errorNumber, std::string const* posixPath) {
    lastError = win32Error(errorNumber, posixPath);
    errno = errorNumber;
}

void failNamesNothing() {
    lastError = errorPathNotFound;
    errno = ENOENT;
}

} // namespace posix

std::uint32_t getLastError() {
    return posix::lastError;
}

} // namespace koril::filesystem::platform
