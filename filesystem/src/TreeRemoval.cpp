// Removing whole trees, through the open directories of the one tree walk.

#include "TreeRemoval.h"

#include "PathLocation.h"
#include "TreeWalk.h"

#include <utility>

namespace koril::filesystem::detail {

namespace {

bool isRealDirectory(platform::Attributes const& attributes) {
    return (attributes.bits & platform::attributeDirectory) != 0 &&
           (attributes.bits & platform::attributeReparsePoint) == 0;
}

// An entry that the listing says is not a directory. A link that the platform counts as a
// directory (a Windows directory link) goes as a directory does: the link itself.
bool removeNonDirectory(platform::Location location, platform::DirectoryRecord const& record) {
    if (record.hasAttributes && (record.attributes.bits & platform::attributeDirectory) != 0)
        return platform::removeDirectory(location);
    return platform::removeFile(location);
}

struct RemovalFrame {
    platform::Directory directory;
    // The directory's name in its parent; unused for the root.
    platform::NativeName name;
    bool listingFailed = false;
};

class TreeRemoval {
public:
    using Frame = RemovalFrame;
    using Item = platform::DirectoryRecord;

    explicit TreeRemoval(platform::Location root) : root_(root) {}

    bool read(Frame& frame, Item& record) {
        platform::ReadResult const result = platform::readDirectory(frame.directory, record);
        frame.listingFailed = result == platform::ReadResult::failed;
        return result == platform::ReadResult::entry;
    }

    WalkStep visit(Frame& frame, Item const& record, std::optional<Frame>& child) {
        platform::Location const location = platform::at(frame.directory, record.name);
        if (record.kind != platform::EntryKind::directory)
            return removeNonDirectory(location, record) ? WalkStep::next : WalkStep::stop;
        Frame next{platform::Directory(), record.name, false};
        // Opened without following a link: a directory replaced by a link since it was listed
        // cannot be opened, and is then removed as it is (a link as itself) or not at all.
        if (!platform::openDirectory(frame.directory, record.name, platform::DirectoryUse::walk,
                                     next.directory))
            return platform::removeDirectory(location) ? WalkStep::next : WalkStep::stop;
        child = std::move(next);
        return WalkStep::descend;
    }

    bool leave(Frame finished, Frame* parent) {
        // A listing that failed midway leaves entries that were never seen.
        if (finished.listingFailed)
            return false;
        // Closed first: a directory that is held open cannot go on Windows.
        finished.directory.close();
        if (parent == nullptr)
            return platform::removeDirectory(root_);
        return platform::removeDirectory(platform::at(parent->directory, finished.name));
    }

private:
    platform::Location root_;
};

bool removeOpenTree(platform::Directory root, platform::Location location) {
    TreeRemoval removal(location);
    return walkTree(RemovalFrame{std::move(root), platform::NativeName(), false}, removal);
}

} // namespace

bool removeTree(Path const& directory) {
    PathLocation const location(directory);
    platform::Directory root;
    // A directory that cannot be listed is removed as it is, which works when it is empty.
    if (!platform::openDirectory(directory, platform::DirectoryUse::walk, root))
        return platform::removeDirectory(location);
    return removeOpenTree(std::move(root), location);
}

bool removeAllAt(platform::Directory const& parent, platform::NativeName const& name) {
    platform::Location const location = platform::at(parent, name);
    platform::Attributes attributes;
    if (!platform::queryAttributes(location, attributes) || !isRealDirectory(attributes))
        return platform::removeEntry(location);
    platform::Directory root;
    if (!platform::openDirectory(parent, name, platform::DirectoryUse::walk, root))
        return platform::removeDirectory(location);
    return removeOpenTree(std::move(root), location);
}

} // namespace koril::filesystem::detail
