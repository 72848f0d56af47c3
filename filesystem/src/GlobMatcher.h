#ifndef KORIL_FILESYSTEM_SRC_GLOBMATCHER_H
#define KORIL_FILESYSTEM_SRC_GLOBMATCHER_H

#include "RegexProgram.h"

#include <koril/filesystem/Path.h>

#include <optional>
#include <string>
#include <string_view>

namespace koril::filesystem::detail {

// A glob pattern compiled once, for matching many names: the traversals and the temporary
// directory sweep test every entry of a directory against one pattern.
class GlobMatcher {
public:
    // Throws `std::regex_error` when the rewritten pattern does not compile.
    explicit GlobMatcher(String const& pattern);

    // Whether the whole of `path.string()` matches.
    bool matches(Path const& path) const;
    // The same for text already in UTF-16 units.
    bool matches(std::wstring_view units) const;

private:
    std::wstring units_;
    // Empty when the pattern is made of wildcards and literals only (`units_` is then matched
    // without the regular-expression engine).
    std::optional<RegexProgram> program_;
};

} // namespace koril::filesystem::detail

#endif
