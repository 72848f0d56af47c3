#include <koril/filesystem/Path.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using koril::filesystem::Path;
using koril::unicode::String;

struct DecompositionCase {
    char const* text;
    char const* rootName;
    char const* rootDirectory;
    char const* rootPath;
    char const* relativePath;
    char const* parentPath;
    char const* filename;
    char const* stem;
    char const* extension;
    bool isAbsolute;
    bool isComplete;
};

// Parts are compared exactly: a case-insensitive mismatch would hide a wrong slice.
#define EXPECT_TEXT(expression, expected) EXPECT_EQ((expression).string(), String(expected))

TEST(PathDecomposition, SplitsPathsIntoTheirParts) {
    DecompositionCase const cases[] = {
        {R"(C:\dir\file.txt)", "C:", R"(\)", R"(C:\)", R"(dir\file.txt)", R"(C:\dir)", "file.txt",
         "file", ".txt", true, true},
        {R"(C:\dir\)", "C:", R"(\)", R"(C:\)", R"(dir\)", R"(C:\dir)", ".", ".", "", true, true},
        {R"(C:\)", "C:", R"(\)", R"(C:\)", "", "C:", R"(\)", R"(\)", "", true, true},
        {"C:", "C:", "", "C:", "", "", "C:", "C:", "", true, false},
        {"C:file.txt", "C:", "", "C:", "file.txt", "C:", "file.txt", "file", ".txt", true, false},
        {R"(\\server\share\dir\file)", R"(\\server)", R"(\)", R"(\\server\)", R"(share\dir\file)",
         R"(\\server\share\dir)", "file", "file", "", true, true},
        {R"(\\server\share)", R"(\\server)", R"(\)", R"(\\server\)", "share", R"(\\server)",
         "share", "share", "", true, true},
        {R"(\\server)", R"(\\server)", "", R"(\\server)", "", R"(\)", "server", "server", "", true,
         false},
        {R"(\dir\file)", "", R"(\)", R"(\)", R"(dir\file)", R"(\dir)", "file", "file", "", false,
         true},
        {R"(\)", "", R"(\)", R"(\)", "", "", R"(\)", R"(\)", "", false, true},
        {R"(dir\file.tar.gz)", "", "", "", R"(dir\file.tar.gz)", "dir", "file.tar.gz", "file.tar",
         ".gz", false, false},
        {"file", "", "", "", "file", "", "file", "file", "", false, false},
        {R"(C:\home\.bashrc)", "C:", R"(\)", R"(C:\)", R"(home\.bashrc)", R"(C:\home)", ".bashrc",
         "", ".bashrc", true, true},
        {".", "", "", "", ".", "", ".", ".", ".", false, false},
        {"..", "", "", "", "..", "", "..", "..", "", false, false},
        {R"(dir\.)", "", "", "", R"(dir\.)", "dir", ".", ".", "", false, false},
        {"file.", "", "", "", "file.", "", "file.", "file", "", false, false},
        {"", "", "", "", "", "", "", "", "", false, false},
        {R"(C:\a)", "C:", R"(\)", R"(C:\)", "a", R"(C:\)", "a", "a", "", true, true},
        {R"(a\\b)", "", "", "", R"(a\\b)", "a", "b", "b", "", false, false},
        {R"(dir\sub\\)", "", "", "", R"(dir\sub\\)", R"(dir\sub)", ".", ".", "", false, false},
        // Beyond the common shapes.
        {R"(abcd\\x)", "", "", "", R"(abcd\\x)", R"(abcd\)", "x", "x", "", false, false},
        {R"(a\b:c)", R"(a\b:)", "", R"(a\b:)", "c", "a", "b:c", "b:c", "", true, false},
        {R"(\a:b)", R"(\a:)", R"(\)", R"(\a:\)", "b", R"(\)", "a:b", "a:b", "", true, true},
        {R"(C:\\)", "C:", R"(\)", R"(C:\)", "", R"(C:\)", ".", ".", "", true, true},
        {R"(C:\\\dir)", "C:", R"(\)", R"(C:\)", "dir", R"(C:\\)", "dir", "dir", "", true, true},
        {"C:.", "C:", "", "C:", ".", "", ".", ".", "", true, false},
        {"C:..", "C:", "", "C:", "..", "C:", "..", "..", "", true, false},
        {"C:\\a.b\\c", "C:", R"(\)", R"(C:\)", R"(a.b\c)", R"(C:\a.b)", "c", "c", "", true, true},
        {R"(\\\x)", "", R"(\)", R"(\)", "x", R"(\)", "x", "x", "", false, true},
        {R"(\\s\)", R"(\\s)", R"(\)", R"(\\s\)", "", R"(\\s)", ".", ".", "", true, true},
        {"a:b:c", "a:", "", "a:", "b:c", "a:", "b:c", "b:c", "", true, false},
        {R"(dir\\\)", "", "", "", R"(dir\\\)", "dir", ".", ".", "", false, false},
        {R"(x.y\z)", "", "", "", R"(x.y\z)", "x.y", "z", "z", "", false, false},
        {"...", "", "", "", "...", "", "...", "..", "", false, false},
        {".txt", "", "", "", ".txt", "", ".txt", "", ".txt", false, false},
    };
    for (auto const& c : cases) {
        Path const p(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_TEXT(p.rootName(), c.rootName);
        EXPECT_TEXT(p.rootDirectory(), c.rootDirectory);
        EXPECT_TEXT(p.rootPath(), c.rootPath);
        EXPECT_TEXT(p.relativePath(), c.relativePath);
        EXPECT_TEXT(p.parentPath(), c.parentPath);
        EXPECT_TEXT(p.filename(), c.filename);
        EXPECT_TEXT(p.stem(), c.stem);
        EXPECT_TEXT(p.extension(), c.extension);
        EXPECT_EQ(p.isAbsolute(), c.isAbsolute);
        EXPECT_EQ(p.isRelative(), !c.isAbsolute);
        EXPECT_EQ(p.isComplete(), c.isComplete);
    }
}

// The runtime's splitter reads a NUL-terminated string and splits UTF-16 units.
TEST(PathDecomposition, SplitterCasesWithNulAndAstralCharacters) {
    using namespace std::string_literals;
    std::u32string const nulText = U"C:a\0b.c"s;
    Path const nul(String(String::storage_type(nulText.begin(), nulText.end())));
    EXPECT_TEXT(nul.filename(), "a");
    EXPECT_TEXT(nul.parentPath(), "C:");
    EXPECT_TEXT(nul.extension(), ".c");

    // A code point above U+FFFF before the colon takes two units, so there is no drive.
    std::u32string const astralText = U"\U0001F600:x";
    Path const astral(String(String::storage_type(astralText.begin(), astralText.end())));
    EXPECT_EQ(astral.filename().string(), astral.string());
    EXPECT_TEXT(astral.parentPath(), "");
    EXPECT_TEXT(astral.rootName(), "\xF0\x9F\x98\x80:");
}

TEST(PathDecomposition, ReplaceExtension) {
    struct Case {
        char const* text;
        char const* extension;
        char const* result;
    } const cases[] = {
        {"a.b", "txt", "a.txt"},       {"a.b", "", "a"},
        {"a", ".txt", "a.txt"},        {R"(C:\dir\.bashrc)", "x", R"(C:\dir\.x)"},
        {"file.", "txt", "file.txt"},  {R"(C:\a.b\c)", "d", R"(C:\a.b\c.d)"},
        {"", "txt", ".txt"},           {"a.tar.gz", "..zip", "a.tar..zip"},
        {R"(dir\)", "x", R"(dir\.x)"},
    };
    for (auto const& c : cases) {
        Path p(c.text);
        p.replaceExtension(Path(c.extension));
        EXPECT_TEXT(p, c.result) << c.text << " + " << c.extension;
    }
    Path self("a.b");
    self.replaceExtension(self);
    EXPECT_TEXT(self, "a.a.b");
}

TEST(PathDecomposition, VeryLongPathsTakeTheQuickAndTheSplitRoutes) {
    String const name(30000, 'n');
    Path const deep(String("C:\\") + name + String("\\") + name + String(".ext"));
    EXPECT_EQ(deep.filename().size(), 30004u);
    EXPECT_EQ(deep.parentPath().size(), 30003u);
    EXPECT_TEXT(deep.extension(), ".ext");
    Path const trailing(String("C:\\") + name + String("\\"));
    EXPECT_EQ(trailing.parentPath().size(), 30003u);
    EXPECT_TEXT(trailing.filename(), ".");
}

} // namespace
