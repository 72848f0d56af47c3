// Status queries of one path.

#include "FoldedCompare.h"
#include "StatusFromAttributes.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

#include <array>

namespace koril::filesystem {

namespace {

std::array<String, 4> const executableExtensions = {String(".exe"), String(".bat"), String(".com"),
                                                    String(".cmd")};

// The last letter of every executable extension, in either case: rejects most names before an
// extension is taken apart.
bool mayBeExecutable(String const& text) {
    if (text.empty())
        return false;
    switch (text.back()) {
    case 'd':
    case 'e':
    case 'm':
    case 't':
    case 'D':
    case 'E':
    case 'M':
    case 'T':
        return true;
    default:
        return false;
    }
}

bool hasExecutableExtension(Path const& path) {
    if (!mayBeExecutable(path.string()))
        return false;
    Path const extension = path.extension();
    if (extension.empty())
        return false;
    for (String const& executable : executableExtensions)
        if (detail::compareFolded(extension.string(), executable) == 0)
            return true;
    return false;
}

} // namespace

namespace detail {

FileStatus statusFromAttributes(Path const& path, std::uint32_t attributes) {
    auto const permissions =
        static_cast<Permissions>(((~attributes & platform::attributeReadOnly) | 2u) << 7);
    if (attributes & platform::attributeReparsePoint)
        return FileStatus(SymbolicLinkFile, permissions);
    if (attributes & platform::attributeDirectory)
        return FileStatus(DirectoryFile, permissions);
    if (hasExecutableExtension(path))
        return FileStatus(RegularFile, permissions | OwnerExecute);
    return FileStatus(RegularFile, permissions);
}

} // namespace detail

FileStatus status(Path const& p) {
    Path const resolved = canonical(p);
    if (resolved.empty())
        return FileStatus(FileNotFound, PermissionsUnknown);
    platform::FileAttributeData data;
    if (!platform::getFileAttributesEx(resolved.nativeString(), data))
        return FileStatus();
    return detail::statusFromAttributes(resolved, data.attributes);
}

FileStatus symbolicLinkStatus(Path const& p) {
    platform::FileAttributeData data;
    if (!platform::getFileAttributesEx(p.nativeString(), data))
        return FileStatus();
    return detail::statusFromAttributes(p, data.attributes);
}

bool exists(Path const& p) {
    return platform::pathFileExists(p.nativeString());
}

bool isDirectory(Path const& p) {
    return platform::pathIsDirectory(p.nativeString());
}

long long fileSize(Path const& p) {
    Path const resolved = canonical(p);
    if (resolved.empty())
        return -1;
    platform::FileAttributeData data;
    if (!platform::getFileAttributesEx(resolved.nativeString(), data))
        return -1;
    return static_cast<long long>(data.size);
}

} // namespace koril::filesystem
