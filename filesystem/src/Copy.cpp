// Copying files, directory trees and links. Nothing here overwrites what it was not asked to.

#include "PathLocation.h"
#include "TreeWalk.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

#include <utility>

namespace koril::filesystem {

namespace {

bool isDirectoryOrLink(platform::Attributes const& attributes) {
    return (attributes.bits & (platform::attributeDirectory | platform::attributeReparsePoint)) !=
           0;
}

struct CopyFrame {
    platform::Directory source;
    platform::Directory target;
};

// Every entry is attempted; a failed one only makes the result false. Entries are read from the
// open source directory and written into the open target directory by the names they have, so
// that no name, and no directory replaced meanwhile, can lead the copy outside either tree.
class TreeCopy {
public:
    using Frame = CopyFrame;
    using Item = platform::DirectoryRecord;

    explicit TreeCopy(bool recursive) : recursive_(recursive) {}

    bool result() const { return result_; }

    bool read(Frame& frame, Item& record) {
        platform::ReadResult const read = platform::readDirectory(frame.source, record);
        if (read == platform::ReadResult::failed)
            result_ = false;
        return read == platform::ReadResult::entry;
    }

    detail::WalkStep visit(Frame& frame, Item const& record, std::optional<Frame>& child) {
        platform::Location const from = platform::at(frame.source, record.name);
        platform::Location const to = platform::at(frame.target, record.name);
        switch (record.kind) {
        case platform::EntryKind::directory:
            if (!recursive_)
                copyEmpty(to);
            else if (beginSubdirectory(frame, record.name, child))
                return detail::WalkStep::descend;
            break;
        case platform::EntryKind::link:
            copyLinkedFile(from, to);
            break;
        default:
            // Listed as a file: should it have become a link meanwhile, it is not followed.
            succeed(platform::copyFile(from, to, true, false));
            break;
        }
        return detail::WalkStep::next;
    }

    bool leave(Frame, Frame*) { return true; }

private:
    void succeed(bool done) { result_ = result_ && done; }

    // Without recursion a subdirectory is made again, empty.
    void copyEmpty(platform::Location to) {
        if (platform::exists(to))
            return;
        succeed(isValidDirectoryPathLength(platform::pathOf(to)) && platform::makeDirectory(to));
    }

    bool beginSubdirectory(Frame& frame, platform::NativeName const& name,
                           std::optional<Frame>& child) {
        Frame next;
        bool const begun = platform::makeDirectory(platform::at(frame.target, name)) &&
                           platform::openDirectory(frame.source, name, platform::DirectoryUse::walk,
                                                   next.source) &&
                           platform::openDirectory(frame.target, name,
                                                   platform::DirectoryUse::target, next.target);
        succeed(begun);
        if (begun)
            child = std::move(next);
        return begun;
    }

    // A link is copied as the contents of the file it leads to; a link to a directory is not
    // copied.
    void copyLinkedFile(platform::Location from, platform::Location to) {
        platform::Attributes target;
        if (platform::queryFinalAttributes(from, target) && isDirectoryOrLink(target)) {
            succeed(false);
            return;
        }
        succeed(platform::copyFile(from, to, true, true));
    }

    bool recursive_;
    bool result_ = true;
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
    detail::PathLocation const destination(to);
    if (!platform::copyFile(detail::PathLocation(from), destination, failIfExists))
        return false;
    return platform::exists(destination);
}

bool copyDirectory(Path const& from, Path const& to, bool recursive) {
    if (!exists(from) || exists(to))
        return false;
    if (status(from).getType() != DirectoryFile)
        return false;
    if (!createDirectories(to))
        return false;
    CopyFrame root;
    // The source may be a link to a directory: its target's contents are what is copied. A
    // source that cannot be opened for the walk makes the copy fail rather than come out empty.
    if (!platform::openDirectory(from, platform::DirectoryUse::walkFollowingLinks, root.source) ||
        !platform::openDirectory(to, platform::DirectoryUse::target, root.target))
        return false;
    TreeCopy copy(recursive);
    detail::walkTree(std::move(root), copy);
    return copy.result();
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
