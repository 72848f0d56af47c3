// Glob matching against the standard library's engine, on short subjects.
//
// Input: a pattern and a subject (at most 48 and 16 UTF-16 units). The oracle rewrites the
// pattern (`*` to ".*", `?` to "."), compiles it as a `std::wregex` (ECMAScript) and runs
// `std::regex_match` over the subject path's text in UTF-16. Checked:
// - when the oracle cannot compile the pattern, `matchesGlobPattern` raises `std::regex_error`;
// - otherwise it raises nothing and gives the oracle's answer (false when the oracle's engine
//   raises `std::regex_error` while matching).
// The oracle stays out of patterns it cannot judge, on which the library only has to return or
// raise `std::regex_error`:
// - a back-reference of 19 digits or more: the standard library's compiler overflows reading it
//   (undefined behaviour in the oracle; the library's own engine raises `error_backref`);
// - repetition counts whose product exceeds 1000: the standard engine unrolls them into as
//   many states, which is slow, not wrong.
// Patterns that quantify an item holding a quantifier or an alternation (as in "*+", "(a*)+" or
// "(a||b){31,}"), or with more than 8 quantifiers, are left out altogether: the standard
// engine's depth-first search takes exponential time on the former ("*+x" over 16 units:
// minutes) and time growing with the subject length to the power of the number of quantifiers
// on the latter (34 stars and a literal that is missing: minutes), so the oracle cannot answer
// them in time.

#include "FuzzInput.h"

#include <koril/filesystem/Operations.h>

#include <regex>
#include <string>
#include <vector>

namespace {

using koril::filesystem::matchesGlobPattern;
using koril::filesystem::Path;
using koril::fuzz::describe;
using koril::unicode::String;

constexpr std::size_t kMaxPatternUnits = 48;
constexpr std::size_t kMaxSubjectUnits = 16;
constexpr std::size_t kMaxRepetitionProduct = 1000;
constexpr std::size_t kOverflowingDigits = 19;

bool isDigit(wchar_t unit) {
    return unit >= L'0' && unit <= L'9';
}

// Written apart from the library's rewrite, so that a fault there is not copied here.
std::wstring rewritten(std::wstring const& pattern) {
    static std::wregex const star(L"\\*");
    static std::wregex const question(L"\\?");
    return std::regex_replace(std::regex_replace(pattern, star, L".*"), question, L".");
}

// Whether the oracle can judge the expression (see above). Reads every digit run after `\` and
// inside braces; overestimating is harmless.
bool oracleCanJudge(std::wstring const& expression) {
    std::size_t product = 1;
    for (std::size_t i = 0; i < expression.size(); ++i) {
        wchar_t const unit = expression[i];
        if (unit != L'\\' && unit != L'{' && unit != L',')
            continue;
        std::size_t digits = 0;
        std::size_t value = 0;
        while (i + 1 < expression.size() && isDigit(expression[i + 1])) {
            ++i;
            ++digits;
            value = std::min<std::size_t>(value * 10 + (expression[i] - L'0'), 1000000);
        }
        if (digits >= kOverflowingDigits)
            return false;
        if (unit != L'\\' && value > 1) {
            product = std::min<std::size_t>(product * value, 1000000);
            if (product > kMaxRepetitionProduct)
                return false;
        }
    }
    return true;
}

// The position of the `]` that ends the class opened at `open`. ECMAScript ends a class at its
// first unescaped `]`, even right after `[`: reading `[]` as the start of a longer class would
// hide the quantifiers after it. The standard engine also reads `[:name:]`, `[=x=]` and `[.x.]`
// inside a class as one item each, so their `]` does not end it.
std::size_t classEnd(std::wstring const& expression, std::size_t open) {
    std::size_t i = open + 1;
    while (i < expression.size() && expression[i] != L']') {
        wchar_t const next = i + 1 < expression.size() ? expression[i + 1] : L'\0';
        if (expression[i] == L'\\') {
            i += 2;
        } else if (expression[i] == L'[' && (next == L':' || next == L'=' || next == L'.')) {
            std::size_t const close = expression.find(std::wstring{next, L']'}, i + 2);
            i = close == std::wstring::npos ? expression.size() : close + 2;
        } else {
            ++i;
        }
    }
    return i;
}

constexpr std::size_t kMaxQuantifiers = 8;

// Whether a quantifier applies to an item that holds a quantifier or an alternation, or there
// are too many quantifiers. Reads escapes and classes as single items; overestimating is
// harmless.
bool isTooCostly(std::wstring const& expression) {
    std::vector<bool> groupHoldsQuantifier{false}; // or an alternation
    bool previousHoldsQuantifier = false;
    std::size_t quantifiers = 0;
    for (std::size_t i = 0; i < expression.size(); ++i) {
        wchar_t const unit = expression[i];
        if (unit == L'*' || unit == L'+' || unit == L'?' || unit == L'{') {
            if (previousHoldsQuantifier || ++quantifiers > kMaxQuantifiers)
                return true;
            if (unit == L'{')
                while (i + 1 < expression.size() && expression[i] != L'}')
                    ++i;
            groupHoldsQuantifier.back() = true;
            previousHoldsQuantifier = true;
            continue;
        }
        if (unit == L'(') {
            groupHoldsQuantifier.push_back(false);
        } else if (unit == L'|') {
            groupHoldsQuantifier.back() = true;
        } else if (unit == L')' && groupHoldsQuantifier.size() > 1) {
            previousHoldsQuantifier = groupHoldsQuantifier.back();
            groupHoldsQuantifier.pop_back();
            groupHoldsQuantifier.back() = groupHoldsQuantifier.back() || previousHoldsQuantifier;
            continue;
        } else if (unit == L'\\') {
            // `\cX` is one item whatever X is, even `[`.
            i += i + 1 < expression.size() && expression[i + 1] == L'c' ? 2 : 1;
        } else if (unit == L'[') {
            i = classEnd(expression, i);
        }
        previousHoldsQuantifier = false;
    }
    return false;
}

enum class Outcome { Match, NoMatch, CompileError };

Outcome oracle(std::wstring const& expression, std::wstring const& subject) {
    std::wregex regex;
    try {
        regex.assign(expression, std::regex_constants::ECMAScript);
    } catch (std::regex_error const&) {
        return Outcome::CompileError;
    }
    try {
        return std::regex_match(subject, regex) ? Outcome::Match : Outcome::NoMatch;
    } catch (std::regex_error const&) {
        return Outcome::NoMatch;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    auto const texts = koril::fuzz::textParts(data, size, 2);
    String const& pattern = texts[0];
    Path const subject(texts[1]);
    std::wstring const patternUnits = pattern.toWString();
    std::wstring const subjectUnits = subject.string().toWString();
    if (patternUnits.size() > kMaxPatternUnits || subjectUnits.size() > kMaxSubjectUnits)
        return -1; // not a short subject: keep out of the corpus

    std::wstring const expression = rewritten(patternUnits);
    if (isTooCostly(expression))
        return -1;
    Outcome library;
    try {
        library = matchesGlobPattern(subject, pattern) ? Outcome::Match : Outcome::NoMatch;
    } catch (std::regex_error const&) {
        library = Outcome::CompileError;
    }
    if (!oracleCanJudge(expression))
        return 0;

    Outcome const expected = oracle(expression, subjectUnits);
    std::string const what = describe(pattern) + " on " + describe(subject.string());
    KORIL_FUZZ_CHECK(library == expected,
                     what + ": the library said " + std::to_string(static_cast<int>(library)) +
                         ", the standard engine " + std::to_string(static_cast<int>(expected)) +
                         " (0 match, 1 no match, 2 does not compile)");
    return 0;
}
