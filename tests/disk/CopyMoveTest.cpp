// Copying files and trees, renaming and moving.

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

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

bool isEmptyDirectory(Path const& path) {
    return fs::is_directory(toStd(path)) && fs::is_empty(toStd(path));
}

// a\{x.txt, sub\{y.txt, deeper\z.txt}}
void makeSampleTree(Path const& root) {
    makeDirectories(root / Path("sub/deeper"));
    writeFile(root / Path("x.txt"), "x");
    writeFile(root / Path("sub/y.txt"), "y");
    writeFile(root / Path("sub/deeper/z.txt"), "z");
}

TEST(CopyFile, ReplacesOrRefusesAnExistingDestination) {
    struct Case {
        char const* what;
        bool failIfExists;
        bool destinationExists;
        bool expected;
        char const* destinationAfter;
    } const cases[] = {
        {"new destination", true, false, true, "source"},
        {"new destination, replacing allowed", false, false, true, "source"},
        {"existing destination refused", true, true, false, "old"},
        {"existing destination replaced", false, true, true, "source"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDirectory scratch;
        writeFile(scratch / "from", "source");
        if (c.destinationExists)
            writeFile(scratch / "to", "old");
        EXPECT_EQ(copyFile(scratch / "from", scratch / "to", c.failIfExists), c.expected);
        EXPECT_EQ(readFile(scratch / "to"), c.destinationAfter);
        EXPECT_EQ(readFile(scratch / "from"), "source");
    }
}

TEST(CopyFile, FailsWithoutTouchingTheDestination) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "source");
    makeDirectories(scratch / "dir");
    struct Case {
        char const* what;
        Path from;
        Path to;
    } const cases[] = {
        {"missing source", scratch / "missing", scratch / "new1"},
        {"directory source", scratch / "dir", scratch / "new2"},
        {"parent of the destination is a file", scratch / "file", scratch / "file/new"},
        {"destination directory", scratch / "file", scratch / "dir"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(copyFile(c.from, c.to, false));
        EXPECT_FALSE(fs::is_regular_file(toStd(c.to)));
    }
    EXPECT_EQ(readFile(scratch / "file"), "source");
    EXPECT_TRUE(isEmptyDirectory(scratch / "dir"));
}

TEST(CopyFile, RefusesToReplaceAReadOnlyFile) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "source");
    writeFile(scratch / "readOnly", "old");
    makeReadOnly(scratch / "readOnly");
    // Wine run by root leaves the read-only attribute to Unix permissions, which root ignores.
    if (koril::testing::onWindows() && std::ofstream(toStd(scratch / "readOnly"), std::ios::app))
        GTEST_SKIP() << "this platform lets a read-only file be written";
    EXPECT_FALSE(copyFile(scratch / "file", scratch / "readOnly", false));
    EXPECT_EQ(readFile(scratch / "readOnly"), "old");
}

TEST(Copy, NeverOverwrites) {
    ScratchDirectory scratch;
    writeFile(scratch / "a", "a");
    writeFile(scratch / "b", "b");
    makeSampleTree(scratch / "tree");
    makeDirectories(scratch / "existing");

    EXPECT_FALSE(copy(scratch / "a", scratch / "b"));
    EXPECT_EQ(readFile(scratch / "a"), "a");
    EXPECT_EQ(readFile(scratch / "b"), "b");
    EXPECT_FALSE(copy(scratch / "tree", scratch / "existing"));
    EXPECT_TRUE(isEmptyDirectory(scratch / "existing"));
    EXPECT_FALSE(copy(scratch / "missing", scratch / "c"));
    EXPECT_FALSE(existsOnDisk(scratch / "c"));

    EXPECT_TRUE(copy(scratch / "a", scratch / "c"));
    EXPECT_EQ(readFile(scratch / "c"), "a");
    EXPECT_TRUE(copy(scratch / "tree", scratch / "copy"));
    EXPECT_EQ(readFile(scratch / "copy/sub/deeper/z.txt"), "z");
}

TEST(CopyDirectory, CopiesRecursivelyOrOneLevel) {
    ScratchDirectory scratch;
    makeSampleTree(scratch / "a");

    EXPECT_TRUE(copyDirectory(scratch / "a", scratch / "deep", true));
    EXPECT_EQ(readFile(scratch / "deep/x.txt"), "x");
    EXPECT_EQ(readFile(scratch / "deep/sub/y.txt"), "y");
    EXPECT_EQ(readFile(scratch / "deep/sub/deeper/z.txt"), "z");

    EXPECT_TRUE(copyDirectory(scratch / "a", scratch / "flat", false));
    EXPECT_EQ(readFile(scratch / "flat/x.txt"), "x");
    EXPECT_TRUE(isEmptyDirectory(scratch / "flat/sub"));

    // The destination's missing ancestors are made too.
    EXPECT_TRUE(copyDirectory(scratch / "a", scratch / "new/parent/copy", true));
    EXPECT_EQ(readFile(scratch / "new/parent/copy/sub/y.txt"), "y");
    // The source is read, never changed.
    EXPECT_EQ(readFile(scratch / "a/sub/deeper/z.txt"), "z");
}

TEST(CopyDirectory, RefusesBeforeCopyingAnything) {
    ScratchDirectory scratch;
    makeSampleTree(scratch / "a");
    makeDirectories(scratch / "existing");
    writeFile(scratch / "existing/own", "own");
    writeFile(scratch / "file", "file");
    struct Case {
        char const* what;
        Path from;
        Path to;
        bool recursive;
    } const cases[] = {
        {"existing destination", scratch / "a", scratch / "existing", true},
        {"existing destination, one level", scratch / "a", scratch / "existing", false},
        {"missing source", scratch / "missing", scratch / "new1", true},
        {"file as source", scratch / "file", scratch / "new2", true},
        {"destination below a file", scratch / "a", scratch / "file/new", true},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(copyDirectory(c.from, c.to, c.recursive));
    }
    EXPECT_FALSE(existsOnDisk(scratch / "existing/x.txt"));
    EXPECT_EQ(readFile(scratch / "existing/own"), "own");
    EXPECT_FALSE(existsOnDisk(scratch / "new1"));
    EXPECT_FALSE(existsOnDisk(scratch / "new2"));
    EXPECT_EQ(readFile(scratch / "file"), "file");
}

// Makes `path` an entry that cannot be copied as a file: a file without read permission where
// that stops the owner, else a dangling link. Nothing when neither works here.
std::optional<std::string> makeUncopyableEntry(Path const& path) {
    writeFile(path, "secret");
    fs::permissions(toStd(path), fs::perms::none);
    if (!std::ifstream(toStd(path)).is_open())
        return "a file without read permission";
    fs::permissions(toStd(path), fs::perms::owner_all);
    fs::remove(toStd(path));
    if (koril::testing::platformCreatesSymbolicLinks()) {
        fs::create_symlink(toStd(path.parentPath() / Path("gone")), toStd(path));
        return "a dangling link";
    }
    return std::nullopt;
}

TEST(CopyDirectory, CopiesEverythingElseWhenAnEntryFails) {
    ScratchDirectory scratch;
    makeSampleTree(scratch / "a");
    std::optional<std::string> const kind = makeUncopyableEntry(scratch / "a/sub/bad");
    if (!kind)
        GTEST_SKIP() << "no entry that cannot be read can be made here";
    SCOPED_TRACE(*kind);

    EXPECT_FALSE(copyDirectory(scratch / "a", scratch / "b", true));
    EXPECT_EQ(readFile(scratch / "b/x.txt"), "x");
    EXPECT_EQ(readFile(scratch / "b/sub/y.txt"), "y");
    EXPECT_EQ(readFile(scratch / "b/sub/deeper/z.txt"), "z");
    EXPECT_FALSE(existsOnDisk(scratch / "b/sub/bad"));
}

TEST(CopyDirectory, CopiesLinksToFilesAsFilesAndFailsOnLinksToDirectories) {
    if (!koril::testing::platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform creates no symbolic links";
    ScratchDirectory scratch;
    makeSampleTree(scratch / "a");
    makeDirectories(scratch / "outside");
    writeFile(scratch / "outside/data", "data");
    fs::create_symlink(toStd(scratch / "outside/data"), toStd(scratch / "a/fileLink"));
    fs::create_directory_symlink(toStd(scratch / "outside"), toStd(scratch / "a/dirLink"));

    EXPECT_FALSE(copyDirectory(scratch / "a", scratch / "b", true));
    EXPECT_FALSE(fs::is_symlink(toStd(scratch / "b/fileLink")));
    EXPECT_EQ(readFile(scratch / "b/fileLink"), "data");
    EXPECT_FALSE(existsOnDisk(scratch / "b/dirLink"));
    EXPECT_EQ(readFile(scratch / "b/sub/deeper/z.txt"), "z");
}

TEST(Rename, NeverReplaces) {
    ScratchDirectory scratch;
    writeFile(scratch / "a", "a");
    writeFile(scratch / "b", "b");
    makeDirectories(scratch / "dir");
    writeFile(scratch / "dir/inside", "inside");

    EXPECT_FALSE(rename(scratch / "a", scratch / "b"));
    EXPECT_FALSE(rename(scratch / "a", scratch / "dir"));
    EXPECT_FALSE(rename(scratch / "dir", scratch / "b"));
    EXPECT_EQ(readFile(scratch / "a"), "a");
    EXPECT_EQ(readFile(scratch / "b"), "b");
    EXPECT_EQ(readFile(scratch / "dir/inside"), "inside");
    EXPECT_FALSE(rename(scratch / "missing", scratch / "c"));
    EXPECT_FALSE(existsOnDisk(scratch / "c"));

    EXPECT_TRUE(rename(scratch / "a", scratch / "c"));
    EXPECT_FALSE(existsOnDisk(scratch / "a"));
    EXPECT_EQ(readFile(scratch / "c"), "a");
    EXPECT_TRUE(rename(scratch / "dir", scratch / "renamed"));
    EXPECT_EQ(readFile(scratch / "renamed/inside"), "inside");
}

TEST(Move, MovesFilesAndTreesAcrossDirectories) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "one");
    makeDirectories(scratch / "two");
    writeFile(scratch / "one/file", "file");
    makeSampleTree(scratch / "one/tree");

    EXPECT_TRUE(move(scratch / "one/file", scratch / "two/file"));
    EXPECT_TRUE(move(scratch / "one/tree", scratch / "two/moved"));
    EXPECT_EQ(readFile(scratch / "two/file"), "file");
    EXPECT_EQ(readFile(scratch / "two/moved/sub/deeper/z.txt"), "z");
    EXPECT_TRUE(isEmptyDirectory(scratch / "one"));
}

TEST(Move, LeavesBothSidesWhenTheDestinationExists) {
    ScratchDirectory scratch;
    writeFile(scratch / "a", "a");
    writeFile(scratch / "b", "b");
    makeSampleTree(scratch / "tree");
    makeDirectories(scratch / "existing");

    EXPECT_FALSE(move(scratch / "a", scratch / "b"));
    EXPECT_EQ(readFile(scratch / "a"), "a");
    EXPECT_EQ(readFile(scratch / "b"), "b");
    EXPECT_FALSE(move(scratch / "tree", scratch / "existing"));
    EXPECT_EQ(readFile(scratch / "tree/sub/deeper/z.txt"), "z");
    EXPECT_TRUE(isEmptyDirectory(scratch / "existing"));
    EXPECT_FALSE(move(scratch / "missing", scratch / "c"));
    EXPECT_FALSE(existsOnDisk(scratch / "c"));
}

// A directory on another volume than the scratch directory, where a rename cannot reach; removed
// with everything in it at the end.
class OtherVolume {
public:
    explicit OtherVolume(ScratchDirectory const& scratch) {
        // A memory file system, which Wine shows on its drive Z:.
        fs::path const memory = koril::testing::onWindows() ? "Z:\\dev\\shm" : "/dev/shm";
        fs::path const candidate = memory / scratch.native().filename();
        std::error_code error;
        if (!fs::create_directory(candidate, error) || error)
            return;
        directory_ = candidate;
        // Only a failing rename proves that the two are different volumes. The Windows runtime
        // copies a file that it cannot rename, but never a directory.
        fs::path const probe = scratch.native() / "probe";
        fs::create_directory(probe, error);
        if (std::rename(probe.string().c_str(), (candidate / "probe").string().c_str()) == 0) {
            fs::remove(candidate / "probe", error);
            fs::remove(candidate, error);
            directory_.clear();
        }
        fs::remove(probe, error);
    }
    OtherVolume(OtherVolume const&) = delete;
    OtherVolume& operator=(OtherVolume const&) = delete;
    ~OtherVolume() {
        std::error_code error;
        if (!directory_.empty()) {
            for (auto const& entry : fs::recursive_directory_iterator(directory_, error))
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
            fs::remove_all(directory_, error);
        }
    }

    bool available() const { return !directory_.empty(); }
    Path operator/(std::string const& name) const { return Path((directory_ / name).u8string()); }

private:
    fs::path directory_;
};

TEST(Move, CopiesAndRemovesAcrossVolumes) {
    ScratchDirectory scratch;
    OtherVolume other(scratch);
    if (!other.available())
        GTEST_SKIP() << "no second volume to move to";
    writeFile(scratch / "file", "file");
    makeSampleTree(scratch / "tree");

    EXPECT_TRUE(move(scratch / "file", other / "file"));
    EXPECT_TRUE(move(scratch / "tree", other / "tree"));
    EXPECT_EQ(readFile(other / "file"), "file");
    EXPECT_EQ(readFile(other / "tree/sub/deeper/z.txt"), "z");
    EXPECT_FALSE(existsOnDisk(scratch / "file"));
    EXPECT_FALSE(existsOnDisk(scratch / "tree"));
}

TEST(Move, KeepsTheCompleteCopyWhenTheSourceCannotBeRemoved) {
    ScratchDirectory scratch;
    OtherVolume other(scratch);
    if (!other.available())
        GTEST_SKIP() << "no second volume to move to";
    makeSampleTree(scratch / "tree");
    writeFile(scratch / "tree/sub/locked", "locked");
    makeReadOnly(scratch / "tree/sub/locked");

    EXPECT_FALSE(move(scratch / "tree", other / "tree"));
    EXPECT_EQ(readFile(other / "tree/x.txt"), "x");
    EXPECT_EQ(readFile(other / "tree/sub/deeper/z.txt"), "z");
    EXPECT_EQ(readFile(other / "tree/sub/locked"), "locked");
    EXPECT_EQ(readFile(scratch / "tree/sub/locked"), "locked");
}

} // namespace
} // namespace koril::filesystem
