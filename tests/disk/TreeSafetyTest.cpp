// Tree operations stay inside the tree they were given: whatever names the disk holds (a POSIX
// name may hold `\`, which the library reads as a separator) and whatever another process does
// meanwhile (a directory replaced by a link while it is walked). And the answers of tree
// comparison and name correction do not depend on the order a directory lists its entries in.

#include "disk/DiskTest.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <stdio.h>
#endif

namespace koril::filesystem::disktest {
namespace {

// The library path of a scratch entry whose POSIX names hold `\`: the library spells that byte
// U+F05C, so that it is no separator.
Path libraryPath(ScratchDirectory const& scratch, std::string const& relative) {
    String text(relative);
    for (unsigned int& c : text)
        if (c == '\\')
            c = 0xF05C;
    return scratch.path() / Path(std::move(text));
}

// Every file below `root` with its contents, keyed by the path relative to `root`.
std::vector<std::pair<std::string, std::string>> filesBelow(fs::path const& root) {
    std::vector<std::pair<std::string, std::string>> files;
    for (auto const& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.emplace_back(fs::relative(entry.path(), root).string(), readRaw(entry.path()));
    std::sort(files.begin(), files.end());
    return files;
}

class BackslashNames : public ::testing::Test {
protected:
    void SetUp() override {
        if (onWindows())
            GTEST_SKIP() << "Windows names cannot hold a backslash";
    }
    ScratchDirectory scratch;
    fs::path root() const { return scratch.native(); }
};

// Read as separators, the names inside `d` would lead to the entries beside it. Copying, pattern
// removal and tree removal must act on the entries themselves.
TEST_F(BackslashNames, TreeCallsActOnTheEntriesAndNothingBesideTheTree) {
    fs::create_directories(root() / "d" / "..\\outside2");
    fs::create_directories(root() / "d" / "..\\tree.tmp");
    fs::create_directories(root() / "outside2");
    fs::create_directories(root() / "tree.tmp");
    for (char const* name :
         {"..\\victim.txt", "..\\outside2/inner.txt", "..\\note.tmp", "..\\tree.tmp/x"})
        writeRaw(root() / "d" / name, "inside");
    for (char const* name : {"victim.txt", "outside2/inner.txt", "note.tmp", "tree.tmp/x"})
        writeRaw(root() / name, "outside");
    auto const outside = [this] {
        for (char const* name : {"victim.txt", "outside2/inner.txt", "note.tmp", "tree.tmp/x"})
            EXPECT_EQ(readRaw(root() / name), "outside") << name;
    };

    ASSERT_TRUE(copyDirectory(scratch / "d", scratch / "dst", true));
    std::vector<std::pair<std::string, std::string>> const expected = {
        {"..\\note.tmp", "inside"},
        {"..\\outside2/inner.txt", "inside"},
        {"..\\tree.tmp/x", "inside"},
        {"..\\victim.txt", "inside"}};
    EXPECT_EQ(filesBelow(root() / "dst"), expected);
    EXPECT_TRUE(compareDirectories(scratch / "d", scratch / "dst"));

    EXPECT_TRUE(removeMatching(scratch / "d", "*note.tmp"));
    EXPECT_TRUE(removeAllMatching(scratch / "d", "*tree.tmp"));
    EXPECT_FALSE(fs::exists(root() / "d" / "..\\note.tmp"));
    EXPECT_FALSE(fs::exists(root() / "d" / "..\\tree.tmp"));
    outside();
    EXPECT_TRUE(removeAll(scratch / "dst"));
    EXPECT_FALSE(fs::exists(root() / "dst"));
    outside();
}

TEST_F(BackslashNames, TheSweepRemovesTheStaleEntryItselfAndNothingOutsideItsBase) {
    fs::create_directories(root() / "base");
    fs::create_directories(root() / "outside" / "jobdata");
    writeRaw(root() / "outside" / "jobdata" / "result.txt", "result");
    fs::create_directories(root() / "victim");
    writeRaw(root() / "victim" / "precious.txt", "precious");
    // Old entries whose names end in, or lead to, something outside the base.
    fs::create_directories(root() / "base" / "..\\outside\\jobdata");
    fs::create_directories(root() / "base" / "job\\..\\..\\victim");
    writeRaw(root() / "base" / "job\\..\\..\\victim" / "stale.txt", "stale");
    TimePoint const old(Ticks(15790896000000000));
    ASSERT_TRUE(setModificationTime(libraryPath(scratch, "base/..\\outside\\jobdata"), old));
    ASSERT_TRUE(setModificationTime(libraryPath(scratch, "base/job\\..\\..\\victim"), old));

    {
        TemporaryDirectory base(scratch / "base");
        { TemporaryDirectory job(String("job"), Ticks(36000000000LL)); }
        EXPECT_FALSE(fs::exists(root() / "base" / "job\\..\\..\\victim"));
        EXPECT_TRUE(fs::exists(root() / "base" / "..\\outside\\jobdata"));
    }
    // The base goes with its guard, names and all; what lies beside it stays.
    EXPECT_FALSE(fs::exists(root() / "base"));
    EXPECT_EQ(readRaw(root() / "outside" / "jobdata" / "result.txt"), "result");
    EXPECT_EQ(readRaw(root() / "victim" / "precious.txt"), "precious");
}

// A directory where entries list in the order they were made, where the file system offers one
// (tmpfs lists the newest first); elsewhere the scratch directory.
fs::path creationOrderedPlace(ScratchDirectory const& scratch) {
#ifndef _WIN32
    std::error_code error;
    fs::path const shared = fs::path("/dev/shm") / scratch.native().filename();
    if (fs::create_directory(shared, error))
        return shared;
#endif
    return scratch.native() / "ordered";
}

// Names that differ only in case are two entries on POSIX file systems; tree comparison pairs
// exact names first and name correction prefers the exact spelling, in whatever order they list.
TEST(CaseTwins, ExactNamesWinInWhateverOrderTheyAreListed) {
    if (onWindows())
        GTEST_SKIP() << "Windows names ignore case";
    ScratchDirectory scratch;
    fs::path const place = creationOrderedPlace(scratch);
    fs::create_directories(place / "a");
    fs::create_directories(place / "b");
    writeRaw(place / "a" / "x.txt", "lower");
    writeRaw(place / "a" / "X.TXT", "upper");
    writeRaw(place / "b" / "X.TXT", "upper");
    writeRaw(place / "b" / "x.txt", "lower");
    Path const base(place.u8string());
    EXPECT_TRUE(compareDirectories(base / "a", base / "b"));
    for (char const* name : {"a/x.txt", "a/X.TXT", "b/x.txt", "b/X.TXT"})
        EXPECT_EQ(text(findSimilarName(base / name, true)), text(base / name));
    writeRaw(place / "b" / "x.txt", "LOWER");
    EXPECT_FALSE(compareDirectories(base / "a", base / "b"));
    fs::remove_all(place);
}

#ifndef _WIN32

std::size_t openDescriptors() {
    std::size_t count = 0;
    for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it)
        ++count;
    return count;
}

// Another process replaces a subdirectory by a link to a directory outside the tree, over and
// over, while the tree is removed or copied. Whatever the timing, nothing outside is removed, and
// nothing of the outside directory is copied.
class LinkRace : public ::testing::Test {
protected:
    void SetUp() override {
        if (!platformCreatesSymbolicLinks())
            GTEST_SKIP() << "this platform does not create symbolic links";
        fs::create_directories(root() / "outside" / "deep");
        for (int i = 0; i < 8; ++i)
            writeRaw(root() / "outside" / ("precious" + std::to_string(i)), "precious");
        writeRaw(root() / "outside" / "deep" / "precious", "precious");
    }

    fs::path root() const { return scratch.native(); }

    void makeTree() {
        for (int i = 0; i < kDirectories; ++i) {
            fs::path const directory = root() / "tree" / ("d" + std::to_string(i));
            fs::create_directories(directory / "inner");
            for (int k = 0; k < 4; ++k)
                writeRaw(directory / ("f" + std::to_string(k)), "tree");
            writeRaw(directory / "inner" / "g", "tree");
            std::error_code ignored;
            fs::create_directory_symlink(root() / "outside",
                                         root() / "tree" / ("l" + std::to_string(i)), ignored);
        }
    }

    // Swaps each dI with its link lI, atomically, until told to stop.
    void attack(std::atomic<bool> const& stop) const {
        while (!stop.load()) {
            for (int i = 0; i < kDirectories && !stop.load(); ++i) {
                std::string const directory =
                    (root() / "tree" / ("d" + std::to_string(i))).string();
                std::string const link = (root() / "tree" / ("l" + std::to_string(i))).string();
                ::renameat2(AT_FDCWD, directory.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE);
            }
        }
    }

    // Runs `operation` against the attacker over and over for 1.5 s, each time from a whole tree:
    // no descriptor may leak and nothing outside may change. `made` is removed after each run.
    template <class Operation> void race(Operation operation, char const* made) {
        auto const end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        while (std::chrono::steady_clock::now() < end) {
            if (!fs::exists(root() / "tree"))
                makeTree();
            std::size_t const descriptors = openDescriptors();
            std::atomic<bool> stop{false};
            std::thread attacker([this, &stop] { attack(stop); });
            operation();
            stop = true;
            attacker.join();
            EXPECT_EQ(openDescriptors(), descriptors);
            for (int i = 0; i < 8; ++i)
                EXPECT_EQ(readRaw(root() / "outside" / ("precious" + std::to_string(i))),
                          "precious");
            EXPECT_EQ(readRaw(root() / "outside" / "deep" / "precious"), "precious");
            fs::remove_all(root() / made);
        }
    }

    static constexpr int kDirectories = 12;
    ScratchDirectory scratch;
};

TEST_F(LinkRace, RemoveAllNeverRemovesThroughASwappedInLink) {
    race([this] { removeAll(Path((root() / "tree").u8string())); }, "tree");
}

// A link to a directory is not copied, and a directory that became a link after it was listed is
// not followed: nothing of the outside directory can be in the copy.
TEST_F(LinkRace, CopyDirectoryNeverCopiesThroughASwappedInLink) {
    race(
        [this] {
            copyDirectory(Path((root() / "tree").u8string()), Path((root() / "copy").u8string()),
                          true);
            for (auto const& [name, contents] : filesBelow(root() / "copy"))
                EXPECT_NE(contents, "precious") << name;
        },
        "copy");
}

#endif

} // namespace
} // namespace koril::filesystem::disktest
