#include <koril/filesystem/Path.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

using koril::filesystem::Path;
using koril::unicode::String;

struct StoredCase {
    char const* given;
    char const* stored;
};

TEST(PathConstruction, NormalisesSeparatorsAndOneLongPathPrefix) {
    StoredCase const cases[] = {
        {"C:/dir/file.txt", "C:\\dir\\file.txt"},
        {"//?/C:/x", "C:\\x"},
        {"\\\\?\\UNC\\server\\share\\x", "\\\\server\\share\\x"},
        {"\\\\?\\unc\\server", "unc\\server"},
        {"\\\\?\\", ""},
        {"\\\\?\\UNC", "\\"},
        {"\\\\?\\UN", "UN"},
        {"\\\\?\\\\\\?\\C:", "\\\\?\\C:"},
        {"\\\\?\\\\?\\C:", "\\?\\C:"},
        {"a//b/", "a\\\\b\\"},
        {"\\\\.\\pipe\\x", "\\\\.\\pipe\\x"},
        {"x\\\\?\\y", "x\\\\?\\y"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(Path(c.given).string(), String(c.stored)) << c.given;
        EXPECT_EQ(Path(String(c.given)).string(), String(c.stored)) << c.given;
    }
}

struct JoinCase {
    char const* left;
    char const* right;
    char const* joined;
    char const* concatenated;
};

TEST(PathJoining, PutsExactlyOneSeparatorAtTheSeam) {
    JoinCase const cases[] = {
        {"C:\\a", "b", "C:\\a\\b", "C:\\ab"},
        {"C:\\a\\", "\\b", "C:\\a\\b", "C:\\a\\\\b"},
        {"C:\\a\\\\", "\\b", "C:\\a\\\\b", "C:\\a\\\\\\b"},
        {"C:\\a\\", "b", "C:\\a\\b", "C:\\a\\b"},
        {"C:\\a", "\\b", "C:\\a\\b", "C:\\a\\b"},
        {"", "b", "b", "b"},
        {"a", "", "a", "a"},
        {"\\", "\\", "\\", "\\\\"},
        {"C:", "x", "C:\\x", "C:x"},
    };
    for (auto const& c : cases) {
        Path const left(c.left);
        Path const right(c.right);
        SCOPED_TRACE(std::string(c.left) + " | " + c.right);
        EXPECT_EQ((left / right).string(), String(c.joined));
        EXPECT_EQ((Path(left) / right).string(), String(c.joined)); // the in-place form
        EXPECT_EQ((left + right).string(), String(c.concatenated));
        EXPECT_EQ((Path(left) + right).string(), String(c.concatenated));
    }
}

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
        {R"(\\server)", R"(\\server)", "", R"(\\server)", "", R"(\)", "server", "server", "", true,
         false},
        {R"(\dir\file)", "", R"(\)", R"(\)", R"(dir\file)", R"(\dir)", "file", "file", "", false,
         true},
        {R"(\)", "", R"(\)", R"(\)", "", "", R"(\)", R"(\)", "", false, true},
        {R"(dir\file.tar.gz)", "", "", "", R"(dir\file.tar.gz)", "dir", "file.tar.gz", "file.tar",
         ".gz", false, false},
        {R"(C:\home\.bashrc)", "C:", R"(\)", R"(C:\)", R"(home\.bashrc)", R"(C:\home)", ".bashrc",
         "", ".bashrc", true, true},
        {".", "", "", "", ".", "", ".", ".", ".", false, false},
        {R"(dir\.)", "", "", "", R"(dir\.)", "dir", ".", ".", "", false, false},
        {"file.", "", "", "", "file.", "", "file.", "file", "", false, false},
        {"", "", "", "", "", "", "", "", "", false, false},
        {R"(dir\sub\\)", "", "", "", R"(dir\sub\\)", R"(dir\sub)", ".", ".", "", false, false},
        {R"(abcd\\x)", "", "", "", R"(abcd\\x)", R"(abcd\)", "x", "x", "", false, false},
        {R"(a\b:c)", R"(a\b:)", "", R"(a\b:)", "c", "a", "b:c", "b:c", "", true, false},
        {R"(\a:b)", R"(\a:)", R"(\)", R"(\a:\)", "b", R"(\)", "a:b", "a:b", "", true, true},
        {R"(C:\\)", "C:", R"(\)", R"(C:\)", "", R"(C:\)", ".", ".", "", true, true},
        {R"(C:\\\dir)", "C:", R"(\)", R"(C:\)", "dir", R"(C:\\)", "dir", "dir", "", true, true},
        {"C:.", "C:", "", "C:", ".", "", ".", ".", "", true, false},
        {"C:..", "C:", "", "C:", "..", "C:", "..", "..", "", true, false},
        {R"(\\\x)", "", R"(\)", R"(\)", "x", R"(\)", "x", "x", "", false, true},
        {R"(\\s\)", R"(\\s)", R"(\)", R"(\\s\)", "", R"(\\s)", ".", ".", "", true, true},
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

// The backward scans skip blocks of code points: every place of the last separator and of the
// dots around a block's edge must be found.
TEST(PathDecomposition, FindsSeparatorsAndDotsAtEveryPlace) {
    for (std::size_t before = 0; before < 20; ++before) {
        for (std::size_t after = 0; after < 20; ++after) {
            std::string const head(before, 'a');
            std::string const tail(after, 'b');
            std::string const name = head + ".x." + tail;
            Path const p("dir.d\\" + name);
            SCOPED_TRACE(name);
            EXPECT_TEXT(p.filename(), name);
            EXPECT_TEXT(p.parentPath(), "dir.d");
            EXPECT_TEXT(p.extension(), after == 0 ? "" : "." + tail);
            EXPECT_TEXT(p.stem(), head + ".x");
            EXPECT_TEXT(Path(head + tail).extension(), "");
        }
    }
}

std::vector<String> elementsOf(Path const& p) {
    std::vector<String> elements;
    for (auto it = p.begin(); it != p.end(); ++it) {
        elements.push_back(it->string());
        if (elements.size() > 100)
            break; // A broken end test must not hang the suite.
    }
    return elements;
}

std::vector<String> texts(std::initializer_list<char const*> list) {
    std::vector<String> result;
    for (char const* text : list)
        result.emplace_back(text);
    return result;
}

TEST(PathIteration, VisitsRootNameRootDirectoryNamesAndTrailingDot) {
    struct Case {
        char const* text;
        std::vector<String> elements;
    } const cases[] = {
        {R"(C:\dir\file)", texts({"C:", R"(\)", "dir", "file"})},
        {R"(C:\dir\)", texts({"C:", R"(\)", "dir", "."})},
        {"C:", texts({"C:"})},
        {"C:file", texts({"C:", "file"})},
        {R"(C:\\\a)", texts({"C:", R"(\)", "a"})},
        {R"(\\server\share\x)", texts({R"(\\server)", R"(\)", "share", "x"})},
        {R"(dir\\file)", texts({"dir", "file"})},
        {R"(a\b:c)", texts({R"(a\b:)", "c"})},
        {R"(\\\x)", texts({R"(\)", "", "x"})},
        {"", texts({})},
        {R"(\\server\)", texts({R"(\\server)", R"(\)"})},
        {R"(C:\\)", texts({"C:", R"(\)"})},
        {R"(C:x\)", texts({"C:", "x", "."})},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(elementsOf(Path(c.text)), c.elements);
    }
}

TEST(PathIteration, LongAndOddTextsEndTheWalk) {
    String text;
    for (int i = 0; i < 5000; ++i)
        text += String(R"(ab\)");
    Path const deep(text);
    EXPECT_EQ(std::distance(deep.begin(), deep.end()), 5001);

    String separators(3000, '\\');
    EXPECT_EQ(elementsOf(Path(separators)), texts({R"(\)", "", "."}));
    EXPECT_EQ(elementsOf(Path(String(2, ':'))), texts({":", ":"}));
}

} // namespace
