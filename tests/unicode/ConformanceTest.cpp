// Checks the normalisation and case folding against the test and data files of the Unicode
// Character Database.
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
}

} // namespace
