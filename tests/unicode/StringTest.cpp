#include <koril/unicode/String.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using koril::unicode::String;
constexpr auto npos = String::npos;

TEST(StringConstruction, CountAndIteratorPairAndNullPointer) {
    String const repeated(3, 0x1F600);
    EXPECT_EQ(repeated.codePoints(), String::storage_type(3, 0x1F600));
    EXPECT_TRUE(String(0, 'x').empty());

    String const source("abcdef");
    EXPECT_EQ(String(source.begin() + 1, source.begin() + 4), String("bcd"));
    EXPECT_TRUE(String(source.begin() + 2, source.begin() + 2).empty());

    EXPECT_TRUE(String(static_cast<char const*>(nullptr)).empty());
}

TEST(StringSearch, PositionsAndNpos) {
    String const s("abcabc");
    String const path("C:\\d\u00e9j\u00e0\\x");
    struct Case {
        char const* what;
        String::size_type actual;
        String::size_type expected;
    } const cases[] = {
        {"find string", s.find(String("bc")), 1},
        {"find string from a later position", s.find(String("bc"), 2), 4},
        {"find missing string", s.find(String("cb")), npos},
        {"find string longer than the rest", s.find(String("bca"), 4), npos},
        {"find empty string", s.find(String(), 3), 3},
        {"find empty string beyond the end", s.find(String(), 7), npos},
        {"find code point", s.find('c'), 2},
        {"find code point beyond the end", s.find('a', 100), npos},
        {"find non-ASCII code point", path.find(0xE0), 6},
        {"find_first_of", s.find_first_of('b', 2), 4},
        {"find_first_not_of", String("aab").find_first_not_of('a'), 2},
        {"find_first_not_of from position", s.find_first_not_of('a', 3), 4},
        {"find_first_not_of only matches", String("aaa").find_first_not_of('a'), npos},
        {"find_last_of set", s.find_last_of(String("ab")), 4},
        {"find_last_of set up to position", s.find_last_of(String("ab"), 3), 3},
        {"find_last_of set up to 0", s.find_last_of(String("bc"), 0), npos},
        {"find_last_of empty set", s.find_last_of(String()), npos},
        {"find_last_of code point", s.find_last_of('a'), 3},
        {"find_last_of code point up to position", s.find_last_of('a', 2), 0},
        {"find_last_of code point at position 0", s.find_last_of('a', 0), 0},
        {"find_last_of code point missing", s.find_last_of('c', 1), npos},
        {"find_last_of separator in non-ASCII text", path.find_last_of('\\'), 7},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.what;
}

TEST(StringEditing, SubstrClipsCountAndPosition) {
    String const s("abcdef");
    struct Case {
        String::size_type pos;
        String::size_type count;
        char const* expected;
    } const cases[] = {
        {0, npos, "abcdef"}, {2, 2, "cd"},  {4, 10, "ef"},    {0, 0, ""},
        {6, 1, ""},          {7, npos, ""}, {npos, npos, ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(s.substr(c.pos, c.count), String(c.expected)) << c.pos << "," << c.count;
}

TEST(StringEditing, ReplaceAndErase) {
    struct ReplaceCase {
        String::size_type pos;
        String::size_type count;
        char const* with;
        char const* expected;
    } const replaceCases[] = {
        {1, 2, "XY", "aXYd"}, {0, 0, "X", "Xabcd"}, {2, npos, "Z", "abZ"},
        {1, 3, "", "a"},      {4, 1, "Z", "abcdZ"}, {9, 1, "Z", "abcdZ"},
    };
    for (auto const& c : replaceCases) {
        String s("abcd");
        EXPECT_EQ(s.replace(c.pos, c.count, String(c.with)), String(c.expected))
            << c.pos << "," << c.count << "," << c.with;
    }

    struct EraseCase {
        String::size_type pos;
        char const* expected;
    } const eraseCases[] = {{0, ""}, {2, "ab"}, {4, "abcd"}, {10, "abcd"}, {npos, "abcd"}};
    for (auto const& c : eraseCases) {
        String s("abcd");
        EXPECT_EQ(s.erase(c.pos), String(c.expected)) << c.pos;
    }
}

TEST(StringEditing, AppendForms) {
    String s("a");
    s.append(String("bc")).append(2, 0x301);
    s += String("\u00e9");
    s += 0x10000u;
    EXPECT_EQ(s.codePoints(), (String::storage_type{'a', 'b', 'c', 0x301, 0x301, 0xE9, 0x10000}));
    String self("ab");
    self.append(self);
    EXPECT_EQ(self, String("abab"));
}

TEST(StringEditing, EveryConcatenationForm) {
    String const a("ab");
    String const b("cd");
    String const ab("abcd");
    EXPECT_EQ(a + b, ab);
    EXPECT_EQ(String(a) + b, ab);
    EXPECT_EQ(a + String(b), ab);
    EXPECT_EQ(String(a) + String(b), ab);
    EXPECT_EQ(a + 'x', String("abx"));
    EXPECT_EQ(String(a) + 'x', String("abx"));
    EXPECT_EQ('x' + a, String("xab"));
    EXPECT_EQ('x' + String(a), String("xab"));
    EXPECT_EQ(a, String("ab")); // lvalue operands are left alone
    EXPECT_EQ(b, String("cd"));

    // Two temporaries, where only the right one has room for the result.
    String::storage_type roomy{'c', 'd'};
    roomy.reserve(64);
    String::storage_type tight{'a', 'b'};
    tight.shrink_to_fit();
    EXPECT_EQ(String(tight) + String(roomy), ab);
}

TEST(StringComparison, OrderIsByCodePoint) {
    struct Case {
        String a;
        String b;
        int order;
    } const cases[] = {
        {String(""), String(""), 0},
        {String("a"), String("b"), -1},
        {String("ab"), String("a"), 1},
        {String(""), String("a"), -1},
        {String("B"), String("a"), -1},            // no case folding
        {String("\u00e9"), String("f"), 1},        // U+00E9 above U+0066
        {String("e\u0301"), String("\u00e9"), -1}, // no normalisation
        {String(1, 0x10000), String(1, 0xFFFF), 1},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(c.a == c.b, c.order == 0) << c.a.toUTF8String() << " vs " << c.b.toUTF8String();
        EXPECT_EQ(c.a != c.b, c.order != 0);
        EXPECT_EQ(c.a < c.b, c.order < 0);
        EXPECT_EQ(c.a <= c.b, c.order <= 0);
        EXPECT_EQ(c.a > c.b, c.order > 0);
        EXPECT_EQ(c.a >= c.b, c.order >= 0);
    }
}

} // namespace
