// Recursive comparison of two directory trees, links followed.

#include "TreeWalk.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace koril::filesystem {

namespace {

struct ListedEntry {
    // The name as the library's text, for comparing and sorting.
    Path name;
    platform::NativeName native;
    platform::EntryKind kind;
};

using Listing = std::vector<ListedEntry>;

// Names in path order (case and composition ignored), with exact code points breaking ties, so
// that names which differ only in case sort alike on both sides whatever order the directories
// list them in.
void sortListing(Listing& listing) {
    std::sort(listing.begin(), listing.end(), [](ListedEntry const& x, ListedEntry const& y) {
        int const order = comparePaths(x.name, y.name);
        return order != 0 ? order < 0 : x.name.string() < y.name.string();
    });
}

// Within each run of names that compare equal (`x.txt` beside `X.TXT`), `b` is reordered so that
// identical spellings pair first; the rest pair in order.
void pairTwins(Listing const& a, Listing& b) {
    std::size_t const size = std::min(a.size(), b.size());
    for (std::size_t first = 0; first < size;) {
        std::size_t end = first + 1;
        while (end < size && comparePaths(a[end].name, a[first].name) == 0)
            ++end;
        std::size_t const count = end - first;
        if (count > 1) {
            Listing run(std::make_move_iterator(b.begin() + static_cast<std::ptrdiff_t>(first)),
                        std::make_move_iterator(b.begin() + static_cast<std::ptrdiff_t>(end)));
            std::vector<bool> taken(count, false);
            std::vector<std::size_t> choice(count, count);
            for (std::size_t k = 0; k < count; ++k)
                for (std::size_t m = 0; m < count && choice[k] == count; ++m)
                    if (!taken[m] && run[m].name.string() == a[first + k].name.string()) {
                        choice[k] = m;
                        taken[m] = true;
                    }
            std::size_t spare = 0;
            for (std::size_t k = 0; k < count; ++k) {
                if (choice[k] == count) {
                    while (taken[spare])
                        ++spare;
                    choice[k] = spare;
                    taken[spare] = true;
                }
                b[first + k] = std::move(run[choice[k]]);
            }
        }
        first = end;
    }
}

// The whole listing of a directory, sorted; a directory that could not be opened (a regular
// file, or one that cannot be read) lists nothing. False when the listing failed midway.
bool readListing(platform::Directory& directory, Listing& listing) {
    if (!directory.isOpen())
        return true;
    platform::DirectoryRecord record;
    for (;;) {
        switch (platform::readDirectory(directory, record)) {
        case platform::ReadResult::entry:
            listing.push_back({Path(platform::textOfName(record.name)), record.name, record.kind});
            break;
        case platform::ReadResult::end:
            sortListing(listing);
            return true;
        case platform::ReadResult::failed:
            return false;
        }
    }
}

// The type `status` reports for an entry: links followed, `FileNotFound` when the entry cannot be
// resolved.
FileType followedType(platform::Location location) {
    platform::Attributes attributes;
    if (!platform::queryFinalAttributes(location, attributes))
        return FileNotFound;
    if ((attributes.bits & platform::attributeReparsePoint) != 0)
        return SymbolicLinkFile;
    if ((attributes.bits & platform::attributeDirectory) != 0)
        return DirectoryFile;
    return RegularFile;
}

// The type `status` reports for a listed entry. What the listing gives as a file (not a link)
// needs no query: all a status could add is that the file cannot be opened, and the file
// comparison settles that alike.
FileType typeOf(ListedEntry const& entry, platform::Location location) {
    return entry.kind == platform::EntryKind::file ? RegularFile : followedType(location);
}

using IdentityPair = std::pair<platform::DirectoryIdentity, platform::DirectoryIdentity>;

struct ComparisonFrame {
    platform::Directory a;
    platform::Directory b;
    Listing listingA;
    Listing listingB;
    std::size_t next = 0;
    // Whether the pair's identity is on the stack of pairs being compared.
    bool tracked = false;
};

// The trees are walked in step, pair by pair in sorted order, and the walk stops at the first
// difference. Links are followed, so a link back to an ancestor would unfold the trees without
// end: a pair of directories that is already being compared further up (the same objects on both
// sides) ends its branch as equal, since any difference below it is also reachable without
// passing through the repeated pair. There are finitely many pairs, so the walk always ends.
class TreeComparison {
public:
    using Frame = ComparisonFrame;
    using Item = std::size_t;

    // Lists both sides of a frame; false when they differ already in their number of entries.
    bool begin(Frame& frame) {
        if (!readListing(frame.a, frame.listingA) || !readListing(frame.b, frame.listingB) ||
            frame.listingA.size() != frame.listingB.size())
            return false;
        pairTwins(frame.listingA, frame.listingB);
        IdentityPair identity;
        if (frame.a.isOpen() && frame.b.isOpen() && platform::identityOf(frame.a, identity.first) &&
            platform::identityOf(frame.b, identity.second)) {
            onPath_.push_back(identity);
            frame.tracked = true;
        }
        return true;
    }

    bool read(Frame& frame, Item& index) {
        if (frame.next == frame.listingA.size())
            return false;
        index = frame.next++;
        return true;
    }

    detail::WalkStep visit(Frame& frame, Item const& index, std::optional<Frame>& child) {
        ListedEntry const& x = frame.listingA[index];
        ListedEntry const& y = frame.listingB[index];
        if (x.name != y.name)
            return detail::WalkStep::stop;
        platform::Location const a = platform::at(frame.a, x.native);
        platform::Location const b = platform::at(frame.b, y.native);
        Frame below;
        bool opened = false;
        // Two entries listed as directories (not links) that open as directories are what
        // `status` reports; only the rest are asked.
        if (x.kind != platform::EntryKind::directory || y.kind != platform::EntryKind::directory ||
            !openBelow(frame, x, y, below, opened)) {
            FileType const type = typeOf(x, a);
            if (type != typeOf(y, b))
                return detail::WalkStep::stop;
            if (type != DirectoryFile)
                return platform::compareFiles(a, b) ? detail::WalkStep::next
                                                    : detail::WalkStep::stop;
            if (!opened)
                openBelow(frame, x, y, below, opened);
        }
        if (isOnPath(below))
            return detail::WalkStep::next;
        if (!begin(below))
            return detail::WalkStep::stop;
        child = std::move(below);
        return detail::WalkStep::descend;
    }

    bool leave(Frame finished, Frame*) {
        if (finished.tracked)
            onPath_.pop_back();
        return true;
    }

private:
    // Opens both sides of a pair of subdirectories for the walk; true when both opened. What
    // cannot be opened lists as empty.
    static bool openBelow(Frame const& frame, ListedEntry const& x, ListedEntry const& y,
                          Frame& below, bool& opened) {
        opened = true;
        platform::openDirectory(frame.a, x.native, platform::DirectoryUse::walkFollowingLinks,
                                below.a);
        platform::openDirectory(frame.b, y.native, platform::DirectoryUse::walkFollowingLinks,
                                below.b);
        return below.a.isOpen() && below.b.isOpen();
    }

    bool isOnPath(Frame const& frame) const {
        IdentityPair identity;
        return frame.a.isOpen() && frame.b.isOpen() &&
               platform::identityOf(frame.a, identity.first) &&
               platform::identityOf(frame.b, identity.second) &&
               std::find(onPath_.begin(), onPath_.end(), identity) != onPath_.end();
    }

    std::vector<IdentityPair> onPath_;
};

} // namespace

bool compareDirectories(Path const& a, Path const& b) {
    if (!exists(a) || !exists(b))
        return false;
    ComparisonFrame root;
    // What cannot be listed (a regular file, an unreadable directory) counts as empty.
    platform::openDirectory(a, platform::DirectoryUse::walkFollowingLinks, root.a);
    platform::openDirectory(b, platform::DirectoryUse::walkFollowingLinks, root.b);
    TreeComparison comparison;
    if (!comparison.begin(root))
        return false;
    return detail::walkTree(std::move(root), comparison);
}

} // namespace koril::filesystem
