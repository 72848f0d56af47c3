#ifndef KORIL_FILESYSTEM_SRC_REGEXPROGRAM_H
#define KORIL_FILESYSTEM_SRC_REGEXPROGRAM_H

#include "RegexBracket.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace koril::filesystem::detail {

enum class RegexOp : std::uint8_t {
    Unit,          // one code unit, `unit`
    AnyUnit,       // `.`: any unit but a line terminator
    Bracket,       // a unit of `brackets[index]`
    Backreference, // the text of group `index`, which must have matched
    LineBegin,     // `^`
    LineEnd,       // `$`
    WordBoundary,  // `\b`, or `\B` when `negated`
    Lookahead,     // `(?=...)`, or `(?!...)` when `negated`; the body starts at `alt`
    GroupBegin,    // start of capture group `index`
    GroupEnd,      // end of capture group `index`
    Alternative,   // try `alt`, then `next`
    Repeat,        // another pass through the body at `alt`, or leave by `next`; `negated`: lazy;
                   // `index` numbers the Repeats
    Accept,        // end of the expression, or of a lookahead body
    Dummy,         // a junction while compiling; the finished program links past every one
};

struct RegexState {
    RegexOp op = RegexOp::Dummy;
    bool negated = false; // WordBoundary, Lookahead; for Repeat: lazy
    wchar_t unit = 0;
    std::int32_t index = 0;
    std::int32_t next = -1;
    std::int32_t alt = -1;

    bool hasAlt() const {
        return op == RegexOp::Alternative || op == RegexOp::Repeat || op == RegexOp::Lookahead;
    }
};

// For an expression whose ways from one unit to the next depend on nothing but the expression
// (no anchor, word boundary, lookahead or back-reference) and that has at most 64 states that
// consume a unit: for each such state, the ones that may consume the next unit.
struct RegexFollowSets {
    std::vector<std::int32_t> consumers; // state ids, by bit
    std::vector<std::uint64_t> follow;   // by bit
    std::uint64_t first = 0;             // the consumers that may take the first unit
    std::uint64_t last = 0;              // the consumers after which the expression may end
    bool acceptsEmpty = false;
};

// A compiled ECMAScript expression: a graph of states in which every cycle passes a Repeat.
struct RegexProgram {
    std::vector<RegexState> states;
    std::vector<RegexBracket> brackets;
    RegexTraits traits;
    RegexTraits::char_class_type wordClass{};
    std::int32_t start = 0;
    std::size_t groupCount = 0;  // group 0, the whole match, included
    std::size_t repeatCount = 0; // Repeat states, numbered in `index`
    bool hasBackreferences = false;
    std::optional<RegexFollowSets> followSets;

    bool isWordUnit(wchar_t unit) const { return traits.isctype(unit, wordClass); }
};

// Compiles `expression` with the grammar and the limits of the standard library's ECMAScript
// `std::wregex`: what it refuses raises `std::regex_error` with the same code.
RegexProgram compileRegex(std::wstring const& expression);

// The follow sets of `program`, when it qualifies for them.
std::optional<RegexFollowSets> computeFollowSets(RegexProgram const& program);

} // namespace koril::filesystem::detail

#endif
