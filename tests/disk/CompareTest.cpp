// Comparison of files and of directory trees.

#include "disk/DiskTest.h"

#include <sstream>

namespace koril::filesystem::disktest {
namespace {

// Printable bytes only, so that the platform's text-mode reading leaves them as they are.
std::string sampleContents(std::size_t size) {
    std::string contents(size, ' ');
    for (std::size_t i = 0; i < size; ++i)
        contents[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return contents;
}

TEST(CompareFilesTest, DifferenceAnywhereInAnyBlockIsFound) {
    struct Case {
        std::size_t size;
        long changed; // the byte that differs, or -1
        bool equal;
    };
    // Blocks are 1024 bytes: 3000 bytes take reads of 1024, 1024 and 952; 2048 bytes end with a
    // read that finds nothing.
    Case const cases[] = {
        {3000, -1, true},    {3000, 0, false}, {3000, 1023, false}, {3000, 1024, false},
        {3000, 2048, false}, {2048, -1, true}, {2048, 2047, false}, {100, -1, true},
        {100, 99, false},    {0, -1, true},
    };
    ScratchDirectory scratch;
    for (Case const& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " bytes, changed at " + std::to_string(c.changed));
        std::string const left = sampleContents(c.size);
        std::string right = left;
        if (c.changed >= 0)
            right[static_cast<std::size_t>(c.changed)] ^= 0x20;
        writeFile(scratch / "left", left);
        writeFile(scratch / "right", right);
        EXPECT_EQ(compareFiles(scratch / "left", scratch / "right"), c.equal);
        EXPECT_EQ(compareFiles(scratch / "right", scratch / "left"), c.equal);
    }
}

TEST(CompareFilesTest, SizesDecideFirstAndTextModeReadsTheRest) {
    ScratchDirectory scratch;
    writeFile(scratch / "short", "abc");
    writeFile(scratch / "long", "abcd");
    writeFile(scratch / "empty", "");
    EXPECT_FALSE(compareFiles(scratch / "short", scratch / "long"));
    EXPECT_FALSE(compareFiles(scratch / "long", scratch / "short"));
    EXPECT_FALSE(compareFiles(scratch / "missing", scratch / "empty"));
    // Both sizes unreadable (-1) agree, and nothing can be opened to tell the paths apart.
    EXPECT_TRUE(compareFiles(scratch / "missing", scratch / "gone"));
    EXPECT_TRUE(compareFiles(scratch / "long", scratch / "long"));
    // Windows text mode reads 0x1A as the end of the input; elsewhere text mode is binary.
    writeFile(scratch / "left", std::string("same\x1A") + "left");
    writeFile(scratch / "right", std::string("same\x1A") + "rght");
    EXPECT_EQ(compareFiles(scratch / "left", scratch / "right"), onWindows());
}

// Builds a tree below `root` from words: `name:contents` is a file, `name/` a directory and
// `name@target` a link to the directory `target` below the root. Returns whether it has links.
bool build(Path const& root, std::string const& layout) {
    makeDirectories(root);
    bool links = false;
    std::istringstream words(layout);
    for (std::string word; words >> word;) {
        std::size_t const colon = word.find(':');
        std::size_t const at = word.find('@');
        if (word.back() == '/') {
            makeDirectories(root / Path(word));
        } else if (at != std::string::npos) {
            links = true;
            if (platformCreatesSymbolicLinks())
                fs::create_directory_symlink(toStd(root / Path(word.substr(at + 1))),
                                             toStd(root / Path(word.substr(0, at))));
        } else {
            Path const file = root / Path(word.substr(0, colon));
            makeDirectories(file.parentPath());
            writeFile(file, word.substr(colon + 1));
        }
    }
    return links;
}

TEST(CompareDirectoriesTest, Trees) {
    struct Case {
        char const* what;
        char const* left;
        char const* right;
        bool equal;
    };
    char const* const tree = "a.txt:1 d/ d/b.txt:2 d/e/ d/e/c.txt:3";
    Case const cases[] = {
        {"same trees", tree, tree, true},
        {"two empty directories", "", "", true},
        {"difference three levels deep", "x/y/z/f.txt:1", "x/y/z/f.txt:2", false},
        {"names differing in case only", "File.txt:same", "file.txt:same", true},
        // Listed in whatever order the names hash to; the pairs are found by sorting.
        {"many names differing in case",
         "Alpha:alpha beta:beta GAMMA:gamma delta:delta Epsilon/ zeta:zeta",
         "alpha:alpha BETA:beta gamma:gamma Delta:delta epsilon/ ZETA:zeta", true},
        {"decomposed and precomposed names", u8"Cafe\u0301.txt:x", u8"Caf\u00e9.txt:x", true},
        {"extra empty subdirectory", "a.txt:1", "a.txt:1 extra/", false},
        {"file against directory", "name:", "name/", false},
        {"different names", "a.txt:1", "b.txt:1", false},
        // Link cycles end.
        {"each side loops to its root", "f.txt:1 loop@", "f.txt:1 loop@", true},
        {"a difference beside the loop", "f.txt:1 loop@", "f.txt:2 loop@", false},
        // Both unfold into d/d/d/... although the loops have different lengths.
        {"loops of different lengths that unfold alike", "d@", "d/ d/d@", true},
        // Left unfolds into sub/loop/sub/..., right into sub/loop/loop/...: a pair is not
        // repeated before the names part.
        {"loops that unfold differently", "sub/ sub/loop@", "sub/ sub/loop@sub", false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDirectory scratch;
        bool const links = build(scratch / "left", c.left) | build(scratch / "right", c.right);
        if (links && !platformCreatesSymbolicLinks())
            continue;
        EXPECT_EQ(compareDirectories(scratch / "left", scratch / "right"), c.equal);
        EXPECT_EQ(compareDirectories(scratch / "right", scratch / "left"), c.equal);
    }
    ScratchDirectory scratch;
    makeDirectories(scratch / "empty");
    // Missing roots are never equal.
    EXPECT_FALSE(compareDirectories(scratch / "missing", scratch / "empty"));
    EXPECT_FALSE(compareDirectories(scratch / "empty", scratch / "missing"));
    EXPECT_FALSE(compareDirectories(scratch / "missing", scratch / "missing"));
}

} // namespace
} // namespace koril::filesystem::disktest
