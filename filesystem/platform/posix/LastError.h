#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_LASTERROR_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_LASTERROR_H

// The thread's last error of the POSIX target, in Win32 error numbers, so that callers read the
// codes they know from the Windows target.

#include <cstdint>
#include <string>

namespace koril::filesystem::platform::posix {

// The Win32 error numbers that the emulation reports.
enum : std::uint32_t {
    errorInvalidFunction = 1,
    errorFileNotFound = 2,
    errorPathNotFound = 3,
    errorTooManyOpenFiles = 4,
    errorAccessDenied = 5,
    errorInvalidHandle = 6,
    errorNotEnoughMemory = 8,
    errorNotSameDevice = 17,
    errorNoMoreFiles = 18,
    errorGeneralFailure = 31,
    errorSharingViolation = 32,
    errorLockViolation = 33,
    errorNotSupported = 50,
    errorFileExists = 80,
    errorInsufficientBuffer = 122,
    errorInvalidParameter = 87,
    errorDiskFull = 112,
    errorInvalidName = 123,
    errorDirectoryNotEmpty = 145,
    errorNotLocked = 158,
    errorBusy = 170,
    errorAlreadyExists = 183,
    errorFilenameTooLong = 206,
    errorFileTooLarge = 223,
    errorDirectoryNameInvalid = 267,
    errorIoDevice = 1117,
    errorCannotResolveFilename = 1921,
};

void setLastError(std::uint32_t error);

// The Win32 number for an `errno` value. A missing file is `errorFileNotFound` when its
// directory exists and `errorPathNotFound` otherwise, which needs the POSIX path that failed;
// without one it is `errorFileNotFound`. Values without a counterpart give
// `errorGeneralFailure`.
std::uint32_t win32Error(int errorNumber, std::string const* posixPath = nullptr);

// Sets both `errno` and the last error from one `errno` value.
void failWithErrno(int errorNumber, std::string const* posixPath = nullptr);

// The failure of a path that names nothing here (an unmapped drive, a UNC or device form):
// `errno` ENOENT and the last error `errorPathNotFound`, as for a missing path.
void failNamesNothing();

} // namespace koril::filesystem::platform::posix

#endif
