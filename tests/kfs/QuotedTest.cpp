// How kfs quotes an argument in a message: whole when short, its two ends when long, and never
// with a control character that could break or recolour the line.

#include "Arguments.h"

#include <gtest/gtest.h>

#include <string>

namespace kfs {
namespace {

// The number of code points of UTF-8 text.
std::size_t codePoints(std::string const& text) {
    return String(text).size();
}

TEST(Quoted, KeepsAWordUpToTheLimit) {
    EXPECT_EQ(quoted(String("C:\\dir\\file.txt")), "'C:\\dir\\file.txt'");
    String const atLimit(quotedLimit, 'a');
    EXPECT_EQ(quoted(atLimit), "'" + std::string(quotedLimit, 'a') + "'");
}

TEST(Quoted, KeepsBothEndsOfALongWord) {
    for (std::size_t length : {quotedLimit + 1, std::size_t{1000}, std::size_t{40000}}) {
        String word(length, 'm');
        word.replace(0, 5, String("START"));
        word.replace(length - 3, 3, String("END"));
        std::string const shown = quoted(word);
        EXPECT_EQ(codePoints(shown), quotedLimit + 2) << length; // with the two quotes
        EXPECT_EQ(shown.substr(0, 6), "'START");
        EXPECT_EQ(shown.substr(shown.size() - 4), "END'");
        EXPECT_NE(shown.find("\u2026"), std::string::npos);
    }
}

TEST(Quoted, CutsBetweenCodePointsNotBytes) {
    std::string const shown = quoted(String(200, 0x65E5)); // 日, three bytes each in UTF-8
    EXPECT_EQ(codePoints(shown), quotedLimit + 2);
    EXPECT_EQ(String(shown).toUTF8String(), shown) << "the text must stay well-formed UTF-8";
}

TEST(Quoted, ShowsControlCharactersAsQuestionMarks) {
    EXPECT_EQ(quoted(String("a\nb\rc\x1b[31md\x7f")), "'a?b?c?[31md?'");
}

} // namespace
} // namespace kfs
