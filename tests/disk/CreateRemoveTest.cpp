// Creating directories and removing files, directories and trees.

#include "support/Scratch.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace koril::filesystem {
namespace {

using koril::testing::existsOnDisk;
using koril::testing::makeDirectories;
using koril::testing::readFile;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
using koril::testing::writeFile;
namespace fs = std::filesystem;
using koril::testing::makeReadOnly;

// The file names of a directory in the order the library lists them.
std::vector<std::string> listNames(Path const& directory) {
    std::vector<std::string> names;
    DirectoryEntry const end;
    for (DirectoryIterator it(directory); *it != end; ++it)
        names.push_back(it->getPath().filename().string().toUTF8String());
    return names;
}

TEST(CreateDirectory, CreatesOneLevelAndAcceptsWhatExists) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "dir");
    writeFile(scratch / "dir/inside.txt", "keep");
    writeFile(scratch / "file", "contents");

    EXPECT_TRUE(createDirectory(scratch / "new"));
    EXPECT_TRUE(fs::is_directory(toStd(scratch / "new")));
    // Anything of that name counts as done, and is left alone.
    EXPECT_TRUE(createDirectory(scratch / "dir"));
    EXPECT_EQ(readFile(scratch / "dir/inside.txt"), "keep");
    EXPECT_TRUE(createDirectory(scratch / "file"));
    EXPECT_TRUE(fs::is_regular_file(toStd(scratch / "file")));
    EXPECT_EQ(readFile(scratch / "file"), "contents");
}

TEST(CreateDirectory, RefusesWithoutCreatingAnything) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "contents");
    // Windows: short enough for the volume, too long for the classic directory limit. POSIX
    // limits only what the kernel refuses too: a name longer than any volume takes.
    std::string const tooLong(koril::testing::onWindows() ? 240 : 300, 'd');
    struct Case {
        char const* what;
        Path path;
        Path mustNotExist;
    } const cases[] = {
        {"missing parent", scratch / "a/b", scratch / "a"},
        {"parent is a regular file", scratch / "file/x", scratch / "file/x"},
        {"too long", scratch / tooLong, scratch / tooLong},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(createDirectory(c.path));
        EXPECT_FALSE(existsOnDisk(c.mustNotExist));
    }
    EXPECT_EQ(readFile(scratch / "file"), "contents");
}

TEST(CreateDirectories, CreatesTheMissingAncestorsTopDown) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "a");
    EXPECT_TRUE(createDirectories(scratch / "a/b/c"));
    EXPECT_TRUE(fs::is_directory(toStd(scratch / "a/b/c")));
    EXPECT_TRUE(createDirectories(scratch / "x/y/z/"));
    EXPECT_TRUE(fs::is_directory(toStd(scratch / "x/y/z")));
    // An existing path is success without a change.
    writeFile(scratch / "a/b/c/f", "kept");
    EXPECT_TRUE(createDirectories(scratch / "a/b/c"));
    EXPECT_EQ(readFile(scratch / "a/b/c/f"), "kept");
}

TEST(CreateDirectories, StopsWhereAnAncestorCannotBeCreated) {
    ScratchDirectory scratch;
    writeFile(scratch / "f", "contents");
    EXPECT_FALSE(createDirectories(scratch / "f/x/y"));
    EXPECT_TRUE(fs::is_regular_file(toStd(scratch / "f")));
    EXPECT_EQ(readFile(scratch / "f"), "contents");
    EXPECT_FALSE(createDirectories(Path()));
}

TEST(CreateDirectories, ReturnsFalseOnARootThatNamesNothing) {
    Path const root("Q:\\");
    if (exists(root))
        GTEST_SKIP() << "drive Q: exists here";
    EXPECT_FALSE(createDirectories(Path("Q:\\koril\\nowhere")));
}

TEST(Remove, RemovesFilesAndEmptyDirectoriesOnly) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    makeDirectories(scratch / "empty");
    makeDirectories(scratch / "full");
    writeFile(scratch / "full/inside", "kept");

    EXPECT_TRUE(remove(scratch / "file"));
    EXPECT_FALSE(existsOnDisk(scratch / "file"));
    EXPECT_TRUE(remove(scratch / "empty"));
    EXPECT_FALSE(existsOnDisk(scratch / "empty"));
    EXPECT_FALSE(remove(scratch / "full"));
    EXPECT_EQ(readFile(scratch / "full/inside"), "kept");
    EXPECT_FALSE(remove(scratch / "missing"));
    EXPECT_FALSE(remove(Path()));
}

TEST(Remove, RefusesAReadOnlyFile) {
    ScratchDirectory scratch;
    writeFile(scratch / "locked", "kept");
    makeReadOnly(scratch / "locked");
    EXPECT_FALSE(remove(scratch / "locked"));
    EXPECT_FALSE(removeAll(scratch / "locked"));
    EXPECT_EQ(readFile(scratch / "locked"), "kept");
}

TEST(RemoveAll, RemovesAWholeTree) {
    ScratchDirectory scratch;
    // Several directories with siblings after them, so that the walk has to come back up and
    // go on at every level.
    for (char const* dir : {"t/a/a1", "t/a/a2", "t/b/b1/deep", "t/c"})
        makeDirectories(scratch / dir);
    for (char const* file : {"t/x.txt", "t/a/1", "t/a/a1/1", "t/a/a2/1", "t/a/a2/2",
                             "t/b/b1/deep/1", "t/c/1", "t/z.txt"})
        writeFile(scratch / file, file);
    writeFile(scratch / "outside", "kept");

    EXPECT_TRUE(removeAll(scratch / "t"));
    EXPECT_FALSE(existsOnDisk(scratch / "t"));
    EXPECT_EQ(readFile(scratch / "outside"), "kept");
}

TEST(RemoveAll, ActsAsRemoveOnAnythingButADirectory) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    EXPECT_TRUE(removeAll(scratch / "file"));
    EXPECT_FALSE(existsOnDisk(scratch / "file"));
    EXPECT_FALSE(removeAll(scratch / "missing"));
    EXPECT_FALSE(removeAll(Path()));
}

// The walk stops at the read-only file: what the listing gave before it is gone, the file and
// everything listed after it (and every ancestor) stay as they were.
TEST(RemoveAll, StopsAtAReadOnlyFileDeepInside) {
    ScratchDirectory scratch;
    Path const root = scratch / "root";
    Path const sub = root / Path("sub");
    makeDirectories(sub / Path("inner"));
    for (char const* name : {"a", "b", "c", "d"}) {
        writeFile(root / Path(name), name);
        writeFile(sub / Path(name), name);
    }
    writeFile(sub / Path("inner/leaf"), "leaf");
    writeFile(sub / Path("locked"), "locked");
    makeReadOnly(sub / Path("locked"));
    std::vector<std::string> const rootOrder = listNames(root);
    std::vector<std::string> const subOrder = listNames(sub);

    EXPECT_FALSE(removeAll(root));

    // Compares one directory with its listing before the call: the entries before `stop` are
    // gone, `stop` and the ones after it are intact.
    auto checkLevel = [](Path const& dir, std::vector<std::string> const& order,
                         std::string const& stop) {
        SCOPED_TRACE(toStd(dir).u8string());
        auto const stopAt = std::find(order.begin(), order.end(), stop);
        ASSERT_NE(stopAt, order.end());
        for (auto it = order.begin(); it != order.end(); ++it) {
            Path const entry = dir / Path(*it);
            if (it < stopAt) {
                EXPECT_FALSE(existsOnDisk(entry)) << *it;
            } else if (*it == "inner") {
                EXPECT_EQ(readFile(entry / Path("leaf")), "leaf");
            } else if (*it != "sub") {
                EXPECT_EQ(readFile(entry), *it);
            }
        }
    };
    checkLevel(root, rootOrder, "sub");
    checkLevel(sub, subOrder, "locked");
    EXPECT_TRUE(fs::is_directory(toStd(sub)));
}

TEST(RemoveAll, StopsAtAFileHeldOpen) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "t");
    writeFile(scratch / "t/open", "kept");
    {
        // A lock's handle shares reading and writing but not deletion, on both targets.
        FileLock holder;
        ASSERT_TRUE(holder.lockFile(scratch / "t/open"));
        EXPECT_FALSE(removeAll(scratch / "t"));
        EXPECT_FALSE(remove(scratch / "t/open"));
    }
    EXPECT_EQ(readFile(scratch / "t/open"), "kept");
    EXPECT_TRUE(removeAll(scratch / "t"));
}

TEST(RemoveAll, RemovesLinksWithoutTouchingTheirTargets) {
    if (!koril::testing::platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform creates no symbolic links";
    ScratchDirectory scratch;
    makeDirectories(scratch / "target/sub");
    writeFile(scratch / "target/file", "kept");
    writeFile(scratch / "target/sub/deep", "kept too");
    writeFile(scratch / "lone", "lone");
    makeDirectories(scratch / "tree/inner");
    fs::create_directory_symlink(toStd(scratch / "target"), toStd(scratch / "tree/dirLink"));
    fs::create_directory_symlink(toStd(scratch / "target"), toStd(scratch / "tree/inner/dirLink"));
    fs::create_symlink(toStd(scratch / "lone"), toStd(scratch / "tree/fileLink"));
    fs::create_directory_symlink(toStd(scratch / "target"), toStd(scratch / "topLink"));

    EXPECT_TRUE(removeAll(scratch / "tree"));
    EXPECT_FALSE(existsOnDisk(scratch / "tree"));
    // The argument itself a link: only the link goes.
    EXPECT_TRUE(removeAll(scratch / "topLink"));
    EXPECT_FALSE(existsOnDisk(scratch / "topLink"));

    EXPECT_EQ(readFile(scratch / "target/file"), "kept");
    EXPECT_EQ(readFile(scratch / "target/sub/deep"), "kept too");
    EXPECT_EQ(readFile(scratch / "lone"), "lone");
}

TEST(Remove, RemovesALinkToADirectoryAsALink) {
    if (!koril::testing::platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform creates no symbolic links";
    ScratchDirectory scratch;
    makeDirectories(scratch / "target");
    writeFile(scratch / "target/file", "kept");
    fs::create_directory_symlink(toStd(scratch / "target"), toStd(scratch / "link"));
    EXPECT_TRUE(remove(scratch / "link"));
    EXPECT_FALSE(existsOnDisk(scratch / "link"));
    EXPECT_EQ(readFile(scratch / "target/file"), "kept");
}

} // namespace
} // namespace koril::filesystem
