#ifndef KORIL_FILESYSTEM_SRC_GLOBMATCHER_H
#define KORIL_FILESYSTEM_SRC_GLOBMATCHER_H

#include <koril/filesystem/Path.h>

#include <optional>
#include <regex>
#include <string>

namespace koril::filesystem::detail {

// A glob pattern compiled once, for matching many names: the traversals and the temporary
// directory sweep test every entry of a directory against one pattern.
class GlobMatcher {
public:
    // Throws `std::regex_error` when the rewritten pattern does not compile.
    explicit GlobMatcher(String const& pattern);

    // Whether the whole of `path.string()` matches; false when the engine fails while matching.
    bool matches(Path const& path) const;

private:
    bool matchesBreadthFirst(std::wstring const& subject) const;

    std::wstring units_;
    bool wildcard_ = false;
    std::wstring expression_;
    std::wregex regex_;
    // The breadth-first form, compiled at the first subject too long for the depth-first engine;
    // empty after that when the expression has back-references, which only depth-first follows.
    mutable std::optional<std::wregex> breadthFirst_;
    mutable bool breadthFirstTried_ = false;
};

} // namespace koril::filesystem::detail

#endif
