#include <koril/unicode/String.h>
#include <koril/unicode/Utf8.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using koril::unicode::appendUtf8;
using koril::unicode::decodeUtf8;
using koril::unicode::String;
using koril::unicode::Utf8Sequence;
using CodePoints = String::storage_type;
constexpr unsigned int kFFFD = 0xFFFD;

std::wstring units(std::vector<unsigned int> const& values) {
    return std::wstring(values.begin(), values.end());
}

std::string hex(std::string const& bytes) {
    return ::testing::PrintToString(bytes);
}

// Well-formed input of every length is covered by the round trip of every scalar value below.
TEST(Utf8Decoding, MalformedInput) {
    struct Case {
        std::string bytes;
        CodePoints expected;
    } const cases[] = {
        {"", {}},
        {std::string("a\0b", 3), {'a', 0, 'b'}},
        // Truncated sequences: one U+FFFD for the whole valid prefix.
        {"\xC3", {kFFFD}},
        {"\xF0\x9F\x98", {kFFFD}},
        {"\xF0\x9F\x98"
         "A",
         {kFFFD, 'A'}},
        {"\xE2\x82\xC3\xA9", {kFFFD, 0xE9}},
        {"\xC3\xC3\xA9", {kFFFD, 0xE9}},
        // Overlong forms: every byte is its own subpart.
        {"\xC0\x80", {kFFFD, kFFFD}},
        {"\xE0\x9F\xBF", {kFFFD, kFFFD, kFFFD}},
        {"\xF0\x8F\xBF\xBF", {kFFFD, kFFFD, kFFFD, kFFFD}},
        // Surrogates encoded in UTF-8.
        {"\xED\xA0\x80\xED\xB0\x80", CodePoints(6, kFFFD)},
        // Beyond U+10FFFF, and bytes that never occur.
        {"\xF4\x90\x80\x80", {kFFFD, kFFFD, kFFFD, kFFFD}},
        {"\xF5\x80\x80\x80", {kFFFD, kFFFD, kFFFD, kFFFD}},
        {"\xF8\x88\x80\x80\x80", CodePoints(5, kFFFD)},
        {"\xFE\xFF", {kFFFD, kFFFD}},
        // Lone continuation bytes.
        {"\x80\xBF", {kFFFD, kFFFD}},
        {"a\x80"
         "b",
         {'a', kFFFD, 'b'}},
        {"\xC3\xA9\xA9", {0xE9, kFFFD}},
        // The mixed example used to explain the maximal-subpart practice.
        {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
         {0x61, kFFFD, kFFFD, kFFFD, 0x62, kFFFD, 0x63, kFFFD, kFFFD, 0x64}},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(String(c.bytes).codePoints(), c.expected) << hex(c.bytes);
        if (c.bytes.find('\0') == std::string::npos) {
            EXPECT_EQ(String(c.bytes.c_str()).codePoints(), c.expected) << hex(c.bytes);
        }
    }
}

TEST(Utf8Sequence, SurrogateFormsOnlyWhenAdmitted) {
    // Every surrogate: its three-byte form is one sequence with them and three bytes without.
    for (unsigned int c = 0xD800; c <= 0xDFFF; ++c) {
        std::string bytes;
        appendUtf8(c, bytes);
        Utf8Sequence const admitted = decodeUtf8(bytes.data(), bytes.size(), true);
        ASSERT_TRUE(admitted.wellFormed && admitted.codePoint == c && admitted.length == 3) << c;
        EXPECT_EQ(String(bytes).codePoints(), CodePoints(3, kFFFD)) << c;
    }
}

// Out of range code points become U+FFFD; lone surrogates keep their generalised forms.
TEST(Utf8AndUtf16Encoding, EveryLengthAndTheGeneralisedForms) {
    struct Case {
        unsigned int codePoint;
        std::string bytes;
        std::vector<unsigned int> units;
    } const cases[] = {
        {0, std::string(1, '\0'), {0}},
        {0x80, "\xC2\x80", {0x80}},
        {0x7FF, "\xDF\xBF", {0x7FF}},
        {0x800, "\xE0\xA0\x80", {0x800}},
        {0xD800, "\xED\xA0\x80", {0xD800}},
        {0xFFFF, "\xEF\xBF\xBF", {0xFFFF}},
        {0x10000, "\xF0\x90\x80\x80", {0xD800, 0xDC00}},
        {0x10FFFF, "\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}},
        {0x110000, "\xEF\xBF\xBD", {kFFFD}},
        {0xFFFFFFFF, "\xEF\xBF\xBD", {kFFFD}},
    };
    for (auto const& c : cases) {
        String const text(1, c.codePoint);
        EXPECT_EQ(hex(text.toUTF8String()), hex(c.bytes)) << c.codePoint;
        EXPECT_EQ(text.toWString(), units(c.units)) << c.codePoint;
    }
}

TEST(Utf8RoundTrip, EveryScalarValue) {
    CodePoints all;
    for (unsigned int c = 0; c <= 0x10FFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF)
            all.push_back(c);
    String const text(all);
    EXPECT_EQ(String(text.toUTF8String()).codePoints(), all);
}

TEST(Utf16Decoding, PairsAndUnpairedSurrogates) {
    struct Case {
        std::vector<unsigned int> units;
        CodePoints expected;
    } const cases[] = {
        {{0x41, 0}, {0x41, 0}},
        {{0xD800, 0xDC00}, {0x10000}},
        {{0xD800, 0xDFFF}, {0x103FF}},
        {{0xDBFF, 0xDC00}, {0x10FC00}},
        {{0xDBFF, 0xDFFF}, {0x10FFFF}},
        // Just outside the two surrogate ranges: no pair.
        {{0xD7FF, 0xDC00}, {0xD7FF, 0xDC00}},
        {{0xDC00, 0xDC00}, {0xDC00, 0xDC00}},
        {{0xD800, 0xDBFF}, {0xD800, 0xDBFF}},
        {{0xDBFF, 0xE000}, {0xDBFF, 0xE000}},
        {{0xD800, 0x41}, {0xD800, 0x41}},
        {{0xDC00, 0xD800}, {0xDC00, 0xD800}},
        {{0xD800, 0xD800, 0xDC00}, {0xD800, 0x10000}},
        {{0xD800, 0xDC00, 0xDC00}, {0x10000, 0xDC00}},
    };
    for (auto const& c : cases) {
        std::wstring const native = units(c.units);
        EXPECT_EQ(String(native).codePoints(), c.expected);
        EXPECT_EQ(String(native).toNativeString(), native);
    }
}

} // namespace
