// Flat walks with callbacks, pattern filters and pattern removals.

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace kfs = koril::filesystem;
using koril::testing::existsOnDisk;
using koril::testing::makeDirectories;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
using koril::testing::writeFile;

// Writes a file, making its missing parent directories first.
void writeNested(kfs::Path const& path, std::string const& contents) {
    makeDirectories(path.parentPath());
    writeFile(path, contents);
}

std::string nameOf(kfs::Path const& path) {
    return path.filename().string().toUTF8String();
}

// Records the file name of every path it is called with and answers `true`.
struct Recorder {
    std::vector<std::string> names;
    kfs::PathPredicate callback() {
        return [this](kfs::Path const& path) {
            names.push_back(nameOf(path));
            return true;
        };
    }
    std::set<std::string> nameSet() const { return {names.begin(), names.end()}; }
};

TEST(ForEachTest, NothingToWalkGivesFalseWithoutCalls) {
    ScratchDirectory scratch;
    writeFile(scratch / "file.txt", "x");
    makeDirectories(scratch / "empty");
    for (char const* target : {"missing", "file.txt", "empty"}) {
        SCOPED_TRACE(target);
        Recorder recorder;
        EXPECT_FALSE(kfs::forEach(scratch / target, recorder.callback()));
        EXPECT_TRUE(recorder.names.empty());
    }
}

TEST(ForEachTest, VisitsDirectChildrenOnlyWithTheirFullPaths) {
    ScratchDirectory scratch;
    for (char const* name : {"a.txt", "b.txt", "c.txt"})
        writeFile(scratch / name, name);
    writeNested(scratch / "sub/deep.txt", "below");

    std::vector<kfs::Path> paths;
    EXPECT_TRUE(kfs::forEach(scratch.path(), [&paths](kfs::Path const& path) {
        paths.push_back(path);
        return true;
    }));
    ASSERT_EQ(paths.size(), 4u);
    std::set<std::string> names;
    for (kfs::Path const& path : paths) {
        EXPECT_EQ(path.string(), (scratch.path() / path.filename()).string());
        names.insert(nameOf(path));
    }
    EXPECT_EQ(names, (std::set<std::string>{"a.txt", "b.txt", "c.txt", "sub"}));
}

TEST(ForEachTest, FalseFromTheCallbackStopsTheWalkAtOnce) {
    ScratchDirectory scratch;
    for (char const* name : {"1", "2", "3", "4", "5"})
        writeFile(scratch / name, name);
    int calls = 0;
    EXPECT_FALSE(kfs::forEach(scratch.path(), [&calls](kfs::Path const&) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

TEST(ForEachTest, EmptyCallbackThrowsOnlyWhenAnEntryReachesIt) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "empty");
    writeNested(scratch / "full/a.dat", "a");
    EXPECT_FALSE(kfs::forEach(scratch / "empty", kfs::PathPredicate()));
    EXPECT_THROW(kfs::forEach(scratch / "full", kfs::PathPredicate()), std::bad_function_call);

    // Through a pattern, only a matching entry reaches the callback.
    EXPECT_TRUE(kfs::forEachMatching(scratch / "full", "*.txt", kfs::PathPredicate()));
    writeFile(scratch / "full/b.txt", "b");
    EXPECT_THROW(kfs::forEachMatching(scratch / "full", "*.txt", kfs::PathPredicate()),
                 std::bad_function_call);
}

TEST(ForEachMatchingTest, MatchesFileNamesOnly) {
    ScratchDirectory scratch;
    // The directory's own name matches the pattern; its children's paths therefore match as a
    // whole, but only a child whose own name matches may be visited.
    for (char const* name : {"keep/a.dat", "keep/keeper.dat", "keep/b.keep", "keep/other"})
        writeNested(scratch / name, "x");
    Recorder recorder;
    EXPECT_TRUE(kfs::forEachMatching(scratch / "keep", "*keep*", recorder.callback()));
    EXPECT_EQ(recorder.nameSet(), (std::set<std::string>{"keeper.dat", "b.keep"}));

    // A skipped child counts as a request to go on.
    recorder.names.clear();
    EXPECT_TRUE(kfs::forEachMatching(scratch / "keep", "*.txt", recorder.callback()));
    EXPECT_TRUE(recorder.names.empty());
}

TEST(ForEachMatchingTest, BadPatternThrowsOnlyWhenAnEntryIsTested) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "empty");
    writeNested(scratch / "full/a.dat", "a");
    Recorder recorder;
    for (auto const& walk : std::vector<std::function<bool(kfs::Path const&)>>{
             [&recorder](kfs::Path const& d) {
                 return kfs::forEachMatching(d, "(log", recorder.callback());
             },
             [](kfs::Path const& d) { return kfs::removeMatching(d, "(log"); },
             [](kfs::Path const& d) { return kfs::removeAllMatching(d, "(log"); }}) {
        EXPECT_FALSE(walk(scratch / "empty"));
        EXPECT_THROW(walk(scratch / "full"), std::regex_error);
    }
    EXPECT_TRUE(recorder.names.empty());
    EXPECT_TRUE(existsOnDisk(scratch / "full/a.dat"));
}

TEST(RemoveMatchingTest, RemovesFilesAndEmptyDirectoriesUntilANonEmptyOne) {
    ScratchDirectory scratch;
    for (char const* name : {"a.tmp", "b.tmp", "c.tmp", "d.tmp", "keep.txt"})
        writeFile(scratch / name, name);
    makeDirectories(scratch / "empty.tmp");
    writeNested(scratch / "full.tmp/inside.txt", "x");
    // The listing order is the platform's; take it from a walk that removes nothing.
    Recorder order;
    ASSERT_TRUE(kfs::forEach(scratch.path(), order.callback()));

    EXPECT_FALSE(kfs::removeMatching(scratch.path(), "*.tmp"));
    bool beforeStop = true;
    for (std::string const& name : order.names) {
        SCOPED_TRACE(name);
        if (name == "full.tmp") {
            beforeStop = false;
            EXPECT_TRUE(existsOnDisk(scratch / "full.tmp/inside.txt"));
        } else if (name == "keep.txt") {
            EXPECT_TRUE(existsOnDisk(scratch / name));
        } else {
            EXPECT_EQ(existsOnDisk(scratch / name), !beforeStop);
        }
    }
}

TEST(RemoveAllMatchingTest, RemovesMatchingTrees) {
    ScratchDirectory scratch;
    for (char const* name : {"a.tmp", "tree.tmp/x.txt", "tree.tmp/sub/y.txt", "keep/z.tmp"})
        writeNested(scratch / name, name);
    EXPECT_TRUE(kfs::removeAllMatching(scratch.path(), "*.tmp"));
    EXPECT_FALSE(existsOnDisk(scratch / "a.tmp"));
    EXPECT_FALSE(existsOnDisk(scratch / "tree.tmp"));
    // Not deeper than the direct children.
    EXPECT_TRUE(existsOnDisk(scratch / "keep/z.tmp"));
}

TEST(RemoveAllMatchingTest, ReadOnlyFileInAMatchingTreeStopsTheWalk) {
    ScratchDirectory scratch;
    writeNested(scratch / "tree.tmp/locked.txt", "x");
    koril::testing::makeReadOnly(scratch / "tree.tmp/locked.txt");
    EXPECT_FALSE(kfs::removeAllMatching(scratch.path(), "*.tmp"));
    EXPECT_TRUE(existsOnDisk(scratch / "tree.tmp/locked.txt"));
}

TEST(RemoveAllMatchingTest, MatchingLinkToADirectoryIsRemovedAsALink) {
    if (!koril::testing::platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform does not create symbolic links";
    ScratchDirectory scratch;
    writeNested(scratch / "target/inner.txt", "keep me");
    makeDirectories(scratch / "walk");
    std::filesystem::create_directory_symlink(scratch.native() / "target",
                                              toStd(scratch / "walk/link.tmp"));
    EXPECT_TRUE(kfs::removeAllMatching(scratch / "walk", "*.tmp"));
    EXPECT_FALSE(existsOnDisk(scratch / "walk/link.tmp"));
    EXPECT_EQ(koril::testing::readFile(scratch / "target/inner.txt"), "keep me");
}

} // namespace
