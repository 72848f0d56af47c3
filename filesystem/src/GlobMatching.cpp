#include <koril/filesystem/Operations.h>

#include "GlobMatcher.h"
#include "RegexMatcher.h"
#include "WildcardMatcher.h"

#include <string>

namespace koril::filesystem {

namespace {

std::wstring rewrite(std::wstring const& pattern) {
    std::wstring expression;
    expression.reserve(pattern.size() * 2);
    for (wchar_t const unit : pattern) {
        if (unit == L'*')
            expression += L".*";
        else if (unit == L'?')
            expression += L'.';
        else
            expression += unit;
    }
    return expression;
}

} // namespace

namespace detail {

GlobMatcher::GlobMatcher(String const& pattern) : units_(pattern.toWString()) {
    if (!isWildcardPattern(units_))
        program_ = compileRegex(rewrite(units_));
}

bool GlobMatcher::matches(Path const& path) const {
    return matches(path.string().toWString());
}

bool GlobMatcher::matches(std::wstring_view units) const {
    if (!program_)
        return matchWildcards(units_, units);
    return matchRegex(*program_, units);
}

} // namespace detail

bool matchesGlobPattern(Path const& path, String const& pattern) {
    return detail::GlobMatcher(pattern).matches(path);
}

} // namespace koril::filesystem
