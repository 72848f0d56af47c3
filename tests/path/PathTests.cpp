#include <koril/filesystem/Path.h>

#include <gtest/gtest.h>

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
        {"\\\\?", "\\\\?"},
        {"", ""},
    };
    for (auto const& c : cases) {
        std::string const given = c.given;
        String const expected(c.stored);
        EXPECT_EQ(Path(given).string(), expected) << given;
        EXPECT_EQ(Path(c.given).string(), expected) << given;
        EXPECT_EQ(Path(String(given)).string(), expected) << given;
        String movable(given);
        EXPECT_EQ(Path(std::move(movable)).string(), expected) << given;
    }
    EXPECT_EQ(koril::filesystem::nativeSeparartor(), unsigned('\\'));
    EXPECT_EQ(koril::filesystem::nonNativeSeparartor(), unsigned('/'));
}

TEST(PathConstruction, DecodesUtf8AndCountsCodePointsAndTakesANullPointer) {
    Path const accented(std::string("\xC3\xA9"));
    ASSERT_EQ(accented.size(), 1u);
    EXPECT_EQ(accented.string()[0], 0xE9u);
    Path const astral(std::string("a\xF0\x9F\x98\x80"));
    EXPECT_EQ(astral.length(), 2u);
    EXPECT_EQ(astral.string()[1], 0x1F600u);
    EXPECT_TRUE(Path(static_cast<char const*>(nullptr)).empty());
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
        {"", "", "", ""},
        {"\\", "\\", "\\", "\\\\"},
        {"C:", "x", "C:\\x", "C:x"},
    };
    for (auto const& c : cases) {
        Path const left(c.left);
        Path const right(c.right);
        SCOPED_TRACE(std::string(c.left) + " | " + c.right);
        EXPECT_EQ((left / right).string(), String(c.joined));
        EXPECT_EQ((Path(left) / right).string(), String(c.joined));
        Path joined(left);
        joined /= right;
        EXPECT_EQ(joined.string(), String(c.joined));
        EXPECT_EQ((left + right).string(), String(c.concatenated));
        EXPECT_EQ((Path(left) + right).string(), String(c.concatenated));
        Path concatenated(left);
        concatenated += right;
        EXPECT_EQ(concatenated.string(), String(c.concatenated));
    }
}

TEST(PathJoining, JoiningOrConcatenatingWithItselfUsesTheOldText) {
    Path p("a\\");
    p /= p;
    EXPECT_EQ(p.string(), String("a\\a\\"));
    Path q("ab");
    q += q;
    EXPECT_EQ(q.string(), String("abab"));
    Path r("x");
    EXPECT_EQ((std::move(r) / r).string(), String("x\\x"));
}

TEST(PathJoining, AppendSeparatorAddsOnlyAMissingOne) {
    Path p;
    p.appendSeparator();
    EXPECT_EQ(p.string(), String("\\"));
    Path drive("C:");
    drive.appendSeparator();
    EXPECT_EQ(drive.string(), String("C:\\"));
    drive.appendSeparator();
    EXPECT_EQ(drive.string(), String("C:\\"));
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

std::vector<String> elementsOf(Path const& p) {
    std::vector<String> elements;
    for (auto it = p.begin(); it != p.end(); ++it) {
        elements.push_back(it->string());
        if (elements.size() > 1000)
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
        {R"(C:\)", texts({"C:", R"(\)"})},
        {"C:file", texts({"C:", "file"})},
        {R"(C:\\\a)", texts({"C:", R"(\)", "a"})},
        {R"(\\server\share\x)", texts({R"(\\server)", R"(\)", "share", "x"})},
        {R"(\dir)", texts({R"(\)", "dir"})},
        {R"(\)", texts({R"(\)"})},
        {R"(dir\\file)", texts({"dir", "file"})},
        {R"(a\b\)", texts({"a", "b", "."})},
        {R"(..\x)", texts({"..", "x"})},
        {R"(a\b:c)", texts({R"(a\b:)", "c"})},
        {R"(\\\x)", texts({R"(\)", "", "x"})},
        {"", texts({})},
        {"file", texts({"file"})},
        {R"(\\server)", texts({R"(\\server)"})},
        {R"(\\server\)", texts({R"(\\server)", R"(\)"})},
        {R"(C:\\)", texts({"C:", R"(\)"})},
        {R"(dir\\\)", texts({"dir", "."})},
        {R"(C:x\)", texts({"C:", "x", "."})},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(elementsOf(Path(c.text)), c.elements);
    }
}

TEST(PathIteration, CopiesOfAnIteratorWalkOnIndependently) {
    Path const p(R"(C:\a\b)");
    auto first = p.begin();
    auto copy = first;
    ++first;
    EXPECT_EQ(copy->string(), String("C:"));
    EXPECT_EQ(first->string(), String(R"(\)"));
    ++copy;
    EXPECT_TRUE(copy == first);
    auto old = first++;
    EXPECT_EQ(old->string(), String(R"(\)"));
    EXPECT_EQ(first->string(), String("a"));
}

TEST(PathIteration, LongAndOddTextsEndTheWalk) {
    String text;
    for (int i = 0; i < 5000; ++i)
        text += String(R"(ab\)");
    EXPECT_EQ(elementsOf(Path(text)).size(), 1001u); // capped by the helper
    std::size_t count = 0;
    Path const deep(text);
    for (auto const& element : deep) {
        (void)element;
        ++count;
    }
    EXPECT_EQ(count, 5001u);

    String separators(3000, '\\');
    EXPECT_EQ(elementsOf(Path(separators)), texts({R"(\)", "", "."}));
    EXPECT_EQ(elementsOf(Path(String(2, ':'))), texts({":", ":"}));
}

} // namespace
