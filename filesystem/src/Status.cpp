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

// Every executable extension is a dot and three ASCII letters, so only a name that ends in a dot
// and three letters that fold to one of them in ASCII, or three code points of which one is
// beyond ASCII (simple case folding settles those), can be executable. This spares the
// extension's text for nearly every name a listing reports, and is stricter than testing the last
// letter alone.
bool mayBeExecutable(String const& text) {
    std::size_t const size = text.size();
    if (size < 4 || text[size - 4] != '.')
        return false;
    unsigned int folded[3];
    for (std::size_t i = 0; i < 3; ++i) {
        unsigned int const c = text[size - 3 + i];
        if (c >= 128)
            return true;
        folded[i] = c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    }
    for (String const& executable : executableExtensions)
        if (folded[0] == executable[1] && folded[1] == executable[2] && folded[2] == executable[3])
            return true;
    return false;
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
