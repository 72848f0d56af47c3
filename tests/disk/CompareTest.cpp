// Comparison of files and of directory trees.

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace kfs = koril::filesystem;
using koril::testing::makeDirectories;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
using koril::testing::writeFile;

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
        {3000, -1, true},    {3000, 0, false},    {3000, 1023, false}, {3000, 1024, false},
        {3000, 2047, false}, {3000, 2048, false}, {3000, 2999, false}, {2048, -1, true},
        {2048, 2047, false}, {100, -1, true},     {100, 99, false},    {0, -1, true},
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
        EXPECT_EQ(kfs::compareFiles(scratch / "left", scratch / "right"), c.equal);
        EXPECT_EQ(kfs::compareFiles(scratch / "right", scratch / "left"), c.equal);
    }
}

TEST(CompareFilesTest, SizesDecideFirst) {
    ScratchDirectory scratch;
    writeFile(scratch / "short", "abc");
    writeFile(scratch / "long", "abcd");
    writeFile(scratch / "empty", "");
    EXPECT_FALSE(kfs::compareFiles(scratch / "short", scratch / "long"));
    EXPECT_FALSE(kfs::compareFiles(scratch / "long", scratch / "short"));
    EXPECT_FALSE(kfs::compareFiles(scratch / "missing", scratch / "empty"));
    // Both sizes unreadable (-1) agree, and nothing can be opened to tell the paths apart.
    EXPECT_TRUE(kfs::compareFiles(scratch / "missing", scratch / "gone"));
    EXPECT_TRUE(kfs::compareFiles(scratch / "long", scratch / "long"));
}

TEST(CompareFilesTest, TextModeEndOfFileMarkerEndsTheComparisonOnWindows) {
    ScratchDirectory scratch;
    writeFile(scratch / "left", std::string("same\x1A") + "left");
    writeFile(scratch / "right", std::string("same\x1A") + "rght");
    // Windows text mode reads 0x1A as the end of the input; elsewhere text mode is binary.
    EXPECT_EQ(kfs::compareFiles(scratch / "left", scratch / "right"), koril::testing::onWindows());
}

// A tree to build below a root: a name ending in '/' is a directory, any other a file whose
// contents follow.
struct Node {
    char const* path;
    char const* contents;
};

void build(kfs::Path const& root, std::vector<Node> const& nodes) {
    makeDirectories(root);
    for (Node const& node : nodes) {
        std::string const path = node.path;
        if (path.back() == '/')
            makeDirectories(root / kfs::Path(path.substr(0, path.size() - 1)));
        else {
            kfs::Path const file = root / kfs::Path(path);
            makeDirectories(file.parentPath());
            writeFile(file, node.contents);
        }
    }
}

TEST(CompareDirectoriesTest, Trees) {
    struct Case {
        char const* what;
        std::vector<Node> left;
        std::vector<Node> right;
        bool equal;
    };
    std::vector<Node> const tree = {
        {"a.txt", "1"}, {"d/", ""}, {"d/b.txt", "2"}, {"d/e/", ""}, {"d/e/c.txt", "3"}};
    Case const cases[] = {
        {"same trees", tree, tree, true},
        {"two empty directories", {}, {}, true},
        {"difference three levels deep", {{"x/y/z/f.txt", "1"}}, {{"x/y/z/f.txt", "2"}}, false},
        {"names differing in case only", {{"File.txt", "same"}}, {{"file.txt", "same"}}, true},
        // Listed in whatever order the names hash to; the pairs are found by sorting.
        {"many names differing in case",
         {{"Alpha", "alpha"},
          {"beta", "beta"},
          {"GAMMA", "gamma"},
          {"delta", "delta"},
          {"Epsilon/", ""},
          {"zeta", "zeta"}},
         {{"alpha", "alpha"},
          {"BETA", "beta"},
          {"gamma", "gamma"},
          {"Delta", "delta"},
          {"epsilon/", ""},
          {"ZETA", "zeta"}},
         true},
        {"decomposed and precomposed names",
         {{u8"Cafe\u0301.txt", "x"}},
         {{u8"Caf\u00e9.txt", "x"}},
         true},
        {"extra empty subdirectory", {{"a.txt", "1"}}, {{"a.txt", "1"}, {"extra/", ""}}, false},
        {"file against directory", {{"name", ""}}, {{"name/", ""}}, false},
        {"different names", {{"a.txt", "1"}}, {{"b.txt", "1"}}, false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDirectory scratch;
        build(scratch / "left", c.left);
        build(scratch / "right", c.right);
        EXPECT_EQ(kfs::compareDirectories(scratch / "left", scratch / "right"), c.equal);
        EXPECT_EQ(kfs::compareDirectories(scratch / "right", scratch / "left"), c.equal);
    }
}

TEST(CompareDirectoriesTest, MissingRootsAreNeverEqual) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "empty");
    EXPECT_FALSE(kfs::compareDirectories(scratch / "missing", scratch / "empty"));
    EXPECT_FALSE(kfs::compareDirectories(scratch / "empty", scratch / "missing"));
    EXPECT_FALSE(kfs::compareDirectories(scratch / "missing", scratch / "missing"));
}

TEST(CompareDirectoriesTest, LinkCyclesEnd) {
    if (!koril::testing::platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform does not create symbolic links";
    struct Case {
        char const* what;
        std::vector<Node> left;
        std::vector<Node> right;
        // Links to make, relative to each root: name, then target.
        std::vector<Node> leftLinks;
        std::vector<Node> rightLinks;
        bool equal;
    };
    Case const cases[] = {
        {"each side loops to its root",
         {{"f.txt", "1"}},
         {{"f.txt", "1"}},
         {{"loop", ""}},
         {{"loop", ""}},
         true},
        {"a difference beside the loop",
         {{"f.txt", "1"}},
         {{"f.txt", "2"}},
         {{"loop", ""}},
         {{"loop", ""}},
         false},
        // Both unfold into d/d/d/... although the loops have different lengths.
        {"loops of different lengths that unfold alike",
         {},
         {{"d/", ""}},
         {{"d", ""}},
         {{"d/d", ""}},
         true},
        // Left unfolds into sub/loop/sub/..., right into sub/loop/loop/...: a pair is not
        // repeated before the names part.
        {"loops that unfold differently",
         {{"sub/", ""}},
         {{"sub/", ""}},
         {{"sub/loop", ""}},
         {{"sub/loop", "sub"}},
         false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDirectory scratch;
        build(scratch / "left", c.left);
        build(scratch / "right", c.right);
        auto link = [&scratch](char const* root, Node const& node) {
            std::filesystem::create_directory_symlink(
                toStd(scratch / root / kfs::Path(node.contents)),
                toStd(scratch / root / kfs::Path(node.path)));
        };
        for (Node const& node : c.leftLinks)
            link("left", node);
        for (Node const& node : c.rightLinks)
            link("right", node);
        EXPECT_EQ(kfs::compareDirectories(scratch / "left", scratch / "right"), c.equal);
        EXPECT_EQ(kfs::compareDirectories(scratch / "right", scratch / "left"), c.equal);
    }
}

} // namespace
