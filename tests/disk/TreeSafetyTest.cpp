// Tree operations stay inside the tree they were given: whatever names the disk holds (a POSIX
// name may hold `\`, which the library reads as a separator) and whatever another process does
// meanwhile (a directory replaced by a link while it is walked). And the answers of tree
// comparison and name correction do not depend on the order a directory lists its entries in.

#include "support/Scratch.h"

#include <koril/filesystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <stdio.h>
#endif

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using koril::testing::ScratchDirectory;

void writeRaw(fs::path const& path, std::string const& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

std::string readRaw(fs::path const& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
        if (testing::onWindows())
            GTEST_SKIP() << "Windows names cannot hold a backslash";
    }
    ScratchDirectory scratch;
    fs::path root() const { return scratch.native(); }
};

TEST_F(BackslashNames, RemoveAllRemovesTheEntriesAndNothingBesideTheTree) {
    fs::create_directories(root() / "d");
    writeRaw(root() / "d" / "..\\victim.txt", "inside");
    fs::create_directories(root() / "d" / "..\\outside2");
    writeRaw(root() / "d" / "..\\outside2" / "inner.txt", "inside");
    writeRaw(root() / "victim.txt", "victim");
    fs::create_directories(root() / "outside2");
    writeRaw(root() / "outside2" / "keep.txt", "keep");

    EXPECT_TRUE(removeAll(scratch / "d"));
    EXPECT_FALSE(fs::exists(root() / "d"));
    EXPECT_EQ(readRaw(root() / "victim.txt"), "victim");
    EXPECT_EQ(readRaw(root() / "outside2" / "keep.txt"), "keep");
}

TEST_F(BackslashNames, CopyDirectoryCopiesTheEntryItselfAndNotItsNamesake) {
    fs::create_directories(root() / "src");
    writeRaw(root() / "src" / "..\\secret.txt", "inside");
    writeRaw(root() / "secret.txt", "secret");

    ASSERT_TRUE(copyDirectory(scratch / "src", scratch / "dst", true));
    std::vector<std::pair<std::string, std::string>> const expected = {
        {"..\\secret.txt", "inside"}};
    EXPECT_EQ(filesBelow(root() / "dst"), expected);
    EXPECT_TRUE(compareDirectories(scratch / "src", scratch / "dst"));
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

TEST_F(BackslashNames, PatternRemovalActsOnTheListedEntry) {
    fs::create_directories(root() / "dir");
    writeRaw(root() / "dir" / "..\\note.tmp", "inside");
    writeRaw(root() / "note.tmp", "outside");
    fs::create_directories(root() / "dir" / "..\\tree.tmp");
    writeRaw(root() / "dir" / "..\\tree.tmp" / "x", "inside");
    fs::create_directories(root() / "tree.tmp");
    writeRaw(root() / "tree.tmp" / "x", "outside");

    EXPECT_TRUE(removeMatching(scratch / "dir", "*note.tmp"));
    EXPECT_TRUE(removeAllMatching(scratch / "dir", "*tree.tmp"));
    EXPECT_TRUE(fs::is_empty(root() / "dir"));
    EXPECT_EQ(readRaw(root() / "note.tmp"), "outside");
    EXPECT_EQ(readRaw(root() / "tree.tmp" / "x"), "outside");
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

// Names that differ only in case are two entries on POSIX file systems.
TEST(CaseTwins, CompareDirectoriesPairsExactNamesFirstInWhateverOrderTheyAreListed) {
    if (testing::onWindows())
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
    writeRaw(place / "b" / "x.txt", "LOWER");
    EXPECT_FALSE(compareDirectories(base / "a", base / "b"));
    fs::remove_all(place);
}

TEST(CaseTwins, NameCorrectionPrefersTheExactSpelling) {
    if (testing::onWindows())
        GTEST_SKIP() << "Windows names ignore case";
    ScratchDirectory scratch;
    fs::path const place = creationOrderedPlace(scratch);
    fs::create_directories(place / "dir");
    writeRaw(place / "dir" / "file.txt", "lower");
    writeRaw(place / "dir" / "File.txt", "upper");
    Path const base(place.u8string());
    EXPECT_EQ(findSimilarName(base / "dir/file.txt", true).string(),
              (base / "dir/file.txt").string());
    EXPECT_EQ(findSimilarName(base / "dir/File.txt", true).string(),
              (base / "dir/File.txt").string());
    fs::remove_all(place);
}

#ifndef _WIN32

// Another process replaces a subdirectory by a link to a directory outside the tree, over and
// over, while the tree is removed or copied. Whatever the timing, nothing outside is removed, and
// nothing of the outside directory is copied.
class LinkRace : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::platformCreatesSymbolicLinks())
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

    void expectOutsideIntact() const {
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(readRaw(root() / "outside" / ("precious" + std::to_string(i))), "precious");
        EXPECT_EQ(readRaw(root() / "outside" / "deep" / "precious"), "precious");
    }

    static constexpr int kDirectories = 12;
    ScratchDirectory scratch;
};

std::size_t openDescriptors() {
    std::size_t count = 0;
    for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it)
        ++count;
    return count;
}

template <class Operation> void raceFor(std::chrono::milliseconds budget, Operation operation) {
    auto const end = std::chrono::steady_clock::now() + budget;
    while (std::chrono::steady_clock::now() < end)
        operation();
}

TEST_F(LinkRace, RemoveAllNeverRemovesThroughASwappedInLink) {
    raceFor(std::chrono::milliseconds(1500), [this] {
        makeTree();
        std::size_t const descriptors = openDescriptors();
        std::atomic<bool> stop{false};
        std::thread attacker([this, &stop] { attack(stop); });
        removeAll(Path((root() / "tree").u8string()));
        stop = true;
        attacker.join();
        EXPECT_EQ(openDescriptors(), descriptors);
        expectOutsideIntact();
        fs::remove_all(root() / "tree");
    });
}

TEST_F(LinkRace, CopyDirectoryNeverCopiesThroughASwappedInLink) {
    makeTree();
    raceFor(std::chrono::milliseconds(1500), [this] {
        std::size_t const descriptors = openDescriptors();
        std::atomic<bool> stop{false};
        std::thread attacker([this, &stop] { attack(stop); });
        copyDirectory(Path((root() / "tree").u8string()), Path((root() / "copy").u8string()), true);
        stop = true;
        attacker.join();
        EXPECT_EQ(openDescriptors(), descriptors);
        // A link to a directory is not copied, and a directory that became a link after it was
        // listed is not followed: nothing of the outside directory can be in the copy.
        for (auto const& [name, contents] : filesBelow(root() / "copy"))
            EXPECT_NE(contents, "precious") << name;
        expectOutsideIntact();
        fs::remove_all(root() / "copy");
    });
}

#endif

} // namespace
} // namespace koril::filesystem
