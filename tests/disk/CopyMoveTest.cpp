// Copying files, links and trees, renaming and moving.

#include "disk/DiskTest.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <utility>

namespace koril::filesystem::disktest {
namespace {

// a\{x.txt, sub\{y.txt, deeper\z.txt}}
void makeSampleTree(Path const& root) {
    makeDirectories(root / Path("sub/deeper"));
    writeFile(root / Path("x.txt"), "x");
    writeFile(root / Path("sub/y.txt"), "y");
    writeFile(root / Path("sub/deeper/z.txt"), "z");
}

// What a refused call must leave as it was: a file's contents, a directory, or nothing.
std::string stateOf(Path const& path) {
    if (!existsOnDisk(path))
        return "<none>";
    return fs::is_directory(toStd(path)) ? "<directory>" : readFile(path);
}

TEST(CopyFile, ReplacesOnlyWhatWindowsWouldReplace) {
    ScratchDirectory scratch;
    writeFile(scratch / "source", "new");
    writeFile(scratch / "existing", "old");
    writeFile(scratch / "readOnly", "old");
    makeReadOnly(scratch / "readOnly");
    makeDirectories(scratch / "dir");
    struct Case {
        char const* what;
        char const* from;
        char const* to;
        bool failIfExists;
        bool copied;
    };
    std::vector<Case> cases = {
        {"new destination", "source", "fresh1", true, true},
        {"new destination, replacing allowed", "source", "fresh2", false, true},
        {"existing destination refused", "source", "existing", true, false},
        {"missing source", "missing", "fresh3", false, false},
        {"directory source", "dir", "fresh4", false, false},
        {"parent of the destination is a file", "source", "source/new", false, false},
        {"destination directory", "source", "dir", false, false},
    };
    // Wine run by root leaves the read-only attribute to Unix permissions, which root ignores.
    if (!onWindows() || !std::ofstream(toStd(scratch / "readOnly"), std::ios::app))
        cases.push_back({"read-only destination", "source", "readOnly", false, false});
#ifndef _WIN32
    makeDirectories(scratch / "linked");
    fs::create_symlink(scratch.native() / "linked", scratch.native() / "dirLink");
    fs::create_hard_link(scratch.native() / "source", scratch.native() / "alias");
    cases.push_back({"itself", "source", "source", false, false});
    cases.push_back({"a hard link to itself", "source", "alias", false, false});
    cases.push_back({"link to a directory as source", "dirLink", "fresh5", true, false});
#endif
    std::set<std::string> expectedNames = namesOnDisk(scratch.native());
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        std::string const before = stateOf(scratch / c.to);
        EXPECT_EQ(copyFile(scratch / c.from, scratch / c.to, c.failIfExists), c.copied);
        EXPECT_EQ(stateOf(scratch / c.to), c.copied ? "new" : before);
        if (c.copied)
            expectedNames.insert(c.to);
    }
    EXPECT_TRUE(copyFile(scratch / "source", scratch / "existing", false));
    EXPECT_EQ(readFile(scratch / "existing"), "new");
    EXPECT_EQ(readFile(scratch / "source"), "new");
    // No temporary copy is left behind by any of the refusals.
    EXPECT_EQ(namesOnDisk(scratch.native()), expectedNames);
}

TEST(CopyRenameMove, NeverReplaceAnExistingDestination) {
    using Operation = bool (*)(Path const&, Path const&);
    struct Named {
        char const* name;
        Operation operation;
        bool keepsSource;
    };
    for (Named const& named : {Named{"copy", &koril::filesystem::copy, true},
                               Named{"rename", &koril::filesystem::rename, false},
                               Named{"move", &koril::filesystem::move, false}}) {
        SCOPED_TRACE(named.name);
        ScratchDirectory scratch;
        writeFile(scratch / "a", "a");
        writeFile(scratch / "b", "b");
        makeSampleTree(scratch / "tree");
        makeDirectories(scratch / "empty");
        makeDirectories(scratch / "into");
        // POSIX's own rename replaces an empty directory; the library's never does.
        for (auto const& [from, to] : std::vector<std::pair<char const*, char const*>>{
                 {"a", "b"}, {"a", "empty"}, {"tree", "b"}, {"tree", "empty"}, {"missing", "c"}})
            EXPECT_FALSE(named.operation(scratch / from, scratch / to)) << from << " to " << to;
        EXPECT_EQ(readFile(scratch / "a"), "a");
        EXPECT_EQ(readFile(scratch / "b"), "b");
        EXPECT_EQ(readFile(scratch / "tree/sub/deeper/z.txt"), "z");
        EXPECT_TRUE(isEmptyDirectory(scratch / "empty"));
        EXPECT_FALSE(existsOnDisk(scratch / "c"));

        EXPECT_TRUE(named.operation(scratch / "a", scratch / "into/c"));
        EXPECT_TRUE(named.operation(scratch / "tree", scratch / "into/moved"));
        EXPECT_EQ(readFile(scratch / "into/c"), "a");
        EXPECT_EQ(readFile(scratch / "into/moved/sub/deeper/z.txt"), "z");
        EXPECT_EQ(existsOnDisk(scratch / "a"), named.keepsSource);
        EXPECT_EQ(existsOnDisk(scratch / "tree"), named.keepsSource);
    }
}

TEST(CopyDirectory, CopiesRecursivelyOrOneLevelOrRefusesBeforeCopyingAnything) {
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

    // Refusals copy nothing.
    makeDirectories(scratch / "existing");
    writeFile(scratch / "existing/own", "own");
    writeFile(scratch / "file", "file");
    struct Case {
        char const* what;
        char const* from;
        char const* to;
        bool recursive;
    } const cases[] = {
        {"existing destination", "a", "existing", true},
        {"existing destination, one level", "a", "existing", false},
        {"missing source", "missing", "new1", true},
        {"file as source", "file", "new2", true},
        {"destination below a file", "a", "file/new", true},
    };
    for (Case const& c : cases)
        EXPECT_FALSE(copyDirectory(scratch / c.from, scratch / c.to, c.recursive)) << c.what;
    EXPECT_EQ(namesOnDisk(toStd(scratch / "existing")), std::set<std::string>{"own"});
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
    if (platformCreatesSymbolicLinks()) {
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

class SymbolicLinks : public ::testing::Test {
protected:
    void SetUp() override {
        if (!platformCreatesSymbolicLinks())
            GTEST_SKIP() << "this platform creates no symbolic links";
        makeSampleTree(scratch / "a");
        makeDirectories(scratch / "dir");
        writeFile(scratch / "dir/inside", "inside");
        writeFile(scratch / "file", "data");
    }
    bool isLink(char const* name) const { return fs::is_symlink(scratch.native() / name); }

    ScratchDirectory scratch;
};

TEST_F(SymbolicLinks, AreCreatedToFilesAndDirectoriesAndCopiedAsTheirContents) {
    EXPECT_TRUE(createSymbolicLink(scratch / "file", scratch / "fileLink"));
    EXPECT_TRUE(createSymbolicLink(scratch / "dir", scratch / "dirLink"));
    EXPECT_TRUE(isLink("fileLink"));
    EXPECT_EQ(readFile(scratch / "fileLink"), "data");
    EXPECT_EQ(readFile(scratch / "dirLink/inside"), "inside");
    EXPECT_EQ(symbolicLinkStatus(scratch / "dirLink").getType(), SymbolicLinkFile);

    // `copy` follows links to their contents.
    EXPECT_TRUE(copy(scratch / "dirLink", scratch / "dirCopy"));
    EXPECT_TRUE(copy(scratch / "fileLink", scratch / "fileCopy"));
    EXPECT_FALSE(isLink("dirCopy"));
    EXPECT_FALSE(isLink("fileCopy"));
    EXPECT_EQ(readFile(scratch / "dirCopy/inside"), "inside");
    EXPECT_EQ(readFile(scratch / "fileCopy"), "data");
}

TEST_F(SymbolicLinks, CopyPointsAtTheEndOfTheChainAndReplacesOnlyWhenAllowed) {
    fs::create_symlink(toStd(scratch / "file"), toStd(scratch / "first"));
    // A relative link: the copy must not keep its text.
    fs::create_symlink("first", toStd(scratch / "second"));
    writeFile(scratch / "taken", "taken");

    EXPECT_TRUE(copySymbolicLink(scratch / "second", scratch / "copy", true));
    ASSERT_TRUE(isLink("copy"));
    EXPECT_EQ(fs::read_symlink(toStd(scratch / "copy")), toStd(scratch / "file"));
    EXPECT_EQ(readFile(scratch / "copy"), "data");

    EXPECT_FALSE(copySymbolicLink(scratch / "second", scratch / "taken", true));
    EXPECT_FALSE(isLink("taken"));
    EXPECT_EQ(readFile(scratch / "taken"), "taken");
    EXPECT_TRUE(copySymbolicLink(scratch / "second", scratch / "taken", false));
    EXPECT_TRUE(isLink("taken"));
    EXPECT_EQ(readFile(scratch / "taken"), "data");
}

// Links to files are copied as files; a link to a directory fails the copy and is left out.
TEST_F(SymbolicLinks, CopyDirectoryCopiesLinksToFilesAndFailsOnLinksToDirectories) {
    fs::create_symlink(toStd(scratch / "file"), toStd(scratch / "a/fileLink"));
    fs::create_directory_symlink(toStd(scratch / "dir"), toStd(scratch / "a/dirLink"));

    EXPECT_FALSE(copyDirectory(scratch / "a", scratch / "b", true));
    EXPECT_FALSE(isLink("b/fileLink"));
    EXPECT_EQ(readFile(scratch / "b/fileLink"), "data");
    EXPECT_FALSE(existsOnDisk(scratch / "b/dirLink"));
    EXPECT_EQ(readFile(scratch / "b/sub/deeper/z.txt"), "z");
}

} // namespace
} // namespace koril::filesystem::disktest
