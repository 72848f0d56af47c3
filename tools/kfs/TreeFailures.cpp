#include "TreeFailures.h"

#include "Output.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

namespace kfs {

using namespace koril::filesystem;

namespace {

void compareCopy(Path const& from, Path const& to, bool recursive, TreeFailures& failures) {
    DirectoryIterator it(from);
    if (!it.canIterate()) {
        failures.add(from);
        return;
    }
    for (DirectoryEntry const end; *it != end; ++it) {
        Path const& source = it->getPath();
        Path const copy = to / source.filename();
        // Links inside a tree are copied as what they name, so the followed types must agree.
        FileType const type = status(source).getType();
        bool const sameType = status(copy).getType() == type;
        if (sameType && it->getSymlinkStatus().getType() == DirectoryFile && recursive) {
            compareCopy(source, copy, true, failures);
        } else if (!sameType || (type == RegularFile && fileSize(copy) != fileSize(source))) {
            failures.add(source);
        }
    }
}

// True when `path` is gone afterwards.
bool removeBottomUp(Path const& path, TreeFailures& failures) {
    if (symbolicLinkStatus(path).getType() == DirectoryFile) {
        // Collected first: the listing is not to change under the iterator.
        std::vector<Path> children;
        for (DirectoryIterator it(path), end; *it != *end; ++it) {
            children.push_back(it->getPath());
        }
        bool emptied = true;
        for (Path const& child : children) {
            emptied = removeBottomUp(child, failures) && emptied;
        }
        if (!emptied) {
            return false;
        }
    }
    if (remove(path)) {
        return true;
    }
    failures.add(path);
    return false;
}

} // namespace

void TreeFailures::add(Path const& path) {
    if (first_.size() < named) {
        first_.push_back(path);
    }
    ++count_;
}

int TreeFailures::report(Arguments const& arguments, std::string const& headline,
                         std::string const& what) const {
    if (count_ == 0) {
        return arguments.fail(headline);
    }
    std::string const entries = count_ == 1 ? " entry " : " entries ";
    arguments.fail(headline + ": " + std::to_string(count_) + entries + what + ":");
    for (Path const& path : first_) {
        printError("  " + quoted(path.string()));
    }
    if (count_ > first_.size()) {
        printError("  and " + std::to_string(count_ - first_.size()) + " more");
    }
    return exitFailure;
}

TreeFailures findUncopied(Path const& from, Path const& to, bool recursive) {
    TreeFailures failures;
    compareCopy(from, to, recursive, failures);
    return failures;
}

TreeFailures removeWhatRemains(Path const& root) {
    TreeFailures failures;
    removeBottomUp(root, failures);
    return failures;
}

TreeFailures removeMatchingRemains(Path const& directory, String const& pattern, bool recursive) {
    std::vector<Path> matching;
    forEachMatching(directory, pattern, [&matching](Path const& child) {
        matching.push_back(child);
        return true;
    });
    TreeFailures failures;
    for (Path const& child : matching) {
        if (recursive) {
            removeBottomUp(child, failures);
        } else if (!remove(child)) {
            failures.add(child);
        }
    }
    return failures;
}

} // namespace kfs
