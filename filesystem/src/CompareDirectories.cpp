// Recursive comparison of two directory trees, links followed.

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace koril::filesystem {

namespace {

// The canonical paths of the pairs of directories being compared, outermost first.
using PairStack = std::vector<std::pair<String, String>>;

// The entries keep the statuses that the listing gave them.
std::vector<DirectoryEntry> sortedListing(Path const& directory) {
    std::vector<DirectoryEntry> entries;
    DirectoryIterator it(directory);
    DirectoryIterator const end;
    for (; *it != *end; ++it)
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(), [](DirectoryEntry const& x, DirectoryEntry const& y) {
        return x.getPath() < y.getPath();
    });
    return entries;
}

// Whether two entries have the same type, links followed, and equal contents. Two entries that
// the listing gave as regular files (not links) go to `compareFiles` without asking `status`:
// all it could add is that one of them cannot be opened, and `compareFiles` then decides the
// pair alike, by a size that cannot be read. This spares two path resolutions per file.
bool sameTypeAndContents(DirectoryEntry const& x, DirectoryEntry const& y, PairStack& onPath);

// Links are followed, so a link back to an ancestor would unfold the trees without end. A pair
// of directories whose identities (canonical paths, compared exactly) are already being
// compared further up ends its branch as equal: any difference below it is also reachable
// without passing through the repeated pair, and is found there. The recursion always ends:
// every level pushes a pair that is not yet on the stack, and there are finitely many pairs.
// A directory whose canonical path cannot be had carries no identity; its branch then ends
// where the platform refuses the ever longer paths of the unfolded cycle.
bool compareTrees(Path const& a, Path const& b, PairStack& onPath) {
    std::pair<String, String> identity(canonical(a).string(), canonical(b).string());
    bool const known = !identity.first.empty() && !identity.second.empty();
    if (known && std::find(onPath.begin(), onPath.end(), identity) != onPath.end())
        return true;

    std::vector<DirectoryEntry> const listingA = sortedListing(a);
    std::vector<DirectoryEntry> const listingB = sortedListing(b);
    if (listingA.size() != listingB.size())
        return false;

    if (known)
        onPath.push_back(std::move(identity));
    bool equal = true;
    for (std::size_t i = 0; equal && i < listingA.size(); ++i)
        equal = listingA[i].getPath().filename() == listingB[i].getPath().filename() &&
                sameTypeAndContents(listingA[i], listingB[i], onPath);
    if (known)
        onPath.pop_back();
    return equal;
}

bool sameTypeAndContents(DirectoryEntry const& x, DirectoryEntry const& y, PairStack& onPath) {
    if (x.getStatus().getType() == RegularFile && y.getStatus().getType() == RegularFile)
        return compareFiles(x.getPath(), y.getPath());
    FileType const type = status(x.getPath()).getType();
    if (type != status(y.getPath()).getType())
        return false;
    if (type == DirectoryFile)
        return compareTrees(x.getPath(), y.getPath(), onPath);
    return compareFiles(x.getPath(), y.getPath());
}

} // namespace

bool compareDirectories(Path const& a, Path const& b) {
    if (!exists(a) || !exists(b))
        return false;
    PairStack onPath;
    return compareTrees(a, b, onPath);
}

} // namespace koril::filesystem
