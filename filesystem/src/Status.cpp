// Status queries of one path.

#include "FoldedCompare.h"
#include "PathLocation.h"
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
    return platform::status(p);
}

FileStatus symbolicLinkStatus(Path const& p) {
    return platform::symbolicLinkStatus(p);
}

bool exists(Path const& p) {
    return platform::exists(detail::PathLocation(p));
}

bool isDirectory(Path const& p) {
    return platform::isDirectory(detail::PathLocation(p));
}

long long fileSize(Path const& p) {
    return platform::fileSize(p);
}

} // namespace koril::filesystem
