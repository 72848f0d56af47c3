// File locks within the process and against another process.

#include "disk/ChildProcess.h"
#include "disk/DiskTest.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#ifndef _WIN32
#include <grp.h>
#include <unistd.h>
#endif

namespace koril::filesystem::disktest {
namespace {

class FileLockTest : public ::testing::Test {
protected:
    FileLockTest() {
        writeFile(first, "1");
        writeFile(second, "2");
    }
    // Restores the process-wide callback whatever a test leaves behind.
    ~FileLockTest() override { FileLock::setValidationCallback(nullptr); }

    ScratchDirectory scratch;
    Path const first = scratch / "first.txt";
    Path const second = scratch / "second.txt";
};

TEST_F(FileLockTest, HoldsLockUntilUnlockedOrDestroyedWithOneOwnerAfterAMove) {
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(first));
    EXPECT_TRUE(FileLock::isFileLocked(first));
    lock.unlockFile();
    EXPECT_FALSE(FileLock::isFileLocked(first));
    lock.unlockFile();
    EXPECT_FALSE(FileLock::isFileLocked(first));
    EXPECT_EQ(readFile(first), "1");
    {
        FileLock scoped(first);
        EXPECT_TRUE(FileLock::isFileLocked(first));
    }
    EXPECT_FALSE(FileLock::isFileLocked(first));

    // A move leaves one owner.
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

// A directory is refused before anything changes; a file that cannot be opened is refused after
// the old lock went; neither is created nor counts as locked.
TEST_F(FileLockTest, RefusedTargetsAndWhatHappensToTheOldLock) {
    Path const missing = scratch / "missing.txt";
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(first));
    EXPECT_FALSE(lock.lockFile(scratch.path()));
    EXPECT_TRUE(FileLock::isFileLocked(first));
    EXPECT_FALSE(FileLock::isFileLocked(scratch.path()));
    EXPECT_FALSE(lock.lockFile(missing));
    EXPECT_FALSE(FileLock::isFileLocked(first));
    EXPECT_FALSE(existsOnDisk(missing));
    EXPECT_FALSE(FileLock::isFileLocked(missing));

    // A conflicting lock fails, but its handle stays open until unlocked: on Windows the file
    // stays in use after the holder lets go. POSIX sees only marked descriptors, and a refused
    // lock holds no mark.
    FileLock holder(second);
    ASSERT_TRUE(lock.lockFile(first));
    EXPECT_FALSE(lock.lockFile(second));
    EXPECT_FALSE(FileLock::isFileLocked(first));
    holder.unlockFile();
    EXPECT_EQ(FileLock::isFileLocked(second), onWindows());
    lock.unlockFile();
    EXPECT_FALSE(FileLock::isFileLocked(second));
    EXPECT_TRUE(lock.lockFile(second));
}

TEST_F(FileLockTest, FileOpenThroughAnotherHandleCountsAsLocked) {
    for (char const* mode : {"rb", "ab"}) {
        SCOPED_TRACE(mode);
        std::FILE* stream = fopenWrapper(first, mode);
        ASSERT_NE(stream, nullptr);
        EXPECT_TRUE(FileLock::isFileLocked(first));
        std::fclose(stream);
        EXPECT_FALSE(FileLock::isFileLocked(first));
    }
}

TEST_F(FileLockTest, ValidationCallbackVetoesBeforeAnythingIsOpened) {
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(first));
    std::vector<Path> asked;
    FileLock::setValidationCallback([&asked](Path const& path) {
        asked.push_back(path);
        return false;
    });
    EXPECT_FALSE(lock.lockFile(second));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(text(asked[0]), text(second));
    // The old lock went first, and the vetoed file was never opened.
    EXPECT_FALSE(FileLock::isFileLocked(first));
    EXPECT_FALSE(FileLock::isFileLocked(second));

    // A directory is refused before the callback is asked.
    EXPECT_FALSE(lock.lockFile(scratch.path()));
    EXPECT_EQ(asked.size(), 1u);

    FileLock::setValidationCallback(nullptr);
    EXPECT_TRUE(lock.lockFile(second));
    EXPECT_EQ(asked.size(), 1u);

    // An exception passes through, after the old lock is released.
    FileLock::setValidationCallback([](Path const&) -> bool { throw std::runtime_error("no"); });
    EXPECT_THROW(lock.lockFile(first), std::runtime_error);
    EXPECT_FALSE(FileLock::isFileLocked(first));
    EXPECT_FALSE(FileLock::isFileLocked(second));
}

TEST_F(FileLockTest, LocksExcludeFreshProcesses) {
    EXPECT_EQ(probeInAnotherProcess(first), freeToTake);
    {
        FileLock lock(first);
        EXPECT_EQ(probeInAnotherProcess(first), seenInUse);
    }
    EXPECT_EQ(probeInAnotherProcess(first), freeToTake);
    EXPECT_EQ(readFile(first), "1");
}

} // namespace

// The child's half of the cross-process tests: a fresh process (started with exec, so it shares
// none of the parent's state) probes the file named in the environment and exits with its answer.
TEST(LockProbeChildRole, ProbesTheFile) {
    std::string const request = koril::testing::environmentVariable("KORIL_LOCK_PROBE");
    if (request.empty())
        GTEST_SKIP() << "acts only as the child process of the cross-process lock tests";
    Path const file(request.substr(2));
#ifndef _WIN32
    if (request[0] == 'n' &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
        std::_Exit(3);
#endif
    int answer = 64;
    if (FileLock::isFileLocked(file))
        answer |= 1;
    {
        FileLock lock;
        if (lock.lockFile(file))
            answer |= 2;
    }
    if (std::FILE* const stream = fopenWrapperWithLockCheck(file, "r")) {
        answer |= 4;
        std::fclose(stream);
    }
    std::fflush(nullptr);
    std::_Exit(answer);
}

int probeInAnotherProcess(Path const& file, bool asNobody) {
    return koril::testing::runThisExecutable(
        {"--gtest_filter=LockProbeChildRole.ProbesTheFile", "--gtest_brief=1"}, "KORIL_LOCK_PROBE",
        std::string(asNobody ? "n:" : "r:") + text(file));
}

} // namespace koril::filesystem::disktest
