#include "WildcardMatcher.h"

#include <cstring>
#include <locale>

namespace koril::filesystem::detail {

namespace {

bool isLineTerminator(wchar_t unit) {
    return unit == L'\n' || unit == L'\r' || unit == 0x2028 || unit == 0x2029;
}

bool isAnyUnit(wchar_t unit) {
    return unit == L'?' || unit == L'.';
}

} // namespace

// The expression scanner classifies a unit by its narrow form, taken with the `ctype` facet of
// the global locale, and looks it up in a NUL-terminated table of special characters. The test
// here asks the same facet, so a unit counts as literal exactly when the scanner takes it as
// one; on some targets units such as U+2028 narrow to an ASCII special character.
bool isWildcardPattern(std::wstring const& pattern) {
    static char const specials[] = "^$\\.*+?()[]{}|";
    auto const& facet = std::use_facet<std::ctype<wchar_t>>(std::locale());
    for (wchar_t const unit : pattern) {
        if (unit == L'*' || isAnyUnit(unit))
            continue;
        char const narrowed = facet.narrow(unit, ' ');
        if (narrowed == '\0' || std::strchr(specials, narrowed) != nullptr)
            return false;
    }
    return true;
}

// The classic two-pointer wildcard match: on a mismatch only the most recent `*` grows. That
// suffices here too: each literal run is matched at its leftmost place, which leaves the most
// room to what follows, and a run that holds a line terminator has only one place it can take,
// since no `*` before it may span a terminator.
bool matchWildcards(std::wstring const& pattern, std::wstring_view subject) {
    std::size_t const patternLength = pattern.size();
    std::size_t const subjectLength = subject.size();
    constexpr std::size_t none = std::wstring::npos;
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t starP = none;
    std::size_t starS = 0;
    while (s < subjectLength) {
        if (p < patternLength) {
            wchar_t const unit = pattern[p];
            if (unit == L'*') {
                starP = p++;
                starS = s;
                continue;
            }
            bool const matches =
                isAnyUnit(unit) ? !isLineTerminator(subject[s]) : unit == subject[s];
            if (matches) {
                ++p;
                ++s;
                continue;
            }
        }
        if (starP == none || isLineTerminator(subject[starS]))
            return false;
        s = ++starS;
        p = starP + 1;
    }
    while (p < patternLength && pattern[p] == L'*')
        ++p;
    return p == patternLength;
}

} // namespace koril::filesystem::detail
