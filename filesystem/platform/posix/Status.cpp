// Status queries: one fstatat wherever the answer allows, the final name only behind a link.

#include "platform/posix/Handles.h"

#include "StatusFromAttributes.h"

#include <climits>
#include <string>

namespace koril::filesystem::platform {

namespace posix {

bool resolvedPath(int directory, char const* name, std::string& path, struct stat* info) {
    Descriptor const object(openAt(directory, name, O_PATH));
    if (!object || (info != nullptr && systemCalls.fstat(object.get(), info) != 0))
        return false;
    std::string const self = "/proc/self/fd/" + std::to_string(object.get());
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        ssize_t const length =
            systemCalls.readlinkat(AT_FDCWD, self.c_str(), buffer.data(), buffer.size());
        if (length < 0)
            return false;
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            path = std::move(buffer);
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace posix

using namespace posix;

namespace {

bool query(Location location, Attributes& attributes, int flags) {
    struct stat info;
    if (!statAt(location, info, flags))
        return false;
    attributes = attributesOf(info);
    return true;
}

} // namespace

bool queryAttributes(Location location, Attributes& attributes) {
    return query(location, attributes, AT_SYMLINK_NOFOLLOW);
}

bool queryFinalAttributes(Location location, Attributes& attributes) {
    return query(location, attributes, 0);
}

bool exists(Location location) {
    struct stat info;
    return statAt(location, info, AT_SYMLINK_NOFOLLOW);
}

bool isDirectory(Location location) {
    struct stat info;
    return statAt(location, info, 0) && S_ISDIR(info.st_mode);
}

FileStatus status(Path const& path) {
    NativeName const native = nativeOf(path);
    struct stat info;
    if (!statAt(atPath(native), info, AT_SYMLINK_NOFOLLOW))
        return FileStatus(FileNotFound);
    if (!S_ISLNK(info.st_mode))
        return detail::statusFromAttributes(path, attributesOf(info).bits);
    // Behind a link the final object's own name decides the executable bit.
    std::string final;
    if (!resolvedPath(AT_FDCWD, native.c_str(), final, &info))
        return FileStatus(FileNotFound);
    NativeName const finalName = final.substr(final.find_last_of('/') + 1);
    return detail::statusFromAttributes(Path(textOfName(finalName)), attributesOf(info).bits);
}

FileStatus symbolicLinkStatus(Path const& path) {
    Attributes attributes;
    if (!queryAttributes(atPath(nativeOf(path)), attributes))
        return FileStatus();
    return detail::statusFromAttributes(path, attributes.bits);
}

long long fileSize(Path const& path) {
    struct stat info;
    if (!statAt(atPath(nativeOf(path)), info, 0))
        return -1;
    return S_ISDIR(info.st_mode) ? 0 : static_cast<long long>(info.st_size);
}

Path finalPath(std::wstring const& nativeString) {
    std::string final;
    if (!resolvedPath(AT_FDCWD, nativeOf(nativeString).c_str(), final))
        return Path();
    return libraryPathOf(final);
}

} // namespace koril::filesystem::platform
