// Checks the normalisation and case folding against the test and data files of the Unicode
// Character Database, and beyond what they list.
#include "UnicodeTestSupport.h"

#include <koril/unicode/String.h>

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

namespace {

using koril::testing::FailureLog;
using koril::testing::formatCodePoints;
using koril::testing::parseCodePoints;
using koril::testing::unicodeDataFile;
using koril::unicode::isNFD;
using koril::unicode::simpleCaseFold;
using koril::unicode::String;
using koril::unicode::toNFD;

constexpr unsigned int kCodePointCount = 0x110000;

std::string trim(std::string const& text) {
    auto const first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The data lines of a semicolon-separated file: trimmed fields, comments and blank lines
// skipped.
std::vector<std::vector<std::string>> readDataLines(std::string const& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in.is_open()) << "cannot open " << path;
    std::vector<std::vector<std::string>> lines;
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        std::vector<std::string> fields;
        std::string::size_type start = 0;
        for (auto end = line.find(';'); end != std::string::npos; end = line.find(';', start)) {
            fields.push_back(trim(line.substr(start, end - start)));
            start = end + 1;
        }
        fields.push_back(trim(line.substr(start)));
        lines.push_back(fields);
    }
    return lines;
}

TEST(NormalizationConformance, EveryLineOfNormalizationTest) {
    auto const lines = readDataLines(unicodeDataFile(KORIL_TEST_DATA_DIR, "NormalizationTest.txt"));
    ASSERT_GT(lines.size(), 10000u);
    FailureLog failures;
    std::vector<bool> listedAlone(kCodePointCount);
    bool characterSection = false;
    std::size_t cases = 0;
    for (auto const& fields : lines) {
        if (fields[0].rfind("@Part", 0) == 0) {
            characterSection = fields[0].rfind("@Part1", 0) == 0;
            continue;
        }
        ASSERT_GE(fields.size(), 5u);
        std::array<String, 5> c;
        for (std::size_t i = 0; i < c.size(); ++i)
            c[i] = parseCodePoints(fields[i]);
        if (characterSection && c[0].size() == 1 && c[0][0] < kCodePointCount)
            listedAlone[c[0][0]] = true;
        ++cases;
        auto const check = [&](String const& input, String const& expected) {
            String const actual = toNFD(input);
            if (actual != expected)
                failures.add("toNFD(" + formatCodePoints(input) + ") = " +
                             formatCodePoints(actual) + ", expected " + formatCodePoints(expected));
            if (isNFD(input) != (actual == input))
                failures.add("isNFD(" + formatCodePoints(input) + ") disagrees with toNFD");
        };
        for (int i : {0, 1, 2})
            check(c[i], c[2]);
        for (int i : {3, 4})
            check(c[i], c[4]);
        if (!isNFD(c[2]) || !isNFD(c[4]))
            failures.add("the NFD columns of " + fields[0] + " are not taken as NFD");
    }
    EXPECT_GT(cases, 10000u);

    // Every code point missing from the character-by-character section (@Part1) is unchanged.
    for (unsigned int c = 0; c < kCodePointCount; ++c) {
        if (listedAlone[c])
            continue;
        String const single(1, c);
        if (!isNFD(single) || toNFD(single) != single)
            failures.add("unlisted " + formatCodePoints(single) + " is changed by toNFD");
    }
}

TEST(CaseFoldingConformance, CommonAndSimpleMappingsAndNothingElse) {
    auto const lines = readDataLines(unicodeDataFile(KORIL_UNICODE_DATA_DIR, "CaseFolding.txt"));
    std::vector<unsigned int> expected(kCodePointCount);
    for (unsigned int c = 0; c < kCodePointCount; ++c)
        expected[c] = c;
    std::size_t mappings = 0;
    for (auto const& fields : lines) {
        ASSERT_GE(fields.size(), 3u);
        if (fields[1] == "C" || fields[1] == "S") {
            String const from = parseCodePoints(fields[0]);
            String const to = parseCodePoints(fields[2]);
            ASSERT_TRUE(from.size() == 1 && to.size() == 1 && from[0] < kCodePointCount);
            expected[from[0]] = to[0];
            ++mappings;
        }
    }
    EXPECT_GT(mappings, 1400u);
    FailureLog failures;
    for (unsigned int c = 0; c < kCodePointCount; ++c) {
        unsigned int const folded = simpleCaseFold(c);
        if (folded != expected[c])
            failures.add("simpleCaseFold(" + formatCodePoints(String(1, c)) +
                         ") = " + formatCodePoints(String(1, folded)));
    }
    for (unsigned int c : {0x110000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) // beyond the range: unchanged
        EXPECT_EQ(simpleCaseFold(c), c) << std::hex << c;
}

// What the conformance file leaves out: code points without data, and stretches of ASCII around
// the text that needs work (where a quick path over ASCII must hand over exactly).
TEST(Normalization, DecompositionAndCanonicalOrder) {
    struct Case {
        char const* input;
        char const* nfd;
    } const cases[] = {
        {"0065 0301 0316 0062 0301 0316", "0065 0316 0301 0062 0316 0301"}, // runs sort apart
        {"00E9 0316", "0065 0316 0301"},      // decomposed mark joins the following one
        {"D7A4", "D7A4"},                     // just past the syllables
        {"D800 0301 DC00", "D800 0301 DC00"}, // surrogates are starters
        {"110000 0301", "110000 0301"},       // beyond U+10FFFF: no data, no trouble
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

} // namespace
