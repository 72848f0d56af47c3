#include <koril/filesystem/Operations.h>

#include "SmallStackThread.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

using koril::filesystem::matchesGlobPattern;
using koril::filesystem::Path;
using koril::unicode::String;

TEST(GlobMatching, PatternLanguage) {
    struct Case {
        char const* pattern;
        char const* subject;
        bool matches;
    } const cases[] = {
        // Wildcards alone are covered by the differential test below.
        {"*.txt", "NOTES.TXT", false},
        {"*.txt", R"(dir\notes.txt)", true},
        {"a+b", "a+b", false},
        {"a+b", "aab", true},
        {R"(\d\d)", "42", true},
        {R"(a\*)", "a...", true}, // `\*` becomes `\.*`: literal dots
        {R"(a\*)", "ab", false},
        {R"(a\?)", "a.", true},
        {R"(a\?)", "ab", false},
        {"[*?]", "*", true},
        {"[*?]", ".", true},
        {"[*?]", "?", false},
        {"(log|txt)", "txt", true},
        {"x{2}", "xx", true},
        {"?", "\xF0\x9F\x98\x80", false}, // an astral code point is two units
        {"??", "\xF0\x9F\x98\x80", true},
        {"(a)\\1", "aa", true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.subject);
        EXPECT_EQ(matchesGlobPattern(Path(c.subject), String(c.pattern)), c.matches);
    }
}

TEST(GlobMatching, PatternsThatDoNotCompileThrow) {
    char const* const broken[] = {"(log", "[ab", "a)", "x{", "\\", "*(", "+", "a**+(", "[z-a]"};
    for (char const* pattern : broken)
        EXPECT_THROW(matchesGlobPattern(Path("anything"), String(pattern)), std::regex_error)
            << pattern;
    // No group can have this number; the digits must not overflow on the way to saying so.
    try {
        matchesGlobPattern(Path("3"), String("(3)\\33333333333333333333"));
        ADD_FAILURE() << "a back-reference to group 33333333333333333333 compiled";
    } catch (std::regex_error const& error) {
        EXPECT_EQ(error.code(), std::regex_constants::error_backref);
    }
}

// The linear matcher must agree with the regular-expression engine on everything it takes.
TEST(GlobMatching, WildcardPatternsAgreeWithTheEngine) {
    // Literal units that ECMAScript takes as themselves, line terminators and halves of a
    // surrogate pair included; the subject may also hold the separator.
    std::vector<wchar_t> const literals = {L'a', L'b',   L'\n',  L'\r',  L'-', 0x2028, 0x2029,
                                           0xE9, 0xD83D, 0xDE00, 0xFF0A, 0x85, L'/',   L' '};
    std::vector<wchar_t> alphabet = literals;
    alphabet.insert(alphabet.end(), {L'.', L'\\'});
    std::vector<wchar_t> patternAlphabet = literals;
    patternAlphabet.insert(patternAlphabet.end(), {L'*', L'*', L'?', L'?', L'.'});
    std::mt19937 random(20240611);
    auto pick = [&](std::vector<wchar_t> const& from, std::size_t maxLength) {
        std::wstring text(random() % (maxLength + 1), L' ');
        for (auto& unit : text)
            unit = from[random() % from.size()];
        return text;
    };
    int compared = 0;
    int matched = 0;
    for (int round = 0; round < 3000; ++round) {
        std::wstring const pattern = pick(patternAlphabet, 6);
        std::wstring expression;
        for (wchar_t unit : pattern)
            expression +=
                unit == L'*' ? std::wstring(L".*") : std::wstring(1, unit == L'?' ? L'.' : unit);
        std::wregex regex;
        try {
            regex.assign(expression, std::regex_constants::ECMAScript);
        } catch (std::regex_error const&) {
            // Some targets read a few non-ASCII units as special characters.
            EXPECT_THROW(matchesGlobPattern(Path("x"), String(pattern)), std::regex_error);
            continue;
        }
        for (int s = 0; s < 8; ++s) {
            std::wstring subject = pick(alphabet, 8);
            // Build some subjects that are likely to match.
            if (s % 2 == 0) {
                subject.clear();
                for (wchar_t unit : pattern) {
                    if (unit == L'*')
                        subject += pick(alphabet, 2);
                    else if (unit == L'?' || unit == L'.')
                        subject += alphabet[random() % alphabet.size()];
                    else
                        subject += unit;
                }
            }
            String const subjectText = String(subject);
            if (subjectText.toWString() != subject)
                continue; // a surrogate pair split differently; the engine sees the text's units
            Path const path(subjectText);
            if (path.string() != subjectText)
                continue; // `/` and long-path prefixes are normalised away
            bool const expected = std::regex_match(subject, regex);
            ASSERT_EQ(matchesGlobPattern(path, String(pattern)), expected)
                << "pattern units " << pattern.size() << ", subject units " << subject.size();
            ++compared;
            matched += expected ? 1 : 0;
        }
    }
    EXPECT_GT(compared, 15000);
    EXPECT_GT(matched, 3000);
    EXPECT_GT(compared - matched, 3000);
}

struct LongMatch {
    Path subject;
    String pattern;
    bool expected = false;
    bool result = false;
    bool threw = false;
};

// Patterns that the standard engine takes, each larger than what a recursive compiler or
// matcher can be trusted with, and the longest names; on a 1 MiB stack, the default for threads
// on Windows. The counted repetitions are tried at their bounds.
TEST(GlobMatching, HeavyPatternsAndLongestNamesMatchOnASmallStack) {
    String const name = String(32762, 'a') + String(".txt");
    String const withDigit = String(32766, 'a') + String("7");
    String const longest = String(32767, 'a');
    String alternation("(a");
    for (int i = 1; i < 600; ++i)
        alternation += String("|name" + std::to_string(i));
    alternation += String(")*.txt");
    std::vector<LongMatch> jobs = {
        {Path(name), String("*.txt"), true},
        {Path(name), String("*.doc"), false},
        {Path(name), String("[a-z]*.txt"), true},
        {Path(name), String("(a|b)*.doc"), false},
        {Path(withDigit), String("(a)\\1*\\d"), true},
        {Path(name), alternation, true},
        {Path(longest), alternation, false},
        {Path("name599_old.txt"), alternation, true},
        {Path(longest), String("a{2100}*"), true},
        {Path(longest), String("[a-z]{0,3000}"), false},
        {Path(longest), String("((a|b)+)+$"), true},
        {Path(String(32766, 'a')), String("(a+)\\1"), true},
        {Path(longest), String("(a+)\\1"), false},
        {Path(longest), String("(a|){500}"), false},
        {Path("aaa"), String("(a|){5000}"), true},
        {Path("a"), String(5000, '(') + String("a") + String(5000, ')'), true},
        {Path(std::string(2100, 'x')), String("x{2100}"), true},
        {Path(std::string(2099, 'x')), String("x{2100}"), false},
        {Path(std::string(3000, 'q')), String("[a-z]{0,3000}"), true},
        {Path(std::string(3001, 'q')), String("[a-z]{0,3000}"), false},
    };
    koril::tests::runOnSmallStack([&jobs] {
        for (auto& job : jobs) {
            try {
                job.result = matchesGlobPattern(job.subject, job.pattern);
            } catch (...) {
                job.threw = true;
            }
        }
    });
    for (auto const& job : jobs) {
        std::string const pattern = job.pattern.toUTF8String().substr(0, 40);
        EXPECT_FALSE(job.threw) << pattern;
        EXPECT_EQ(job.result, job.expected) << pattern;
    }
}

} // namespace
