// Flat walks over the children of one directory, with a callback that may stop the walk.

#include "GlobMatcher.h"
#include "TreeRemoval.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <optional>

namespace koril::filesystem {

bool forEach(Path const& directory, PathPredicate callback) {
    if (!exists(directory) || !isDirectory(directory))
        return false;
    bool result = false;
    DirectoryIterator it(directory);
    DirectoryIterator const end;
    while (*it != *end) {
        // The callback works on a copy, so it may remove or rename the entry it receives.
        DirectoryEntry const entry = *it;
        result = callback(entry.getPath());
        if (!result)
            break;
        ++it;
    }
    return result;
}

bool forEachMatching(Path const& directory, String const& pattern, PathPredicate callback) {
    // Compiled at the first child, so that a bad pattern raises there and an empty directory
    // raises nothing. A skipped child counts as a request to go on; the callback is reached
    // (and, when empty, throws) only for a child that matches.
    std::optional<detail::GlobMatcher> matcher;
    return forEach(directory, [&pattern, &callback, &matcher](Path const& child) {
        if (!matcher)
            matcher.emplace(pattern);
        if (!matcher->matches(child.filename()))
            return true;
        return callback(child);
    });
}

bool removeMatching(Path const& directory, String const& pattern) {
    return forEachMatching(directory, pattern, [](Path const& child) { return remove(child); });
}

bool removeAllMatching(Path const& directory, String const& pattern) {
    return forEachMatching(directory, pattern, [](Path const& child) {
        // The link status, so that a link to a directory is removed as a link and its target
        // is never walked.
        if (symbolicLinkStatus(child).getType() == DirectoryFile)
            return detail::removeTree(child);
        return remove(child);
    });
}

} // namespace koril::filesystem
