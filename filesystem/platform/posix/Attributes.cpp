// Attribute and existence queries, the volume's name limit and the temporary directory of the
// POSIX target.

#include "platform/Platform.h"

#include "platform/posix/FileTime.h"
#include "platform/posix/LastError.h"
#include "platform/posix/PathTranslation.h"
#include "platform/posix/StatAttributes.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace koril::filesystem::platform {

namespace {

// The attributes of the path itself (a link is not followed), or false with the last error set.
bool queryAttributes(std::wstring const& path, FileAttributeData& data) {
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return false;
    struct stat info;
    if (::lstat(posixPath.c_str(), &info) != 0) {
        posix::failWithErrno(errno, &posixPath);
        return false;
    }
    data.attributes = posix::attributesOfPath(posixPath.c_str(), info);
    // Windows reports no size for directories and links.
    data.size = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    data.lastWriteTime = posix::toFileTime(info.st_mtim);
    return true;
}

} // namespace

bool getFileAttributesEx(std::wstring const& path, FileAttributeData& data) {
    return queryAttributes(path, data);
}

std::uint32_t getFileAttributes(std::wstring const& path) {
    FileAttributeData data;
    return queryAttributes(path, data) ? data.attributes : invalidFileAttributes;
}

bool pathFileExists(std::wstring const& path) {
    std::string posixPath;
    if (!posix::toPosixPath(path, posixPath))
        return false;
    struct stat info;
    if (::lstat(posixPath.c_str(), &info) != 0) {
        posix::failWithErrno(errno, &posixPath);
        return false;
    }
    return true;
}

bool pathIsDirectory(std::wstring const& path) {
    std::uint32_t const attributes = getFileAttributes(path);
    return attributes != invalidFileAttributes && (attributes & attributeDirectory) != 0;
}

bool getVolumeMaximumComponentLength(std::wstring const& rootPath, std::uint32_t& length) {
    std::string posixPath;
    if (!posix::toPosixPath(rootPath, posixPath))
        return false;
    if (posixPath.empty() || posixPath.front() != '/')
        posixPath = ".";
    errno = 0;
    long const maximum = ::pathconf(posixPath.c_str(), _PC_NAME_MAX);
    if (maximum < 0) {
        if (errno != 0) {
            posix::failWithErrno(errno, &posixPath);
            return false;
        }
        length = NAME_MAX; // no limit reported
        return true;
    }
    // Bytes of UTF-8; a UTF-16 unit never takes fewer bytes, so no name the kernel accepts is
    // longer in units.
    length = static_cast<std::uint32_t>(maximum);
    return true;
}

std::uint32_t getTempPath(std::uint32_t capacity, std::wstring& path) {
    path.clear();
    char const* variable = std::getenv("TMPDIR");
    std::string directory = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    if (directory.front() != '/') {
        std::string base(PATH_MAX, '\0');
        while (::getcwd(base.data(), base.size()) == nullptr) {
            if (errno != ERANGE) {
                posix::failWithErrno(errno);
                return 0;
            }
            base.resize(base.size() * 2);
        }
        directory = std::string(base.c_str()) + '/' + directory;
    }
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    std::wstring text = posix::toWindowsPath(directory, false);
    if (text.empty() || text.back() != L'\\')
        text.push_back(L'\\');
    auto const length = static_cast<std::uint32_t>(text.size());
    if (length >= capacity)
        return length + 1; // the size needed, terminator included
    path = std::move(text);
    return length;
}

} // namespace koril::filesystem::platform
