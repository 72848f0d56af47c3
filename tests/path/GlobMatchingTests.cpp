#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <pthread.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

using koril::filesystem::matchesGlobPattern;
using koril::filesystem::Path;
using koril::unicode::String;

String fromUnits(std::wstring const& units) {
    return String(units);
}

TEST(GlobMatching, PatternLanguage) {
    struct Case {
        char const* pattern;
        char const* subject;
        bool matches;
    } const cases[] = {
        {"*.txt", "notes.txt", true},
        {"*.txt", "notes_txt", true},
        {"*.txt", "NOTES.TXT", false},
        {"*.txt", "txt", false},
        {"data?.bin", "data1.bin", true},
        {"data?.bin", "data.bin", false},
        {"[ab]*", "alpha", true},
        {"[ab]*", "gamma", false},
        {"a+b", "a+b", false},
        {"a+b", "aab", true},
        {"*", "", true},
        {"", "x", false},
        {"", "", true},
        {"*.txt", R"(dir\notes.txt)", true},
        {R"(\d\d)", "42", true},
        {R"(a\*)", "a...", true}, // `\*` becomes `\.*`: literal dots
        {R"(a\*)", "ab", false},
        {R"(a\?)", "a.", true},
        {R"(a\?)", "ab", false},
        {"[*?]", "*", true},
        {"[*?]", ".", true},
        {"[*?]", "?", false},
        {"(log|txt)", "txt", true},
        {"^a$", "a", true},
        {"x{2}", "xx", true},
        {"x{2}", "x{2}", false},
        {"*", "a\nb", false}, // `.` stops at line terminators
        {"a?b", "a\rb", false},
        {"**", "abc", true},
        {"*?*", "", false},
        {"*?*", "x", true},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "aXcYb", false},
        {"*a", "bbb", false},
        {"?", "\xC3\xA9", true},          // one BMP code point, one unit
        {"?", "\xF0\x9F\x98\x80", false}, // an astral code point is two units
        {"??", "\xF0\x9F\x98\x80", true},
        {"\xC3\xA9*", "\xC3\xA9t\xC3\xA9", true},
        {"(a)\\1", "aa", true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.subject);
        EXPECT_EQ(matchesGlobPattern(Path(c.subject), String(c.pattern)), c.matches);
    }
}

TEST(GlobMatching, PatternsThatDoNotCompileThrow) {
    char const* const broken[] = {"(log", "[ab", "a)", "x{", "\\", "*(", "+", "a**+("};
    for (char const* pattern : broken)
        EXPECT_THROW(matchesGlobPattern(Path("anything"), String(pattern)), std::regex_error)
            << pattern;
    // Refused before the compiler could exhaust the stack.
    String const nested = String(5000, '(') + String("a") + String(5000, ')');
    EXPECT_THROW(matchesGlobPattern(Path("a"), nested), std::regex_error);
    EXPECT_THROW(matchesGlobPattern(Path("aaa"), String("(a|){5000}")), std::regex_error);
    EXPECT_TRUE(matchesGlobPattern(Path("abab"), String("(a?){1,4}")));
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
            EXPECT_THROW(matchesGlobPattern(Path("x"), fromUnits(pattern)), std::regex_error);
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
            String const subjectText = fromUnits(subject);
            if (subjectText.toWString() != subject)
                continue; // a surrogate pair split differently; the engine sees the text's units
            Path const path(subjectText);
            if (path.string() != subjectText)
                continue; // `/` and long-path prefixes are normalised away
            bool const expected = std::regex_match(subject, regex);
            ASSERT_EQ(matchesGlobPattern(path, fromUnits(pattern)), expected)
                << "pattern units " << pattern.size() << ", subject units " << subject.size();
            ++compared;
            matched += expected ? 1 : 0;
        }
    }
    EXPECT_GT(compared, 15000);
    EXPECT_GT(matched, 3000);
    EXPECT_GT(compared - matched, 3000);
}

// Long subjects leave the depth-first engine; the answers must not change.
TEST(GlobMatching, RegularExpressionModesAgree) {
    char const* const patterns[] = {"(a|b)*",   "(ab|a)*b?", "[ab]*a.?", "(a*)*b",  "a{1,3}(b|a)*",
                                    "(?:a|b)+", "(?=a)a*",   "(a|)*",    "[^b]*b*", "(aa|a)?*"};
    std::mt19937 random(77);
    for (char const* pattern : patterns) {
        std::wstring const expression = [&] {
            std::wstring result;
            for (wchar_t unit : String(pattern).toWString())
                result += unit == L'*' ? std::wstring(L".*")
                                       : std::wstring(1, unit == L'?' ? L'.' : unit);
            return result;
        }();
        std::wregex const depthFirst(expression, std::regex_constants::ECMAScript);
        std::wregex const breadthFirst(expression, std::regex_constants::ECMAScript |
                                                       std::regex_constants::__polynomial);
        for (int round = 0; round < 300; ++round) {
            std::wstring subject(random() % 10, L'a');
            for (auto& unit : subject)
                unit = L"abc\n"[random() % 4];
            ASSERT_EQ(std::regex_match(subject, breadthFirst),
                      std::regex_match(subject, depthFirst))
                << pattern;
        }
    }
}

struct LongMatch {
    Path subject;
    String pattern;
    bool result = false;
    bool threw = false;
};

void* runLongMatches(void* argument) {
    auto& jobs = *static_cast<std::vector<LongMatch>*>(argument);
    for (auto& job : jobs) {
        try {
            job.result = matchesGlobPattern(job.subject, job.pattern);
        } catch (...) {
            job.threw = true;
        }
    }
    return nullptr;
}

// A 1 MiB stack is the default for threads on Windows.
TEST(GlobMatching, LongestNameMatchesOnASmallStack) {
    String const name = String(32762, 'a') + String(".txt");
    ASSERT_EQ(name.size(), 32766u);
    String const withDigit = String(32766, 'a') + String("7");
    std::vector<LongMatch> jobs = {
        {Path(name), String("*.txt")},      {Path(name), String("a*a?txt")},
        {Path(name), String("*.doc")},      {Path(name), String("[a-z]*.txt")},
        {Path(name), String("(a|b)*.txt")}, {Path(name), String("(a|b)*.doc")},
        {Path(withDigit), String("a+\\d")}, {Path(withDigit), String("(a)\\1*\\d")},
        {Path(name), String("a*")},
    };
    bool const expected[] = {true, true, false, true, true, false, true, false, true};
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 1 << 20), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, runLongMatches, &jobs), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attributes);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_FALSE(jobs[i].threw) << jobs[i].pattern.toUTF8String();
        EXPECT_EQ(jobs[i].result, expected[i]) << jobs[i].pattern.toUTF8String();
    }
}

} // namespace
