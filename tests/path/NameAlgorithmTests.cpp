#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using koril::filesystem::complete;
using koril::filesystem::generateElidedPath;
using koril::filesystem::getCurrentDirectory;
using koril::filesystem::Path;
using koril::filesystem::sanitize;
using koril::filesystem::systemComplete;
using koril::unicode::String;

TEST(Sanitize, KeepsTheConservativeRepertoireOnly) {
    struct Case {
        char const* given;
        char const* result;
    } const cases[] = {
        {R"(C:\My Files\report (2).txt)", R"(C_\My Files\report (2).txt)"},
        {"a+b=c;d,e", "a_b_c_d_e"},
        {"x/y", R"(x\y)"},
        {" !#$&'()-@^_`{}~.", " !#$&'()-@^_`{}~."},
        {"09AZaz", "09AZaz"},
        {"\"*:<>?|[]%+,;=", "______________"},
        {"\x7F\t\xF0\x9F\x98\x80", "___"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(sanitize(Path(c.given)).string(), String(c.result)) << c.given;

    // Every code point outside the kept set goes, one for one, however unusual.
    String odd;
    for (unsigned int c : {0u, 1u, 0xD800u, 0xDFFFu, 0x10FFFFu, 0x110000u, 0xFFFFFFFFu})
        odd += c;
    EXPECT_EQ(sanitize(Path(odd)).string(), String(7, '_'));
}

TEST(ElidedPath, KeepsHeadAndTailAndAsMuchAsFits) {
    String const ellipsis("...");
    char const* const report = R"(C:\Users\guest\Documents\Projects\2024\report.docx)";
    ASSERT_EQ(Path(report).length(), 50u);
    struct Case {
        char const* path;
        std::size_t maxLength;
        char const* result;
    } const cases[] = {
        {report, 51, report},
        {report, 50, R"(C:\Users\guest\...\Projects\2024\report.docx)"},
        {report, 30, R"(C:\Users\...\2024\report.docx)"},
        {report, 25, R"(C:\...\2024\report.docx)"},
        {report, 10, R"(C:\...\report.docx)"},
        {R"(C:\aa\bb\cc\dd\ee)", 17, R"(C:\aa\...\dd\ee)"},
        {R"(C:\aa\bb\cc\dd\ee)", 14, R"(C:\...\dd\ee)"},
        {R"(C:\a\b)", 3, R"(C:\...\b)"},
        {R"(\server\a\b\c\d.txt)", 12, R"(\server\...\d.txt)"},
        {R"(C:\file.txt)", 5, R"(C:\file.txt)"},
        {R"(a\b\c)", 5, R"(a\...\c)"},
        {R"(C:\aa\bb\cc\dd\)", 12, R"(C:\...\dd\.)"},
        {"C:/aa/bb/cc", 5, R"(C:\...\cc)"},
        {"", 0, ""},
        {R"(\)", 0, R"(\)"},
        // A later, shorter element does not fit once its side is full.
        {R"(C:\a\b\c\d\LLLLLLLLLLLLLLL\t)", 20, R"(C:\a\b\...\t)"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(generateElidedPath(Path(c.path), c.maxLength, ellipsis), String(c.result))
            << c.path << " @ " << c.maxLength;

    EXPECT_EQ(generateElidedPath(Path(R"(C:\a\b\c\d)"), 3, String()), String(R"(C:\\d)"));
}

} // namespace
