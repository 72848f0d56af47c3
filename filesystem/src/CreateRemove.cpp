// Creating directories, and removing files, directories and whole trees.

#include "PathLocation.h"
#include "TreeRemoval.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

namespace {

// Creates `path` after its missing ancestors, top down. Every parent path is shorter than its
// path, so the climb ends. A relative path's climb ends at its first element, whose parent is
// the empty path: the current directory, which exists.
bool createWithAncestors(Path const& path) {
    if (path.empty())
        return false;
    Path const parent = path.parentPath();
    if (parent.size() >= path.size())
        return false;
    if (!parent.empty() && !exists(parent) && !createWithAncestors(parent))
        return false;
    String const name = path.filename().string();
    if (name == String("..") || name == String("."))
        return true;
    return platform::makeDirectory(detail::PathLocation(path));
}

} // namespace

bool createDirectory(Path const& p) {
    if (exists(p))
        return true;
    if (!isValidDirectoryPathLength(p))
        return false;
    return platform::makeDirectory(detail::PathLocation(p));
}

bool createDirectories(Path const& p) {
    if (exists(p))
        return true;
    return createWithAncestors(p);
}

bool remove(Path const& p) {
    return platform::removeEntry(detail::PathLocation(p));
}

bool removeAll(Path const& p) {
    // The link status, so that a link is removed as a link and its target is never walked.
    if (symbolicLinkStatus(p).getType() != DirectoryFile)
        return remove(p);
    return detail::removeTree(p);
}

} // namespace koril::filesystem
