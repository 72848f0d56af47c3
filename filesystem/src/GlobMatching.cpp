#include <koril/filesystem/Operations.h>

#include "GlobMatcher.h"
#include "WildcardMatcher.h"

#include <algorithm>
#include <regex>
#include <string>

namespace koril::filesystem {

namespace {

// The standard engine recurses: its compiler once per term and per group level, its
// depth-first matcher once per state passed, so several times per subject unit. On a 1 MiB
// stack (the smallest default among the targets) the matcher was measured to return for
// products of subject length and (expression length + 1) up to about 7500 in optimised builds
// and 4300 in sanitizer builds, the worst case being nested capture groups; the budget keeps a
// margin of two below that. Longer subjects go to the breadth-first mode, whose recursion is
// bounded by the expression alone.
constexpr std::size_t kDepthFirstBudget = 2048;

// The compiler was measured to handle about 10000 terms or 2400 nested groups on 1 MiB, and
// the matchers an optional item repeated some 2000 times (each copy adds a level to the empty
// path through the repetition); an expression heavier than this is refused as too complex
// rather than risking the stack.
constexpr std::size_t kExpressionWeightLimit = 4096;
constexpr std::size_t kGroupWeight = 4;
constexpr std::size_t kRepeatWeight = 2;

std::size_t expressionWeight(std::wstring const& expression) {
    std::size_t weight = expression.size();
    std::size_t depth = 0;
    std::size_t deepest = 0;
    std::size_t count = 0;
    bool inBraces = false;
    for (wchar_t const unit : expression) {
        if (unit == L'(') {
            deepest = std::max(deepest, ++depth);
        } else if (unit == L')' && depth > 0) {
            --depth;
        } else if (unit == L'{') {
            inBraces = true;
            count = 0;
        } else if (inBraces && unit >= L'0' && unit <= L'9') {
            count = std::min<std::size_t>(count * 10 + static_cast<std::size_t>(unit - L'0'),
                                          kExpressionWeightLimit);
        } else if (inBraces) {
            weight += kRepeatWeight * count;
            count = 0;
            inBraces = unit == L',';
        }
    }
    return weight + kGroupWeight * deepest;
}

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

GlobMatcher::GlobMatcher(String const& pattern)
    : units_(pattern.toWString()), wildcard_(isWildcardPattern(units_)) {
    if (wildcard_)
        return;
    expression_ = rewrite(units_);
    if (expressionWeight(expression_) > kExpressionWeightLimit)
        throw std::regex_error(std::regex_constants::error_complexity);
    regex_.assign(expression_, std::regex_constants::ECMAScript);
}

bool GlobMatcher::matches(Path const& path) const {
    std::wstring const subject = path.string().toWString();
    if (wildcard_)
        return matchWildcards(units_, subject);
    try {
        if (subject.size() * (expression_.size() + 1) <= kDepthFirstBudget)
            return std::regex_match(subject, regex_);
        return matchesBreadthFirst(subject);
    } catch (std::regex_error const&) {
        return false;
    }
}

// The same answer as the depth-first engine for every expression without back-references.
// This mode refuses those (only depth-first search can follow them); the answer is then false,
// as when the depth-first engine runs out of room.
bool GlobMatcher::matchesBreadthFirst(std::wstring const& subject) const {
#if defined(__GLIBCXX__)
    if (!breadthFirstTried_) {
        breadthFirstTried_ = true;
        try {
            breadthFirst_.emplace(expression_, std::regex_constants::ECMAScript |
                                                   std::regex_constants::__polynomial);
        } catch (std::regex_error const&) {
            breadthFirst_.reset();
        }
    }
    return breadthFirst_ && std::regex_match(subject, *breadthFirst_);
#else
    (void)subject;
    return false;
#endif
}

} // namespace detail

bool matchesGlobPattern(Path const& path, String const& pattern) {
    return detail::GlobMatcher(pattern).matches(path);
}

} // namespace koril::filesystem
