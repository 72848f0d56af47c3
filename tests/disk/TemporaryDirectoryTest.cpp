#include <koril/filesystem/Operations.h>
#include <koril/filesystem/TemporaryDirectory.h>

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>

namespace koril::filesystem {
namespace {

using koril::testing::existsOnDisk;
using koril::testing::makeDirectories;
using koril::testing::ScratchDirectory;
using koril::testing::writeFile;

constexpr Ticks oneHour = std::chrono::hours(1);

TimePoint now() {
    return std::chrono::time_point_cast<Ticks>(std::chrono::system_clock::now());
}

TEST(TemporaryDirectoryTest, WithoutObjectsTheOperatingSystemsDirectoryIsCurrent) {
    Path const os = getOSTemporaryDirectory();
    ASSERT_FALSE(os.empty());
    EXPECT_TRUE(isDirectory(os));
    EXPECT_EQ(getTemporaryDirectory().string(), os.string());
}

TEST(TemporaryDirectoryTest, GivenDirectoryIsCurrentUntilDestroyedWithItsContents) {
    ScratchDirectory scratch;
    Path const before = getTemporaryDirectory();
    for (bool existedBefore : {false, true}) {
        SCOPED_TRACE(existedBefore ? "existing directory" : "missing directory");
        Path const directory = scratch / "work";
        if (existedBefore)
            makeDirectories(directory);
        {
            TemporaryDirectory temporary(directory);
            EXPECT_TRUE(isDirectory(directory));
            EXPECT_EQ(temporary.get().string(), directory.string());
            EXPECT_EQ(getTemporaryDirectory().string(), directory.string());
            writeFile(directory / Path("file.txt"), "x");
        }
        EXPECT_FALSE(existsOnDisk(directory));
        EXPECT_EQ(getTemporaryDirectory().string(), before.string());
    }
}

// Builds two nested prefix-and-age directories inside a base of the test's own.
struct NestedDirectories {
    explicit NestedDirectories(Path const& base) : base(base) {
        outer.emplace("kt", oneHour);
        outerPath = getTemporaryDirectory();
        inner.emplace("kt", oneHour);
        innerPath = getTemporaryDirectory();
    }
    TemporaryDirectory base;
    std::optional<TemporaryDirectory> outer;
    std::optional<TemporaryDirectory> inner;
    Path outerPath;
    Path innerPath;
};

TEST(TemporaryDirectoryTest, NestedObjectsBuildNestedDirectories) {
    ScratchDirectory scratch;
    Path const base = scratch / "base";
    NestedDirectories nested(base);
    EXPECT_EQ(nested.outerPath.parentPath().string(), base.string());
    EXPECT_EQ(nested.innerPath.parentPath().string(), nested.outerPath.string());
    EXPECT_TRUE(isDirectory(nested.innerPath));
    EXPECT_EQ(nested.inner->get().string(), nested.innerPath.string());

    nested.inner.reset();
    EXPECT_FALSE(existsOnDisk(nested.innerPath));
    EXPECT_TRUE(isDirectory(nested.outerPath));
    EXPECT_EQ(getTemporaryDirectory().string(), nested.outerPath.string());

    nested.outer.reset();
    EXPECT_FALSE(existsOnDisk(nested.outerPath));
    EXPECT_TRUE(isDirectory(base));
    EXPECT_EQ(getTemporaryDirectory().string(), base.string());
}

TEST(TemporaryDirectoryTest, DestructionInConstructionOrderRemovesTheTopFirst) {
    ScratchDirectory scratch;
    Path const base = scratch / "base";
    NestedDirectories nested(base);

    nested.outer.reset();
    EXPECT_FALSE(existsOnDisk(nested.innerPath));
    EXPECT_TRUE(isDirectory(nested.outerPath));
    EXPECT_EQ(getTemporaryDirectory().string(), nested.outerPath.string());

    nested.inner.reset();
    EXPECT_FALSE(existsOnDisk(nested.outerPath));
    EXPECT_EQ(getTemporaryDirectory().string(), base.string());
}

struct SweepCase {
    char const* name;
    bool directory;
    Ticks age;
    bool swept;
};

TEST(TemporaryDirectoryTest, SweepRemovesOnlyStaleEntriesOfThePrefix) {
    SweepCase const cases[] = {
        {"job-old", true, std::chrono::hours(2), true},
        {"job-oldfile", false, std::chrono::hours(2), true},
        {"job-young", true, std::chrono::minutes(1), false},
        {"job-youngfile", false, std::chrono::minutes(1), false},
        {"other-old", true, std::chrono::hours(2), false},
        {"xjob-old", false, std::chrono::hours(2), false},
    };
    ScratchDirectory scratch;
    Path const base = scratch / "base";
    TemporaryDirectory current(base);
    for (SweepCase const& c : cases) {
        Path const entry = base / Path(c.name);
        if (c.directory) {
            makeDirectories(entry);
            writeFile(entry / Path("inside.txt"), "x");
        } else {
            writeFile(entry, "x");
        }
        ASSERT_TRUE(setModificationTime(entry, now() - c.age)) << c.name;
    }

    Path created;
    {
        TemporaryDirectory sweeping("job-", oneHour);
        created = sweeping.get();
        EXPECT_EQ(created.parentPath().string(), base.string());
        EXPECT_TRUE(isDirectory(created));
        for (SweepCase const& c : cases)
            EXPECT_EQ(existsOnDisk(base / Path(c.name)), !c.swept) << c.name;
    }
    EXPECT_FALSE(existsOnDisk(created));
}

TEST(TemporaryDirectoryTest, MaximumAgeZeroSweepsEverythingOlderThanNow) {
    ScratchDirectory scratch;
    Path const base = scratch / "base";
    TemporaryDirectory current(base);
    Path const entry = base / Path("tick-1");
    writeFile(entry, "x");
    ASSERT_TRUE(setModificationTime(entry, now() - std::chrono::seconds(1)));
    TemporaryDirectory sweeping("tick-", Ticks(0));
    EXPECT_FALSE(existsOnDisk(entry));
}

TEST(TemporaryDirectoryTest, EntryWithoutAKnownTimeIsNotSwept) {
    ScratchDirectory scratch;
    Path const base = scratch / "base";
    TemporaryDirectory current(base);
    Path const entry = base / Path("job-unknown");
    writeFile(entry, "x");
    // Zero ticks is also what an unreadable time reads as.
    if (!setModificationTime(entry, TimePoint()) ||
        getModificationTime(entry).time_since_epoch().count() != 0)
        GTEST_SKIP() << "this platform cannot give a file the time of zero ticks";
    TemporaryDirectory sweeping("job-", oneHour);
    EXPECT_TRUE(existsOnDisk(entry));
}

TEST(TemporaryDirectoryTest, BadPrefixPatternThrowsAndLeavesTheStackAlone) {
    ScratchDirectory scratch;
    Path const base = scratch / "base";
    TemporaryDirectory current(base);
    writeFile(base / Path("entry"), "x");
    EXPECT_THROW(TemporaryDirectory("(log", oneHour), std::regex_error);
    EXPECT_EQ(getTemporaryDirectory().string(), base.string());
    EXPECT_TRUE(existsOnDisk(base / Path("entry")));
}

// Restores the process's current directory when the test ends.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() : saved_(std::filesystem::current_path()) {}
    ~CurrentDirectoryGuard() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

TEST(TemporaryDirectoryTest, WithoutABaseNothingIsSweptOrCreated) {
    ScratchDirectory scratch;
    writeFile(scratch / "job-old", "x");
    ASSERT_TRUE(setModificationTime(scratch / "job-old", now() - std::chrono::hours(2)));
    CurrentDirectoryGuard guard;
    std::filesystem::current_path(scratch.native());
    {
        TemporaryDirectory nowhere{Path()};
        EXPECT_TRUE(getTemporaryDirectory().empty());
        {
            TemporaryDirectory refused("job-", oneHour);
            EXPECT_TRUE(refused.get().empty());
        }
        EXPECT_TRUE(getTemporaryDirectory().empty());
    }
    std::vector<std::string> names;
    for (auto const& entry : std::filesystem::directory_iterator(scratch.native()))
        names.push_back(entry.path().filename().u8string());
    EXPECT_EQ(names, std::vector<std::string>{"job-old"});
}

TEST(TemporaryDirectoryTest, UniqueNameIsThePrefixAndARandomNumberAndCreatesNothing) {
    ScratchDirectory scratch;
    std::regex const digits("(0|[1-9][0-9]{0,9})");
    for (std::string const prefix : {"job", "tmp-\xC3\xA9"}) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            Path const candidate =
                TemporaryDirectory::makeUniqueTemporaryDirectory(scratch.path(), String(prefix));
            EXPECT_EQ(candidate.parentPath().string(), scratch.path().string());
            std::string const name = candidate.filename().string().toUTF8String();
            ASSERT_EQ(name.compare(0, prefix.size(), prefix), 0) << name;
            std::string const number = name.substr(prefix.size());
            ASSERT_TRUE(std::regex_match(number, digits)) << name;
            EXPECT_LE(std::stoull(number), 4294967295ull);
            EXPECT_FALSE(existsOnDisk(candidate));
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(scratch.native()));
}

} // namespace
} // namespace koril::filesystem
