#ifndef KORIL_FILESYSTEM_SRC_REGEXMATCHER_H
#define KORIL_FILESYSTEM_SRC_REGEXMATCHER_H

#include "RegexProgram.h"

#include <string_view>

namespace koril::filesystem::detail {

// The standard engine searches depth-first, in the order that the expression gives, and
// answers as soon as one path reaches the end of the expression at the end of the subject.
// Without back-references no path's captures matter, and neither does the order: the answer
// is whether such a path exists, which `matchByReachability` finds in time proportional to the
// subject's length times the expression's size. Back-references make the answer depend on what each
// path captured, and `matchByBacktracking` follows the standard engine's search path for path.

// Both run on heap stacks: neither the subject's length nor the expression's nesting weighs on
// the call stack.
bool matchByReachability(RegexProgram const& program, std::wstring_view subject);
bool matchByBacktracking(RegexProgram const& program, std::wstring_view subject);
// The same answer as `matchByReachability`, with the sets of live states held in one word; for
// the programs that have follow sets.
bool matchByFollowSets(RegexProgram const& program, std::wstring_view subject);

// Whether the whole of `subject` matches, as `std::regex_match` with default flags answers.
inline bool matchRegex(RegexProgram const& program, std::wstring_view subject) {
    if (program.followSets)
        return matchByFollowSets(program, subject);
    return program.hasBackreferences ? matchByBacktracking(program, subject)
                                     : matchByReachability(program, subject);
}

// Whether `state`, one that consumes a unit, takes `unit`.
inline bool takesUnit(RegexProgram const& program, RegexState const& state, wchar_t unit) {
    switch (state.op) {
    case RegexOp::Unit:
        return unit == state.unit;
    case RegexOp::AnyUnit:
        return unit != L'\n' && unit != L'\r' && unit != 0x2028 && unit != 0x2029;
    case RegexOp::Bracket:
        return program.brackets[static_cast<std::size_t>(state.index)].matches(program.traits,
                                                                               unit);
    default:
        return false;
    }
}

// `\b` between `position - 1` and `position`; a search that starts at `begin` (a lookahead
// starts a search of its own) does not look before it.
inline bool isWordBoundary(RegexProgram const& program, std::wstring_view subject,
                           std::size_t begin, std::size_t position) {
    bool const before = position != begin && program.isWordUnit(subject[position - 1]);
    bool const after = position != subject.size() && program.isWordUnit(subject[position]);
    return before != after;
}

} // namespace koril::filesystem::detail

#endif
