// The engine against the standard library's `std::wregex` (ECMAScript) on the same target:
// the same expressions compile, with the same error codes, and match the same subjects.

#include "RegexMatcher.h"
#include "SmallStackThread.h"

#include <gtest/gtest.h>

#include <cstring>
#include <locale>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

using koril::filesystem::detail::compileRegex;
using koril::filesystem::detail::matchRegex;
using koril::filesystem::detail::RegexProgram;

constexpr int kCompiled = -1; // in place of an error code

template <class Compile> int errorCode(Compile compile) {
    try {
        compile();
        return kCompiled;
    } catch (std::regex_error const& error) {
        return error.code();
    }
}

int compileCode(std::wstring const& expression, RegexProgram* program = nullptr) {
    return errorCode([&] {
        RegexProgram compiled = compileRegex(expression);
        if (program != nullptr)
            *program = std::move(compiled);
    });
}

int standardCode(std::wstring const& expression, std::wregex* regex = nullptr) {
    return errorCode([&] {
        std::wregex compiled(expression, std::regex_constants::ECMAScript);
        if (regex != nullptr)
            *regex = std::move(compiled);
    });
}

std::string printable(std::wstring const& text) {
    std::string result;
    for (wchar_t const unit : text)
        result += unit >= 0x20 && unit < 0x7F ? std::string(1, static_cast<char>(unit))
                                              : "&#" + std::to_string(unsigned(unit)) + ";";
    return result;
}

// The standard scanner leaves its first token uninitialised when the expression starts with a
// unit that narrows to a special character without a token of its own (U+FF3D narrows to `]`
// on Windows), so what it does with such an expression depends on leftover memory.
bool startsWithUndefinedToken(std::wstring const& expression) {
    if (expression.empty() || expression[0] == 0)
        return false;
    auto const& facet = std::use_facet<std::ctype<wchar_t>>(std::locale());
    char const narrowed = facet.narrow(expression[0], ' ');
    return narrowed != '\0' && std::strchr("\\()[]{}", narrowed) != nullptr &&
           std::wstring(L"\\()[]{}").find(expression[0]) == std::wstring::npos;
}

// Places where the standard engine departs from ECMAScript or that are easy to get wrong; the
// random test below starts with them.
wchar_t const* const kKnownTraps[] = {
    L"a(?=^b)b",          // `^` holds where a lookahead starts
    L"a(?=\\bb)b",        // and `\b` does not look before it
    L"(?:(?=(a))x|a)\\1", // a lookahead's captures survive backing out of it
    L"(?!(a))\\1",
    L"(a)|b\\1",             // a back-reference to a group that did not match fails
    L"(?:(a)|b)+\\1",        // a group keeps its capture from an earlier pass
    L"(?:(a|)|()\\1)*\\2b?", // a loop's body runs twice, not once, at one position
    L"(?:()|\\1(\\1?))*\\2b?",
    L"(a*)*\\1",
    L"(?:(a)|())*\\1\\2",
    L"(a){0}\\1",
    L"\\cA",
    L"[]a]",
    L"[^]",
    L"[a-z-\\d]",
    L"[\\b]",
    L"a{1}{2}",
    L"x???",
    L"[[.hyphen.]]",
    L"[[:W:]]",
    L"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10",
    L"\\01",
    L"(?:a|ab)(?:c|bcd)(?:d*)",
};

// Random expressions from a grammar that covers the whole syntax, mistakes included, and random
// subjects over an alphabet that the expressions speak of.
class ExpressionGenerator {
public:
    explicit ExpressionGenerator(unsigned seed) : random_(seed) {}

    std::wstring expression() {
        quantifiers_ = 0;
        switch (below(10)) {
        case 0:
        case 1:
            return junk();
        case 2:
            return bracket() + sequence(1) + (below(2) == 0 ? bracket() : L"");
        default:
            return sequence(0);
        }
    }

    std::wstring subject() {
        static wchar_t const common[] = L"aab1 _-\n";
        static wchar_t const rare[] = L"A\x2028\xE9\r\b";
        std::wstring subject(below(below(4) == 0 ? 9 : 6), L'a');
        for (auto& unit : subject)
            unit = below(4) == 0 ? rare[below(5)] : common[below(8)];
        return subject;
    }

private:
    unsigned below(unsigned bound) { return static_cast<unsigned>(random_() % bound); }

    template <std::size_t N> wchar_t const* pick(wchar_t const* const (&choices)[N]) {
        return choices[below(N)];
    }

    std::wstring sequence(int depth) {
        static wchar_t const* const atoms[] = {
            L"a",       L"b",   L".",    L"\\d",  L"\\w",         L"\\s",     L"\\D",
            L"\\W",     L"\\S", L"[ab]", L"[^a]", L"[a-c]",       L"[\\d-]",  L"[-a]",
            L"\\b",     L"\\B", L"^",    L"$",    L"\\1",         L"\\2",     L"\\x61",
            L"\\u0062", L"\\n", L"\\0",  L"\\cA", L"[[:alpha:]]", L"[[=a=]]", L"[[.b.]]",
            L"\\-",     L"]",   L"}",    L"-",    L"1",           L" ",       L"_"};
        static wchar_t const* const mistakes[] = {L"\\", L"[", L"(", L")",  L"{",     L"*",
                                                  L"+",  L"?", L"|", L"{,", L"{3,1}", L"{2"};
        static wchar_t const* const quantifiers[] = {
            L"*", L"+", L"?", L"*?", L"+?", L"??", L"{2}", L"{0,1}", L"{1,}", L"{0,2}?", L"{1,3}"};
        static wchar_t const* const openings[] = {L"(", L"(", L"(?:", L"(?=", L"(?!"};
        std::wstring result;
        for (unsigned terms = below(4) + (depth == 0 ? 1 : 0); terms > 0; --terms) {
            unsigned const kind = below(20);
            if (kind < 11) {
                result += pick(atoms);
            } else if (kind < 12) {
                result += pick(mistakes);
                ++quantifiers_;
            } else if (kind < 17 && depth < 3) {
                result += pick(openings);
                result += sequence(depth + 1);
                if (below(3) == 0)
                    result += L"|" + sequence(depth + 1);
                if (below(30) != 0)
                    result += L")";
            } else {
                result += L"|";
            }
            if (below(3) == 0 && quantifiers_++ < kQuantifierLimit)
                result += pick(quantifiers);
        }
        return result;
    }

    // Units that narrow to special characters on some targets are among the pool.
    std::wstring junk() {
        static wchar_t const pool[] = L"()[]{}|*+?.^$\\-,:=!abcd0123 xuBbDdSsWwc\xE9\xFF0A"
                                      L"\x2028\x0144\xFF3D\x01C0\xFF08\x02C4";
        std::wstring result(below(12) + 1, L'a');
        for (auto& unit : result)
            unit = pool[below(sizeof pool / sizeof pool[0] - 1)];
        return result;
    }

    std::wstring bracket() {
        static wchar_t const* const items[] = {
            L"a",     L"b",          L"-",     L"\\d",   L"\\W", L"[:alpha:]", L"[:w:]", L"[:foo:]",
            L"[.a.]", L"[.hyphen.]", L"[=a=]", L"\\b",   L"\\B", L"\\1",       L"]",     L"^",
            L"[",     L"z",          L"0",     L"\\x41", L"\\-", L"\\]",       L"[:",    L"\xE9"};
        std::wstring result = below(3) == 0 ? L"[^" : L"[";
        for (unsigned count = below(5); count > 0; --count)
            result += pick(items);
        if (below(20) != 0)
            result += L"]";
        return result;
    }

    // The standard engine takes exponential time on some expressions with quantifiers inside
    // quantifiers; a few per expression keep every search short.
    static constexpr int kQuantifierLimit = 3;

    std::mt19937 random_;
    int quantifiers_ = 0;
};

TEST(RegexEngine, AgreesWithTheStandardEngineOnRandomExpressions) {
    std::size_t const traps = sizeof kKnownTraps / sizeof kKnownTraps[0];
    std::vector<std::wstring> trapSubjects = {L"",   L"a",    L"ab",     L"aa",          L"abab",
                                              L"A",  L"\x01", L"-",      L"]",           L"\n",
                                              L"\b", L"\x85", L"\x2028", L"abcdefghijj", L"abcd"};
    trapSubjects.emplace_back(1, L'\0');
    ExpressionGenerator generator(20261206);
    int compiled = 0;
    int refused = 0;
    int matched = 0;
    int compared = 0;
    for (std::size_t round = 0; round < traps + 12000; ++round) {
        std::wstring const expression = round < traps ? kKnownTraps[round] : generator.expression();
        if (startsWithUndefinedToken(expression))
            continue;
        std::wregex regex;
        RegexProgram program;
        int const expected = standardCode(expression, &regex);
        ASSERT_EQ(compileCode(expression, &program), expected) << printable(expression);
        if (expected != kCompiled) {
            ++refused;
            continue;
        }
        ++compiled;
        std::vector<std::wstring> subjects =
            round < traps ? trapSubjects : std::vector<std::wstring>();
        while (subjects.size() < 12)
            subjects.push_back(generator.subject());
        for (auto const& subject : subjects) {
            bool const answer = std::regex_match(subject, regex);
            ASSERT_EQ(matchRegex(program, subject), answer)
                << printable(expression) << " ~ " << printable(subject);
            ++compared;
            matched += answer ? 1 : 0;
        }
    }
    // The grammar must keep producing both outcomes in fair numbers.
    EXPECT_GT(compiled, 5000);
    EXPECT_GT(refused, 2000);
    EXPECT_GT(matched, 4000);
    EXPECT_GT(compared - matched, 40000);
}

// The standard compiler gives up beyond 100,000 automaton states; the engine counts its states
// the same way.
TEST(RegexEngine, RefusesTheSameExpressionsAsTooLarge) {
    char const* const expressions[] = {
        "x{99993}",        "x{99994}",        "(a|b){12498}",         "(a|b){12499}",
        "[a-z]{1,49997}?", "[a-z]{1,49998}?", "((a)|(?=b)c){2,6248}", "((a)|(?=b)c){2,6249}",
        "x{99999999999}"};
    for (char const* expression : expressions) {
        std::wstring const wide(expression, expression + std::strlen(expression));
        EXPECT_EQ(compileCode(wide), standardCode(wide)) << expression;
    }
    // The standard compiler's count overflows here (its behaviour is undefined); it cannot be
    // built within the limit.
    EXPECT_EQ(compileCode(L"x{99999999999999999999}"), std::regex_constants::error_space);
    EXPECT_EQ(compileCode(L"x{0,99999999999999999999}"), std::regex_constants::error_space);
    EXPECT_EQ(compileCode(L"x{99999999999999999999,1}"), std::regex_constants::error_badbrace);
}

// What the standard engine does recursively (and so only as deep as a stack allows), the
// engine does on the heap.
TEST(RegexEngine, DeepAndLongExpressionsNeedNoStack) {
    std::wstring const nested = std::wstring(20000, L'(') + L"a" + std::wstring(20000, L')');
    std::wstring lookaheads;
    for (int i = 0; i < 3000; ++i)
        lookaheads += L"(?=";
    lookaheads += L"\\1" + std::wstring(3000, L')') + L"\\1";
    std::wstring const longest(99996, L'a');
    bool results[4] = {};
    int tooLongCode = 0;
    koril::tests::runOnSmallStack([&] {
        results[0] = matchRegex(compileRegex(nested), L"a");
        results[1] = matchRegex(compileRegex(L"a" + lookaheads.substr(0, 3000 * 3) + L"b" +
                                             std::wstring(3000, L')') + L"b"),
                                L"ab");
        results[2] = matchRegex(compileRegex(L"(a)" + lookaheads), L"aa");
        results[3] = matchRegex(compileRegex(longest), longest);
        tooLongCode = compileCode(longest + L"a");
    });
    for (bool result : results)
        EXPECT_TRUE(result);
    EXPECT_EQ(tooLongCode, std::regex_constants::error_space);
}

} // namespace
