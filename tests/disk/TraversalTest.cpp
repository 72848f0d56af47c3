// Flat walks with callbacks, pattern filters and pattern removals.

#include "disk/DiskTest.h"

#include <functional>
#include <regex>

namespace koril::filesystem::disktest {
namespace {

// Writes a file, making its missing parent directories first.
void writeNested(Path const& path, std::string const& contents) {
    makeDirectories(path.parentPath());
    writeFile(path, contents);
}

// Records every path it is called with and answers `true`.
struct Recorder {
    std::vector<Path> paths;
    PathPredicate callback() {
        return [this](Path const& path) {
            paths.push_back(path);
            return true;
        };
    }
    std::set<std::string> names() const {
        std::set<std::string> names;
        for (Path const& path : paths)
            names.insert(text(path.filename()));
        return names;
    }
};

TEST(ForEachTest, VisitsDirectChildrenOnlyWithTheirFullPaths) {
    ScratchDirectory scratch;
    for (char const* name : {"a.txt", "b.txt", "c.txt"})
        writeFile(scratch / name, name);
    writeNested(scratch / "sub/deep.txt", "below");
    makeDirectories(scratch / "sub/empty");

    Recorder recorder;
    EXPECT_TRUE(forEach(scratch.path(), recorder.callback()));
    ASSERT_EQ(recorder.paths.size(), 4u);
    for (Path const& path : recorder.paths)
        EXPECT_EQ(text(path), text(scratch.path() / path.filename()));
    EXPECT_EQ(recorder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt", "sub"}));

    // Nothing to walk gives false without calls.
    for (char const* target : {"missing", "a.txt", "sub/empty"}) {
        Recorder none;
        EXPECT_FALSE(forEach(scratch / target, none.callback())) << target;
        EXPECT_TRUE(none.paths.empty()) << target;
    }
    // False from the callback stops the walk at once.
    int calls = 0;
    EXPECT_FALSE(forEach(scratch.path(), [&calls](Path const&) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

TEST(ForEachMatchingTest, MatchesFileNamesOnly) {
    ScratchDirectory scratch;
    // The directory's own name matches the pattern; its children's paths therefore match as a
    // whole, but only a child whose own name matches may be visited.
    for (char const* name : {"keep/a.dat", "keep/keeper.dat", "keep/b.keep", "keep/other"})
        writeNested(scratch / name, "x");
    Recorder recorder;
    EXPECT_TRUE(forEachMatching(scratch / "keep", "*keep*", recorder.callback()));
    EXPECT_EQ(recorder.names(), (std::set<std::string>{"keeper.dat", "b.keep"}));

    // A skipped child counts as a request to go on.
    Recorder none;
    EXPECT_TRUE(forEachMatching(scratch / "keep", "*.txt", none.callback()));
    EXPECT_TRUE(none.paths.empty());
}

TEST(RemoveMatchingTest, RemovesFilesAndEmptyDirectoriesUntilANonEmptyOne) {
    ScratchDirectory scratch;
    for (char const* name : {"a.tmp", "b.tmp", "c.tmp", "d.tmp", "keep.txt"})
        writeFile(scratch / name, name);
    makeDirectories(scratch / "empty.tmp");
    writeNested(scratch / "full.tmp/inside.txt", "x");
    // The listing order is the platform's; take it from a walk that removes nothing.
    Recorder order;
    ASSERT_TRUE(forEach(scratch.path(), order.callback()));

    EXPECT_FALSE(removeMatching(scratch.path(), "*.tmp"));
    bool beforeStop = true;
    for (Path const& path : order.paths) {
        std::string const name = text(path.filename());
        if (name == "full.tmp") {
            beforeStop = false;
            EXPECT_TRUE(existsOnDisk(scratch / "full.tmp/inside.txt"));
        } else {
            EXPECT_EQ(existsOnDisk(path), !beforeStop || name == "keep.txt") << name;
        }
    }
}

TEST(RemoveAllMatchingTest, RemovesMatchingTreesAndLinksAsLinks) {
    ScratchDirectory scratch;
    for (char const* name : {"walk/a.tmp", "walk/tree.tmp/x.txt", "walk/tree.tmp/sub/y.txt",
                             "walk/keep/z.tmp", "target/inner.txt"})
        writeNested(scratch / name, name);
    if (platformCreatesSymbolicLinks())
        fs::create_directory_symlink(toStd(scratch / "target"), toStd(scratch / "walk/link.tmp"));
    EXPECT_TRUE(removeAllMatching(scratch / "walk", "*.tmp"));
    // Not deeper than the direct children, and not through a link.
    EXPECT_EQ(namesOnDisk(toStd(scratch / "walk")), std::set<std::string>{"keep"});
    EXPECT_TRUE(existsOnDisk(scratch / "walk/keep/z.tmp"));
    EXPECT_EQ(readFile(scratch / "target/inner.txt"), "target/inner.txt");

    writeNested(scratch / "walk/locked.tmp/locked.txt", "x");
    makeReadOnly(scratch / "walk/locked.tmp/locked.txt");
    EXPECT_FALSE(removeAllMatching(scratch / "walk", "*.tmp"));
    EXPECT_TRUE(existsOnDisk(scratch / "walk/locked.tmp/locked.txt"));
}

} // namespace
} // namespace koril::filesystem::disktest
