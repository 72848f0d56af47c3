// Creating directories, and removing files, directories and whole trees.

#include "TreeRemoval.h"

#include "platform/Platform.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <utility>
#include <vector>

namespace koril::filesystem {

namespace {

// Creates `path` after its missing ancestors, top down. Every parent path is shorter than its
// path, so the climb ends at the empty path at the latest; reaching it means no ancestor exists,
// and nothing is created rather than guessing a place relative to the current directory.
bool createWithAncestors(Path const& path) {
    if (path.empty())
        return false;
    Path const parent = path.parentPath();
    if (parent.size() >= path.size())
        return false;
    if (!exists(parent) && !createWithAncestors(parent))
        return false;
    String const name = path.filename().string();
    if (name == String("..") || name == String("."))
        return true;
    return platform::wmkdir(path.nativeString()) == 0;
}

} // namespace

bool createDirectory(Path const& p) {
    if (exists(p))
        return true;
    if (!isValidDirectoryPathLength(p))
        return false;
    return platform::wmkdir(p.nativeString()) == 0;
}

bool createDirectories(Path const& p) {
    if (exists(p))
        return true;
    return createWithAncestors(p);
}

bool remove(Path const& p) {
    if (!exists(p))
        return false;
    // The platform reports a link to a directory as a directory; removing it as one removes the
    // link, never its target.
    if (isDirectory(p))
        return platform::wrmdir(p.nativeString()) == 0;
    return platform::deleteFile(p.nativeString());
}

bool removeAll(Path const& p) {
    if (symbolicLinkStatus(p).getType() != DirectoryFile)
        return remove(p);
    return detail::removeTree(p);
}

namespace detail {

namespace {

// One directory of the walk: its listing, positioned on the next entry to remove.
struct PendingDirectory {
    Path path;
    DirectoryIterator listing;
};

} // namespace

// Depth-first with an explicit stack, so that the depth of a tree is bounded by memory rather
// than by the call stack.
bool removeTree(Path const& directory) {
    DirectoryEntry const end;
    std::vector<PendingDirectory> pending;
    pending.push_back({directory, DirectoryIterator(directory)});
    while (!pending.empty()) {
        PendingDirectory& top = pending.back();
        if (*top.listing != end) {
            // Valid until the listing moves on or `pending` grows.
            DirectoryEntry const& entry = *top.listing;
            FileType const type = entry.getSymlinkStatus().getType();
            // The link status keeps links out of the descent: a link is removed as a link.
            if (type == DirectoryFile) {
                pending.push_back({entry.getPath(), DirectoryIterator(entry.getPath())});
                continue;
            }
            // The listing has just said what a regular file is, so `remove` would only ask
            // again; other kinds (links, anything the listing could not tell) go through it.
            bool const removed = type == RegularFile
                                     ? platform::deleteFile(entry.getPath().nativeString())
                                     : remove(entry.getPath());
            if (!removed)
                return false;
            ++top.listing;
            continue;
        }
        // The search handle must be closed before the directory itself can go.
        Path const finished = std::move(top.path);
        pending.pop_back();
        if (platform::wrmdir(finished.nativeString()) != 0)
            return false;
        if (!pending.empty())
            ++pending.back().listing;
    }
    return true;
}

} // namespace detail

} // namespace koril::filesystem
