#include "UnicodeTestSupport.h"

#include <koril/unicode/String.h>

#include <gtest/gtest.h>

namespace {

using koril::testing::formatCodePoints;
using koril::testing::parseCodePoints;
using koril::unicode::isNFD;
using koril::unicode::simpleCaseFold;
using koril::unicode::String;
using koril::unicode::toNFD;

TEST(Normalization, DecompositionAndCanonicalOrder) {
    struct Case {
        char const* input;
        char const* nfd;
    } const cases[] = {
        {"", ""},
        {"0041 0042", "0041 0042"},
        {"00E9", "0065 0301"},
        {"1E69", "0073 0323 0307"},           // recursive decomposition
        {"1F82", "03B1 0313 0300 0345"},      // four code points from one
        {"0065 0301 0316", "0065 0316 0301"}, // 230 after 220
        {"0065 0301 0300", "0065 0301 0300"}, // equal classes keep their order
        {"0065 0301 0316 0062 0301 0316", "0065 0316 0301 0062 0316 0301"}, // runs sort apart
        {"00E9 0316", "0065 0316 0301"},      // decomposed mark joins the following one
        {"0344", "0308 0301"},                // decomposable non-starter
        {"AC00", "1100 1161"},                // Hangul LV
        {"AC01", "1100 1161 11A8"},           // Hangul LVT
        {"D7A3", "1112 1175 11C2"},           // last syllable
        {"D7A4", "D7A4"},                     // just past the syllables
        {"D800 0301 DC00", "D800 0301 DC00"}, // surrogates are starters
        {"110000 0301", "110000 0301"},       // beyond U+10FFFF: no data, no trouble
        {"2126", "03A9"},                     // singleton
        {"0958", "0915 093C"},                // composition exclusion still decomposes
        // Non-ASCII inside and after stretches of ASCII
        {"0041 0042 0043 0044 0045 00E9 0047 0048 0049",
         "0041 0042 0043 0044 0045 0065 0301 0047 0048 0049"},
        {"0041 0042 0043 0044 0065 0301 0316 0048", "0041 0042 0043 0044 0065 0316 0301 0048"},
        {"0041 0042 0043 0044 0045 0046 0047 0048 00C0",
         "0041 0042 0043 0044 0045 0046 0047 0048 0041 0300"},
    };
    for (auto const& c : cases) {
        String const input = parseCodePoints(c.input);
        String const expected = parseCodePoints(c.nfd);
        EXPECT_EQ(formatCodePoints(toNFD(input)), formatCodePoints(expected)) << c.input;
        EXPECT_EQ(isNFD(input), input == expected) << c.input;
    }
}

TEST(Normalization, LongRunOfMarksIsSortedStably) {
    String::storage_type marks;
    for (int i = 0; i < 100000; ++i) {
        marks.push_back(i % 2 == 0 ? 0x301 : 0x316);
        marks.push_back(0x300);
    }
    String const text('a' + String(marks));
    EXPECT_FALSE(isNFD(text));
    String const nfd = toNFD(text);
    ASSERT_EQ(nfd.size(), text.size());
    // The marks of class 220 move to the front; those of class 230 keep their order.
    String expected('a' + String(50000, 0x316));
    for (int i = 0; i < 50000; ++i)
        expected += parseCodePoints("0301 0300 0300");
    EXPECT_TRUE(nfd == expected);
    EXPECT_TRUE(isNFD(nfd));
}

TEST(CaseFolding, SimpleFoldsOnly) {
    struct Case {
        unsigned int codePoint;
        unsigned int folded;
    } const cases[] = {
        {'A', 'a'},       {'Z', 'z'},           {'@', '@'},
        {'[', '['},       {'a', 'a'},           {0xC0, 0xE0},
        {0xD7, 0xD7},     {0xDF, 0xDF},         {0x1E9E, 0xDF},
        {0x3A9, 0x3C9},   {0x2126, 0x3C9},      {0x130, 0x130},
        {0x212A, 'k'},    {0x10400, 0x10428},   {0x1E921, 0x1E943},
        {0xD800, 0xD800}, {0x110000, 0x110000}, {0xFFFFFFFF, 0xFFFFFFFF},
    };
    for (auto const& c : cases)
        EXPECT_EQ(simpleCaseFold(c.codePoint), c.folded) << std::hex << c.codePoint;
}

} // namespace
