// Creating directories and removing files, directories and trees, by call and by reaper.

#include "disk/DiskTest.h"

#include <algorithm>

namespace koril::filesystem::disktest {
namespace {

TEST(CreateDirectory, CreatesOneLevelAcceptsWhatExistsAndRefusesTheRest) {
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
    EXPECT_EQ(readFile(scratch / "file"), "contents");

    // Windows: short enough for the volume, too long for the classic directory limit. POSIX
    // limits only what the kernel refuses too: a name longer than any volume takes.
    std::string const tooLong(onWindows() ? 240 : 300, 'd');
    for (Path const& refused : {scratch / "a/b", scratch / "file/x", scratch / tooLong})
        EXPECT_FALSE(createDirectory(refused)) << text(refused).substr(0, 80);
    EXPECT_EQ(namesOnDisk(scratch.native()), (std::set<std::string>{"dir", "file", "new"}));
}

TEST(CreateDirectories, CreatesTheMissingAncestorsAndStopsWhereOneCannotBe) {
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

    EXPECT_FALSE(createDirectories(scratch / "a/b/c/f/x/y"));
    EXPECT_EQ(readFile(scratch / "a/b/c/f"), "kept");
    EXPECT_FALSE(createDirectories(Path()));
    if (!exists(Path("Q:\\"))) {
        EXPECT_FALSE(createDirectories(Path("Q:\\koril\\nowhere")));
    }
}

TEST(Remove, RemovesFilesAndEmptyDirectoriesOnlyAndRemoveAllActsAlikeOnThem) {
    ScratchDirectory scratch;
    for (char const* file : {"file", "file2"})
        writeFile(scratch / file, "x");
    makeDirectories(scratch / "empty");
    makeDirectories(scratch / "full");
    writeFile(scratch / "full/inside", "kept");

    EXPECT_TRUE(remove(scratch / "file"));
    EXPECT_TRUE(remove(scratch / "empty"));
    EXPECT_TRUE(removeAll(scratch / "file2"));
    EXPECT_FALSE(remove(scratch / "full"));
    EXPECT_EQ(namesOnDisk(scratch.native()), std::set<std::string>{"full"});
    EXPECT_EQ(readFile(scratch / "full/inside"), "kept");
    for (auto const removal : {&koril::filesystem::remove, &koril::filesystem::removeAll}) {
        EXPECT_FALSE(removal(scratch / "missing"));
        EXPECT_FALSE(removal(Path()));
    }
}

TEST(Remove, RefusesAReadOnlyFileUntilItIsMadeWritable) {
    ScratchDirectory scratch;
    Path const file = scratch / "keep.txt";
    writeFile(file, "precious");
    ASSERT_TRUE(setPermissions(file, OwnerRead));
    EXPECT_FALSE(remove(file));
    EXPECT_FALSE(removeAll(file));
    EXPECT_EQ(readFile(file), "precious");
    ASSERT_TRUE(setPermissions(file, OwnerRead | OwnerWrite));
    EXPECT_TRUE(remove(file));
    EXPECT_FALSE(existsOnDisk(file));
    // Root may remove anything on POSIX; the port refuses a read-only directory as Windows does.
    if (!onWindows()) {
        makeDirectories(scratch / "frozen");
        ASSERT_TRUE(setPermissions(scratch / "frozen", OwnerRead));
        EXPECT_FALSE(remove(scratch / "frozen"));
        EXPECT_TRUE(fs::is_directory(scratch.native() / "frozen"));
    }
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
    std::vector<DirectoryEntry> const rootOrder = listEntries(root);
    std::vector<DirectoryEntry> const subOrder = listEntries(sub);

    EXPECT_FALSE(removeAll(root));

    // Compares one directory with its listing before the call: the entries before `stop` are
    // gone, `stop` and the ones after it are intact.
    auto checkLevel = [](std::vector<DirectoryEntry> const& order, std::string const& stop) {
        auto const stopAt = std::find_if(order.begin(), order.end(), [&](auto const& entry) {
            return text(entry.getPath().filename()) == stop;
        });
        ASSERT_NE(stopAt, order.end());
        for (auto it = order.begin(); it != order.end(); ++it) {
            Path const& entry = it->getPath();
            std::string const name = text(entry.filename());
            if (it < stopAt) {
                EXPECT_FALSE(existsOnDisk(entry)) << name;
            } else if (name == "inner") {
                EXPECT_EQ(readFile(entry / Path("leaf")), "leaf");
            } else if (name != "sub") {
                EXPECT_EQ(readFile(entry), name);
            }
        }
    };
    checkLevel(rootOrder, "sub");
    checkLevel(subOrder, "locked");
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
    if (!platformCreatesSymbolicLinks())
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
    fs::create_directory_symlink(toStd(scratch / "target"), toStd(scratch / "link"));

    EXPECT_TRUE(removeAll(scratch / "tree"));
    // The argument itself a link: only the link goes, for either call.
    EXPECT_TRUE(removeAll(scratch / "topLink"));
    EXPECT_TRUE(remove(scratch / "link"));
    EXPECT_EQ(namesOnDisk(scratch.native()), (std::set<std::string>{"target", "lone"}));
    EXPECT_EQ(readFile(scratch / "target/file"), "kept");
    EXPECT_EQ(readFile(scratch / "target/sub/deep"), "kept too");
    EXPECT_EQ(readFile(scratch / "lone"), "lone");
}

enum class Target { File, EmptyDirectory, Tree, Missing };

TEST(Reapers, RemoveWhatTheirKindAllows) {
    struct Case {
        bool directoryReaper;
        Target target;
        bool cancelled;
        bool remains;
    } const cases[] = {
        {true, Target::Tree, false, false},
        {true, Target::EmptyDirectory, false, false},
        {true, Target::File, false, false},
        {true, Target::Tree, true, true},
        {true, Target::Missing, false, false},
        {false, Target::Tree, false, true},
        {false, Target::EmptyDirectory, false, false},
        {false, Target::File, false, false},
        {false, Target::File, true, true},
        {false, Target::Missing, false, false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(std::string(c.directoryReaper ? "DirectoryReaper" : "PathReaper") +
                     " target " + std::to_string(static_cast<int>(c.target)) +
                     (c.cancelled ? " cancelled" : ""));
        ScratchDirectory scratch;
        Path const path = scratch / "target";
        if (c.target == Target::File)
            writeFile(path, "x");
        else if (c.target != Target::Missing)
            makeDirectories(path);
        if (c.target == Target::Tree)
            writeFile(path / Path("file.txt"), "x");
        auto reap = [&](auto&& reaper) {
            EXPECT_EQ(text(reaper.get()), text(path));
            if (c.cancelled) {
                reaper.cancel();
                EXPECT_TRUE(reaper.get().empty());
            }
        };
        if (c.directoryReaper)
            reap(DirectoryReaper(path));
        else
            reap(PathReaper(path));
        EXPECT_EQ(existsOnDisk(path), c.remains);
        if (c.target == Target::Tree && c.remains) {
            EXPECT_TRUE(existsOnDisk(path / Path("file.txt")));
        }
    }
}

} // namespace
} // namespace koril::filesystem::disktest
