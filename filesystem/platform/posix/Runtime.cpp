// The runtime library's wide-character file functions on the POSIX target. Each returns what
// the runtime returns, sets `errno`, and also sets the last error on failure.

#include "platform/Platform.h"

#include "platform/posix/HandleRegistry.h"
#include "platform/posix/LastError.h"
#include "platform/posix/PathTranslation.h"
#include "platform/posix/RenameNoReplace.h"

#include <cerrno>
#include <climits>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace koril::filesystem::platform {

namespace {

int failed(std::string const* path = nullptr) {
    posix::failWithErrno(errno, path);
    return -1;
}

int refused(std::uint32_t error, int errorNumber) {
    posix::setLastError(error);
    errno = errorNumber;
    return -1;
}

// Whether a handle of this process keeps the object at `info` from being removed or renamed,
// as one opened without delete sharing does on Windows.
bool heldOpen(struct stat const& info) {
    return posix::wouldConflict(posix::FileKey{info.st_dev, info.st_ino}, posix::deleteAccess,
                                shareRead | shareWrite | posix::shareDelete);
}

} // namespace

int wmkdir(std::wstring const& path) {
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return -1;
    return ::mkdir(posixPath.c_str(), 0777) == 0 ? 0 : failed(&posixPath);
}

int wrmdir(std::wstring const& path) {
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return -1;
    struct stat info;
    if (::lstat(posixPath.c_str(), &info) != 0)
        return failed(&posixPath);
    if (S_ISLNK(info.st_mode)) {
        // A link to a directory goes as Windows removes a directory link: the link alone.
        struct stat target;
        if (::stat(posixPath.c_str(), &target) != 0 || !S_ISDIR(target.st_mode))
            return refused(posix::errorDirectoryNameInvalid, ENOTDIR);
        return ::unlink(posixPath.c_str()) == 0 ? 0 : failed(&posixPath);
    }
    if (!S_ISDIR(info.st_mode))
        return refused(posix::errorDirectoryNameInvalid, ENOTDIR);
    if ((info.st_mode & S_IWUSR) == 0)
        return refused(posix::errorAccessDenied, EACCES);
    if (heldOpen(info))
        return refused(posix::errorSharingViolation, EACCES);
    return ::rmdir(posixPath.c_str()) == 0 ? 0 : failed(&posixPath);
}

int wrename(std::wstring const& from, std::wstring const& to) {
    std::string source;
    std::string destination;
    if (!posix::toPosixPath(from, source) || !posix::toPosixPath(to, destination))
        return -1;
    if (posix::anyHandleOpen()) {
        struct stat info;
        if (::lstat(source.c_str(), &info) == 0 && heldOpen(info))
            return refused(posix::errorSharingViolation, EACCES);
    }
    return posix::renameNoReplace(source.c_str(), destination.c_str()) == 0 ? 0 : failed(&source);
}

int wchmod(std::wstring const& path, int mode) {
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return -1;
    struct stat info;
    if (::stat(posixPath.c_str(), &info) != 0)
        return failed(&posixPath);
    mode_t const permissions = (mode & modeWrite) != 0
                                   ? (info.st_mode & 07777) | S_IWUSR
                                   : (info.st_mode & 07777) & ~(S_IWUSR | S_IWGRP | S_IWOTH);
    return ::chmod(posixPath.c_str(), permissions) == 0 ? 0 : failed(&posixPath);
}

int wchdir(std::wstring const& path) {
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return -1;
    return ::chdir(posixPath.c_str()) == 0 ? 0 : failed(&posixPath);
}

bool wgetcwd(std::uint32_t capacity, std::wstring& directory, int& errorNumber) {
    std::string buffer(PATH_MAX, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            errorNumber = errno;
            failed();
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
    std::wstring text = posix::toWindowsPath(std::string(buffer.c_str()), false);
    if (text.size() >= capacity) {
        errorNumber = errorRange;
        refused(posix::errorInsufficientBuffer, ERANGE);
        return false;
    }
    directory = std::move(text);
    return true;
}

std::FILE* wfopen(std::wstring const& path, std::wstring const& mode) {
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return nullptr;
    // The runtime's mode letters that POSIX knows, and 'e' for close-on-exec; text and binary
    // are the same here, and a ",ccs=" encoding or the Windows-only letters mean nothing.
    std::string posixMode;
    for (wchar_t const letter : mode) {
        if (letter == L',' || letter == L'\0')
            break;
        if (letter == L'r' || letter == L'w' || letter == L'a' || letter == L'+' || letter == L'x')
            posixMode.push_back(static_cast<char>(letter));
    }
    if (posixMode.empty() ||
        (posixMode.front() != 'r' && posixMode.front() != 'w' && posixMode.front() != 'a')) {
        refused(posix::errorInvalidParameter, EINVAL);
        return nullptr;
    }
    posixMode.push_back('e');
    std::FILE* const stream = std::fopen(posixPath.c_str(), posixMode.c_str());
    if (stream == nullptr) {
        failed(&posixPath);
        return nullptr;
    }
    // POSIX reads a directory as a stream; the runtime refuses to open one.
    struct stat info;
    if (::fstat(::fileno(stream), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(stream);
        refused(posix::errorAccessDenied, EACCES);
        return nullptr;
    }
    return stream;
}

bool openFileBuffer(std::filebuf& buffer, std::wstring const& path, std::ios_base::openmode mode) {
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return false;
    // POSIX reads a directory as a stream; the runtime refuses to open one.
    struct stat info;
    if (::stat(posixPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        refused(posix::errorAccessDenied, EACCES);
        return false;
    }
    if (buffer.open(posixPath, mode) == nullptr) {
        failed(&posixPath);
        return false;
    }
    return true;
}

} // namespace koril::filesystem::platform
