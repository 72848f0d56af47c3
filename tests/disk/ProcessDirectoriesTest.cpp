// The process-wide directories: the current directory, with relative paths resolved against it,
// and the stack of temporary directories, with the sweep of stale entries that a prefix names.

#include "disk/DiskTest.h"

#include <chrono>
#include <optional>

namespace koril::filesystem::disktest {
namespace {

constexpr Ticks oneHour = std::chrono::hours(1);

TimePoint now() {
    return std::chrono::time_point_cast<Ticks>(std::chrono::system_clock::now());
}

TEST(TemporaryDirectoryTest, GivenDirectoryIsCurrentUntilDestroyedWithItsContents) {
    // Without objects the operating system's directory is current.
    Path const before = getTemporaryDirectory();
    EXPECT_TRUE(isDirectory(getOSTemporaryDirectory()));
    EXPECT_EQ(text(before), text(getOSTemporaryDirectory()));
    ScratchDirectory scratch;
    for (bool existedBefore : {false, true}) {
        SCOPED_TRACE(existedBefore ? "existing directory" : "missing directory");
        Path const directory = scratch / "work";
        if (existedBefore)
            makeDirectories(directory);
        {
            TemporaryDirectory temporary(directory);
            EXPECT_TRUE(isDirectory(directory));
            EXPECT_EQ(text(temporary.get()), text(directory));
            EXPECT_EQ(text(getTemporaryDirectory()), text(directory));
            writeFile(directory / Path("file.txt"), "x");
        }
        EXPECT_FALSE(existsOnDisk(directory));
        EXPECT_EQ(text(getTemporaryDirectory()), text(before));
    }
}

// Two nested prefix-and-age directories inside a base of the test's own, ended in either order:
// the inner one first, or the outer one first, which takes the inner one with it.
TEST(TemporaryDirectoryTest, NestedObjectsBuildNestedDirectories) {
    for (bool const innerFirst : {true, false}) {
        SCOPED_TRACE(innerFirst ? "inner first" : "outer first");
        ScratchDirectory scratch;
        Path const base = scratch / "base";
        TemporaryDirectory current(base);
        std::optional<TemporaryDirectory> outer(std::in_place, "kt", oneHour);
        Path const outerPath = getTemporaryDirectory();
        std::optional<TemporaryDirectory> inner(std::in_place, "kt", oneHour);
        Path const innerPath = getTemporaryDirectory();
        EXPECT_EQ(text(outerPath.parentPath()), text(base));
        EXPECT_EQ(text(innerPath.parentPath()), text(outerPath));
        EXPECT_TRUE(isDirectory(innerPath));
        EXPECT_EQ(text(inner->get()), text(innerPath));

        (innerFirst ? inner : outer).reset();
        EXPECT_FALSE(existsOnDisk(innerPath));
        EXPECT_TRUE(isDirectory(outerPath));
        EXPECT_EQ(text(getTemporaryDirectory()), text(outerPath));

        (innerFirst ? outer : inner).reset();
        EXPECT_FALSE(existsOnDisk(outerPath));
        EXPECT_TRUE(isDirectory(base));
        EXPECT_EQ(text(getTemporaryDirectory()), text(base));
    }
}

TEST(TemporaryDirectoryTest, SweepRemovesOnlyStaleEntriesOfThePrefix) {
    struct Case {
        char const* name;
        bool directory;
        Ticks age;
        bool swept;
    } const cases[] = {
        {"job-old", true, std::chrono::hours(2), true},
        {"job-oldfile", false, std::chrono::hours(2), true},
        {"job-young", true, std::chrono::minutes(1), false},
        {"job-youngfile", false, std::chrono::minutes(1), false},
        {"other-old", true, std::chrono::hours(2), false},
        {"xjob-old", false, std::chrono::hours(2), false},
        // A maximum age of zero sweeps everything older than now.
        {"tick-1", false, std::chrono::seconds(1), true},
    };
    ScratchDirectory scratch;
    Path const base = scratch / "base";
    TemporaryDirectory current(base);
    for (Case const& c : cases) {
        Path const entry = base / Path(c.name);
        if (c.directory) {
            makeDirectories(entry);
            writeFile(entry / Path("inside.txt"), "x");
        } else {
            writeFile(entry, "x");
        }
        ASSERT_TRUE(setModificationTime(entry, now() - c.age)) << c.name;
    }
    // Zero ticks is also what an unreadable time reads as: such an entry is never swept.
    Path const unknown = base / Path("job-unknown");
    writeFile(unknown, "x");
    bool const zeroTime = setModificationTime(unknown, TimePoint()) &&
                          getModificationTime(unknown).time_since_epoch().count() == 0;

    Path created;
    {
        TemporaryDirectory sweeping("job-", oneHour);
        created = sweeping.get();
        EXPECT_EQ(text(created.parentPath()), text(base));
        EXPECT_TRUE(isDirectory(created));
    }
    EXPECT_FALSE(existsOnDisk(created));
    { TemporaryDirectory zero("tick-", Ticks(0)); }
    for (Case const& c : cases)
        EXPECT_EQ(existsOnDisk(base / Path(c.name)), !c.swept) << c.name;
    EXPECT_TRUE(existsOnDisk(unknown) || !zeroTime);
}

TEST(TemporaryDirectoryTest, WithoutABaseNothingIsSweptOrCreated) {
    ScratchDirectory scratch;
    writeFile(scratch / "job-old", "x");
    ASSERT_TRUE(setModificationTime(scratch / "job-old", now() - std::chrono::hours(2)));
    CurrentDirectoryGuard guard;
    fs::current_path(scratch.native());
    {
        TemporaryDirectory nowhere{Path()};
        EXPECT_TRUE(getTemporaryDirectory().empty());
        {
            TemporaryDirectory refused("job-", oneHour);
            EXPECT_TRUE(refused.get().empty());
        }
        EXPECT_TRUE(getTemporaryDirectory().empty());
    }
    EXPECT_EQ(namesOnDisk(scratch.native()), std::set<std::string>{"job-old"});
}

// Every test here changes the current directory; the guard puts it back.
struct CurrentDirectoryTest : ::testing::Test {
    CurrentDirectoryGuard guard;
    ScratchDirectory scratch;
};

TEST_F(CurrentDirectoryTest, ReportsWhatItWasSetTo) {
    EXPECT_EQ(toStd(getCurrentDirectory()), fs::current_path());
    makeDirectories(scratch / "sub");
    ASSERT_TRUE(setCurrentDirectory(scratch.path()));
    EXPECT_EQ(fs::current_path(), scratch.native());
    EXPECT_EQ(text(getCurrentDirectory()), text(scratch.path()));
    // A relative path goes from where we are.
    ASSERT_TRUE(setCurrentDirectory(Path("sub")));
    EXPECT_EQ(text(getCurrentDirectory()), text(scratch / "sub"));
    // What is no directory is refused, and nothing changes.
    writeFile(scratch / "file", "x");
    for (Path const& refused : {scratch / "missing", scratch / "file", Path()})
        EXPECT_FALSE(setCurrentDirectory(refused)) << text(refused);
    EXPECT_EQ(text(getCurrentDirectory()), text(scratch / "sub"));
}

TEST_F(CurrentDirectoryTest, CreatesAndRemovesRelativeToIt) {
    ASSERT_TRUE(setCurrentDirectory(scratch.path()));
    EXPECT_TRUE(createDirectory(Path("one")));
    EXPECT_TRUE(fs::is_directory(scratch.native() / "one"));
    EXPECT_TRUE(createDirectories(Path("one\\two\\three")));
    EXPECT_TRUE(fs::is_directory(scratch.native() / "one" / "two" / "three"));
    // A relative climb starts from the current directory.
    EXPECT_TRUE(createDirectories(Path("missing\\x")));
    EXPECT_TRUE(createDirectories(Path("alone")));
    EXPECT_TRUE(fs::is_directory(scratch.native() / "missing" / "x"));
    EXPECT_TRUE(fs::is_directory(scratch.native() / "alone"));
    EXPECT_TRUE(copyDirectory(Path("one"), Path("copy"), true));
    EXPECT_TRUE(fs::is_directory(scratch.native() / "copy" / "two" / "three"));
    EXPECT_TRUE(removeAll(Path("one")));
    EXPECT_FALSE(existsOnDisk(scratch / "one"));
}

} // namespace
} // namespace koril::filesystem::disktest
