#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/Operations.h>

#include "disk/ChildProcess.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace koril::filesystem {
namespace {

using koril::testing::existsOnDisk;
using koril::testing::readFile;
using koril::testing::ScratchDirectory;
using koril::testing::writeFile;

// Restores the process-wide callback whatever a test leaves behind.
class CallbackGuard {
public:
    ~CallbackGuard() { FileLock::setValidationCallback(nullptr); }
};

// Wine 8 locks ranges against other locks only; reads and writes pass. Real Windows blocks them.
bool lockBlocksOtherHandles() {
    return testing::onWindows() && !testing::runningUnderWine();
}

TEST(FileLockTest, HoldsLockUntilUnlockedOrDestroyed) {
    ScratchDirectory scratch;
    Path const file = scratch / "data.txt";
    writeFile(file, "contents");
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(file));
    EXPECT_TRUE(FileLock::isFileLocked(file));
    lock.unlockFile();
    EXPECT_FALSE(FileLock::isFileLocked(file));
    lock.unlockFile();
    EXPECT_FALSE(FileLock::isFileLocked(file));
    EXPECT_EQ(readFile(file), "contents");
    {
        FileLock scoped(file);
        EXPECT_TRUE(FileLock::isFileLocked(file));
    }
    EXPECT_FALSE(FileLock::isFileLocked(file));
}

TEST(FileLockTest, MissingFileIsNeitherLockedNorCreated) {
    ScratchDirectory scratch;
    Path const missing = scratch / "missing.txt";
    FileLock lock;
    EXPECT_FALSE(lock.lockFile(missing));
    EXPECT_FALSE(existsOnDisk(missing));
    EXPECT_FALSE(FileLock::isFileLocked(missing));
}

TEST(FileLockTest, DirectoryIsRefusedAndTheOldLockKept) {
    ScratchDirectory scratch;
    Path const file = scratch / "data.txt";
    Path const directory = scratch / "sub";
    writeFile(file, "x");
    koril::testing::makeDirectories(directory);
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(file));
    EXPECT_FALSE(lock.lockFile(directory));
    EXPECT_TRUE(FileLock::isFileLocked(file));
    EXPECT_FALSE(FileLock::isFileLocked(directory));
}

TEST(FileLockTest, FailedSecondLockLeavesNoLock) {
    ScratchDirectory scratch;
    Path const first = scratch / "first.txt";
    writeFile(first, "1");
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(first));
    EXPECT_FALSE(lock.lockFile(scratch / "missing.txt"));
    EXPECT_FALSE(FileLock::isFileLocked(first));
}

TEST(FileLockTest, ConflictingLockFailsButKeepsTheFileOpenUntilUnlocked) {
    ScratchDirectory scratch;
    Path const first = scratch / "first.txt";
    Path const second = scratch / "second.txt";
    writeFile(first, "1");
    writeFile(second, "2");
    FileLock holder;
    ASSERT_TRUE(holder.lockFile(second));
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(first));
    EXPECT_FALSE(lock.lockFile(second));
    EXPECT_FALSE(FileLock::isFileLocked(first));
    // The refused lock's handle stays open, so on Windows the file stays in use after the holder
    // lets go. POSIX sees only marked descriptors, and a refused lock holds no mark.
    holder.unlockFile();
    EXPECT_EQ(FileLock::isFileLocked(second), testing::onWindows());
    lock.unlockFile();
    EXPECT_FALSE(FileLock::isFileLocked(second));
    // And the lock can then be taken.
    EXPECT_TRUE(lock.lockFile(second));
}

TEST(FileLockTest, MoveLeavesOneOwner) {
    ScratchDirectory scratch;
    Path const first = scratch / "first.txt";
    Path const second = scratch / "second.txt";
    writeFile(first, "1");
    writeFile(second, "2");
    FileLock source(first);
    FileLock moved(std::move(source));
    source.unlockFile();
    EXPECT_TRUE(FileLock::isFileLocked(first));

    FileLock target(second);
    target = std::move(moved);
    EXPECT_FALSE(FileLock::isFileLocked(second));
    EXPECT_TRUE(FileLock::isFileLocked(first));
    moved.unlockFile();
    EXPECT_TRUE(FileLock::isFileLocked(first));
    target.unlockFile();
    EXPECT_FALSE(FileLock::isFileLocked(first));
}

TEST(FileLockTest, FileOpenThroughAnotherHandleCountsAsLocked) {
    ScratchDirectory scratch;
    Path const file = scratch / "data.txt";
    writeFile(file, "x");
    for (char const* mode : {"rb", "ab"}) {
        SCOPED_TRACE(mode);
        std::FILE* stream = fopenWrapper(file, mode);
        ASSERT_NE(stream, nullptr);
        EXPECT_TRUE(FileLock::isFileLocked(file));
        std::fclose(stream);
        EXPECT_FALSE(FileLock::isFileLocked(file));
    }
}

TEST(FileLockTest, ValidationCallbackVetoesBeforeAnythingIsOpened) {
    ScratchDirectory scratch;
    Path const first = scratch / "first.txt";
    Path const second = scratch / "second.txt";
    writeFile(first, "1");
    writeFile(second, "2");
    CallbackGuard guard;
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(first));

    std::vector<Path> asked;
    FileLock::setValidationCallback([&asked](Path const& path) {
        asked.push_back(path);
        return false;
    });
    EXPECT_FALSE(lock.lockFile(second));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].string(), second.string());
    // The old lock went first, and the vetoed file was never opened.
    EXPECT_FALSE(FileLock::isFileLocked(first));
    EXPECT_FALSE(FileLock::isFileLocked(second));

    // A directory is refused before the callback is asked.
    EXPECT_FALSE(lock.lockFile(scratch.path()));
    EXPECT_EQ(asked.size(), 1u);

    FileLock::setValidationCallback(nullptr);
    EXPECT_TRUE(lock.lockFile(second));
    EXPECT_EQ(asked.size(), 1u);
}

TEST(FileLockTest, ValidationCallbackExceptionPassesAfterTheOldLockIsReleased) {
    ScratchDirectory scratch;
    Path const first = scratch / "first.txt";
    Path const second = scratch / "second.txt";
    writeFile(first, "1");
    writeFile(second, "2");
    CallbackGuard guard;
    FileLock lock(first);
    FileLock::setValidationCallback([](Path const&) -> bool { throw std::runtime_error("no"); });
    EXPECT_THROW(lock.lockFile(second), std::runtime_error);
    EXPECT_FALSE(FileLock::isFileLocked(first));
    EXPECT_FALSE(FileLock::isFileLocked(second));
}

TEST(FileLockTest, LockCoversTheWholeFileAndBytesBeyondItsEnd) {
    if (!lockBlocksOtherHandles())
        GTEST_SKIP() << "byte-range locks here do not stop reads and writes through other "
                        "handles (advisory on POSIX, lock-only on Wine)";
    ScratchDirectory scratch;
    Path const file = scratch / "data.txt";
    writeFile(file, "abc");
    FileLock lock(file);
    std::FILE* stream = fopenWrapper(file, "r+b");
    ASSERT_NE(stream, nullptr);
    char buffer[3] = {};
    EXPECT_EQ(std::fread(buffer, 1, sizeof(buffer), stream), 0u);
    std::clearerr(stream);
    ASSERT_EQ(std::fseek(stream, 100, SEEK_SET), 0);
    std::fputc('z', stream);
    EXPECT_NE(std::fflush(stream), 0);
    std::fclose(stream);
    lock.unlockFile();
    EXPECT_EQ(readFile(file), "abc");
}

// The child's half of the cross-process test: locks the file named in the environment, reports,
// and holds the lock until the parent asks it to let go.
constexpr char const* childFileVariable = "KORIL_LOCK_CHILD_FILE";
constexpr char const* childTestName = "FileLockChildRole.HoldsLockUntilReleased";
constexpr auto handshakeTimeout = std::chrono::seconds(120);

std::filesystem::path readySignal(Path const& file) {
    return koril::testing::toStd(file).concat(".ready");
}

std::filesystem::path releaseSignal(Path const& file) {
    return koril::testing::toStd(file).concat(".release");
}

bool waitFor(std::filesystem::path const& signal) {
    auto const deadline = std::chrono::steady_clock::now() + handshakeTimeout;
    std::error_code error;
    while (!std::filesystem::exists(signal, error)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(FileLockChildRole, HoldsLockUntilReleased) {
    std::string const name = koril::testing::environmentVariable(childFileVariable);
    if (name.empty())
        GTEST_SKIP() << "acts only as the child process of the cross-process lock test";
    Path const file(name);
    FileLock lock;
    bool const locked = lock.lockFile(file);
    EXPECT_TRUE(locked);
    // Written aside and renamed, so that the parent never reads half a signal.
    std::filesystem::path const ready = readySignal(file);
    std::filesystem::path partial = ready;
    partial += ".part";
    std::ofstream(partial) << (locked ? "locked" : "failed");
    std::filesystem::rename(partial, ready);
    EXPECT_TRUE(waitFor(releaseSignal(file)));
}

TEST(FileLockTest, LockHeldByAnotherProcess) {
    ScratchDirectory scratch;
    Path const file = scratch / "shared.txt";
    writeFile(file, "contents");
    koril::testing::ChildProcess child(
        koril::testing::currentExecutable(),
        {std::string("--gtest_filter=") + childTestName, "--gtest_brief=1"}, childFileVariable,
        file.string().toUTF8String());
    ASSERT_TRUE(child.started());
    bool const ready = waitFor(readySignal(file));
    std::string answer;
    if (ready)
        std::getline(std::ifstream(readySignal(file)), answer);

    bool lockedElsewhere = false;
    bool lockTaken = true;
    bool opened = true;
    if (answer == "locked") {
        lockedElsewhere = FileLock::isFileLocked(file);
        FileLock lock;
        lockTaken = lock.lockFile(file);
        std::FILE* stream = fopenWrapperWithLockCheck(file, "w");
        opened = stream != nullptr;
        if (stream != nullptr)
            std::fclose(stream);
    }
    std::ofstream(releaseSignal(file)) << "go";
    EXPECT_EQ(child.wait(), 0);
    ASSERT_TRUE(ready) << "the child never reported";
    ASSERT_EQ(answer, "locked");
    EXPECT_TRUE(lockedElsewhere);
    EXPECT_FALSE(lockTaken);
    EXPECT_FALSE(opened);
    EXPECT_EQ(readFile(file), "contents");

    EXPECT_FALSE(FileLock::isFileLocked(file));
    {
        FileLock lock;
        EXPECT_TRUE(lock.lockFile(file));
    }
    std::FILE* stream = fopenWrapperWithLockCheck(file, "ab");
    ASSERT_NE(stream, nullptr);
    std::fclose(stream);
}

} // namespace
} // namespace koril::filesystem
