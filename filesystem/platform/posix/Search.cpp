// Directory searches of the POSIX target: readdir with one fstatat per entry.

#include "platform/Platform.h"

#include "platform/posix/LastError.h"
#include "platform/posix/PathTranslation.h"
#include "platform/posix/StatAttributes.h"
#include "platform/posix/Wtf8.h"

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace koril::filesystem::platform {

namespace {

// What a search handle points to: an open directory, or a single record for a pattern
// without wildcards, which names one entry.
struct Search {
    DIR* directory = nullptr;
    int directoryFd = -1;
};

// The attribute word of one directory entry. An entry that vanished since readdir keeps what
// the directory record tells about its type.
std::uint32_t entryAttributes(int directoryFd, dirent const& entry) {
    // Every listing skips "." and ".." by name; their attributes are never read, so they cost
    // no stat.
    char const* const name = entry.d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
        return attributeDirectory;
    struct stat info;
    if (::fstatat(directoryFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
#ifdef _DIRENT_HAVE_D_TYPE
        if (entry.d_type == DT_DIR)
            return attributeDirectory;
        if (entry.d_type == DT_LNK)
            return attributeReparsePoint;
#endif
        return attributeNormal;
    }
    bool targetIsDirectory = false;
    if (S_ISLNK(info.st_mode)) {
        struct stat target;
        targetIsDirectory =
            ::fstatat(directoryFd, entry.d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    }
    return posix::attributesFromStat(info, targetIsDirectory);
}

void fillRecord(Search const& search, dirent const& entry, FindData& data) {
    data.attributes = entryAttributes(search.directoryFd, entry);
    data.name.clear(); // keeps the capacity for the next name
    posix::appendUtf16(entry.d_name, std::strlen(entry.d_name), false, data.name);
}

// The next entry, or null with the last error set (`errorNoMoreFiles` at the end).
dirent const* nextEntry(Search const& search) {
    errno = 0;
    dirent const* const entry = ::readdir(search.directory);
    if (entry == nullptr) {
        if (errno == 0)
            posix::setLastError(posix::errorNoMoreFiles);
        else
            posix::failWithErrno(errno);
    }
    return entry;
}

bool hasWildcard(std::string const& name) {
    return name.find_first_of("*?<>\"") != std::string::npos;
}

Handle lookUpOne(std::string const& posixPath, FindData& data) {
    struct stat info;
    if (::lstat(posixPath.c_str(), &info) != 0) {
        posix::failWithErrno(errno, &posixPath);
        return invalidHandle;
    }
    data.attributes = posix::attributesOfPath(posixPath.c_str(), info);
    std::string::size_type const slash = posixPath.find_last_of('/');
    std::string const name = slash == std::string::npos ? posixPath : posixPath.substr(slash + 1);
    data.name.clear();
    posix::appendUtf16(name.data(), name.size(), false, data.name);
    return new Search; // a search that has nothing after its record
}

} // namespace

Handle findFirstFile(std::wstring const& pattern, FindData& data) {
    std::string posixPath;
    if (!posix::toPosixPath(pattern, posixPath))
        return invalidHandle;
    std::string::size_type const slash = posixPath.find_last_of('/');
    std::string const directory = slash == std::string::npos ? std::string(".")
                                  : slash == 0               ? std::string("/")
                                                             : posixPath.substr(0, slash);
    std::string const name = slash == std::string::npos ? posixPath : posixPath.substr(slash + 1);
    if (name.empty()) {
        posix::setLastError(posix::errorFileNotFound);
        errno = ENOENT;
        return invalidHandle;
    }
    if (!hasWildcard(name))
        return lookUpOne(posixPath, data);
    if (name != "*" && name != "*.*") {
        // Only the whole-directory patterns are supported.
        posix::setLastError(posix::errorInvalidParameter);
        errno = EINVAL;
        return invalidHandle;
    }
    int const fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        int const error = errno;
        posix::failWithErrno(error, &directory);
        if (error == ENOENT)
            posix::setLastError(posix::errorPathNotFound);
        return invalidHandle;
    }
    DIR* const stream = ::fdopendir(fd);
    if (stream == nullptr) {
        posix::failWithErrno(errno);
        ::close(fd);
        return invalidHandle;
    }
    auto* const search = new Search{stream, fd};
    dirent const* const first = nextEntry(*search);
    if (first == nullptr) {
        if (getLastError() == posix::errorNoMoreFiles)
            posix::setLastError(posix::errorFileNotFound);
        findClose(search);
        return invalidHandle;
    }
    fillRecord(*search, *first, data);
    return search;
}

bool findNextFile(Handle search, FindData& data) {
    if (search == nullptr || search == invalidHandle) {
        posix::setLastError(posix::errorInvalidHandle);
        return false;
    }
    auto const* const state = static_cast<Search const*>(search);
    if (state->directory == nullptr) {
        posix::setLastError(posix::errorNoMoreFiles);
        return false;
    }
    dirent const* const entry = nextEntry(*state);
    if (entry == nullptr)
        return false;
    fillRecord(*state, *entry, data);
    return true;
}

void findClose(Handle search) {
    if (search == nullptr || search == invalidHandle) {
        posix::setLastError(posix::errorInvalidHandle);
        return;
    }
    auto* const state = static_cast<Search*>(search);
    if (state->directory != nullptr)
        ::closedir(state->directory); // closes the descriptor too
    delete state;
}

} // namespace koril::filesystem::platform
