// Flat walks over the children of one directory, with a callback that may stop the walk.

#include "GlobMatcher.h"
#include "TreeRemoval.h"
#include "TreeWalk.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

#include <optional>
#include <string>
#include <utility>

namespace koril::filesystem {

namespace {

// Walks the children of `directory` while `visit(parent, record)` says go on: false when the
// path is missing or no directory, or a visit stopped the walk; true once every child was
// visited and at least one was.
template <class Visit> bool walkChildren(Path const& directory, Visit visit) {
    if (!exists(directory) || !isDirectory(directory))
        return false;
    platform::Directory listing;
    if (!platform::openDirectory(directory, platform::DirectoryUse::walkFollowingLinks, listing))
        return false;
    bool visited = false;
    bool const completed =
        detail::walkEntries(std::move(listing), [&](platform::Directory const& parent,
                                                    platform::DirectoryRecord const& record) {
            visited = true;
            return visit(parent, record);
        });
    return completed && visited;
}

// Visits the children whose names match `pattern`; the others count as a request to go on. The
// pattern is compiled at the first child, so that a bad pattern raises there and an empty
// directory raises nothing.
template <class Visit>
bool walkMatchingChildren(Path const& directory, String const& pattern, Visit visit) {
    std::optional<detail::GlobMatcher> matcher;
    std::wstring units;
    return walkChildren(
        directory, [&](platform::Directory const& parent, platform::DirectoryRecord const& record) {
            if (!matcher)
                matcher.emplace(pattern);
            if (!matcher->matches(platform::unitsOfName(record.name, units)))
                return true;
            return visit(parent, record);
        });
}

} // namespace

bool forEach(Path const& directory, PathPredicate callback) {
    // The callback works on its own copy of the path, so it may remove or rename the entry.
    return walkChildren(directory, [&callback](platform::Directory const& parent,
                                               platform::DirectoryRecord const& record) {
        return callback(platform::pathOf(platform::at(parent, record.name)));
    });
}

bool forEachMatching(Path const& directory, String const& pattern, PathPredicate callback) {
    return walkMatchingChildren(
        directory, pattern,
        [&callback](platform::Directory const& parent, platform::DirectoryRecord const& record) {
            return callback(platform::pathOf(platform::at(parent, record.name)));
        });
}

bool removeMatching(Path const& directory, String const& pattern) {
    return walkMatchingChildren(
        directory, pattern,
        [](platform::Directory const& parent, platform::DirectoryRecord const& record) {
            return platform::removeEntry(platform::at(parent, record.name));
        });
}

bool removeAllMatching(Path const& directory, String const& pattern) {
    return walkMatchingChildren(
        directory, pattern,
        [](platform::Directory const& parent, platform::DirectoryRecord const& record) {
            return detail::removeAllAt(parent, record.name);
        });
}

} // namespace koril::filesystem
