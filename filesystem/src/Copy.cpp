// Copying files, directory trees and links. Nothing here overwrites what it was not asked to.

#include "platform/Platform.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <vector>

namespace koril::filesystem {

namespace {

// The checks before a directory is copied, and the creation of its destination: the source must
// be a directory and the destination must not exist yet.
bool beginDirectoryCopy(Path const& from, Path const& to) {
    if (!exists(from) || exists(to))
        return false;
    if (status(from).getType() != DirectoryFile)
        return false;
    return createDirectories(to);
}

// One directory of the walk: where its entries go, and its listing positioned on the next one.
struct PendingDirectory {
    Path destination;
    DirectoryIterator listing;
};

} // namespace

bool copy(Path const& from, Path const& to) {
    switch (status(from).getType()) {
    case DirectoryFile:
        return copyDirectory(from, to, true);
    case SymbolicLinkFile:
        return copySymbolicLink(from, to, true);
    default:
        return copyFile(from, to, true);
    }
}

bool copyFile(Path const& from, Path const& to, bool failIfExists) {
    if (failIfExists && exists(to))
        return false;
    FileType const type = status(from).getType();
    if (type == DirectoryFile || type == SymbolicLinkFile)
        return false;
    if (!platform::copyFile(from.nativeString(), to.nativeString(), failIfExists))
        return false;
    return exists(to);
}

// Depth-first with an explicit stack, so that the depth of a tree is bounded by memory rather
// than by the call stack. A failed entry does not stop the walk; it only makes the result false.
bool copyDirectory(Path const& from, Path const& to, bool recursive) {
    if (!beginDirectoryCopy(from, to))
        return false;
    bool result = true;
    DirectoryEntry const end;
    std::vector<PendingDirectory> pending;
    pending.push_back({to, DirectoryIterator(from)});
    while (!pending.empty()) {
        PendingDirectory& top = pending.back();
        if (*top.listing == end) {
            pending.pop_back();
            if (!pending.empty())
                ++pending.back().listing;
            continue;
        }
        // Valid until the listing moves on or `pending` grows.
        DirectoryEntry const& entry = *top.listing;
        Path const destination = top.destination / entry.getPath().filename();
        FileType const type = entry.getStatus().getType();
        if (type == RegularFile) {
            // What `copyFile` would ask first, the listing has just told, and the platform
            // refuses an existing destination by itself.
            if (!platform::copyFile(entry.getPath().nativeString(), destination.nativeString(),
                                    true))
                result = false;
        } else if (type != DirectoryFile) {
            // A produced entry's status describes a link itself: links of either kind are
            // copied as files, and a link to a directory fails there.
            if (!copyFile(entry.getPath(), destination, true))
                result = false;
        } else if (recursive) {
            if (beginDirectoryCopy(entry.getPath(), destination)) {
                pending.push_back({destination, DirectoryIterator(entry.getPath())});
                continue;
            }
            result = false;
        } else if (!exists(destination)) {
            if (!isValidDirectoryPathLength(destination) ||
                platform::wmkdir(destination.nativeString()) != 0)
                result = false;
        }
        ++top.listing;
    }
    return result;
}

bool copySymbolicLink(Path const& from, Path const& to, bool failIfExists) {
    if (symbolicLinkStatus(from).getType() != SymbolicLinkFile)
        return false;
    if (exists(to) && (failIfExists || !remove(to)))
        return false;
    // The new link points at the end of the chain, not at the text the old link holds.
    Path const target = canonical(from);
    if (target == from)
        return false;
    return createSymbolicLink(target, to);
}

} // namespace koril::filesystem
