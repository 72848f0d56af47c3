// What the POSIX backend asks of the kernel: how many calls each query costs, and how a copy
// answers each way a call can fail (retried, worked around, or failed cleanly).

#ifndef _WIN32

#include "fault/FaultInjector.h"
#include "support/Scratch.h"

#include <koril/filesystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using koril::testing::FaultInjector;
using koril::testing::readFile;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
using koril::testing::writeFile;
using Trace = std::vector<std::string>;

// The system calls that `operation` makes.
Trace traceOf(std::function<void()> const& operation) {
    FaultInjector injector;
    injector.count();
    operation();
    injector.stop();
    return injector.trace();
}

// The 1-based position of the first call of `entry` in a trace, or 0.
std::size_t firstCall(Trace const& trace, std::string const& entry) {
    auto const found = std::find(trace.begin(), trace.end(), entry);
    return found == trace.end() ? 0 : static_cast<std::size_t>(found - trace.begin()) + 1;
}

// Each query costs what its answer needs: one stat where the path itself answers.
TEST(PosixSystemCallsTest, QueriesMakeAsFewCallsAsTheirAnswerAllows) {
    ScratchDirectory scratch;
    Path const file = scratch / "file.txt";
    Path const link = scratch / "link.exe";
    Path const missing = scratch / "missing/deeper.txt";
    writeFile(file, "x");
    fs::create_symlink(toStd(file), toStd(link));
    Trace const stat{"fstatat"};
    Trace const resolve{"openat", "readlinkat", "close"};

    struct Case {
        char const* name;
        std::function<void()> operation;
        Trace expected;
    };
    std::vector<Case> const cases = {
        {"exists of a missing path", [&] { exists(missing); }, stat},
        {"exists", [&] { exists(file); }, stat},
        {"isDirectory", [&] { isDirectory(link); }, stat},
        {"fileSize", [&] { fileSize(link); }, stat},
        {"status of a file", [&] { status(file); }, stat},
        {"status of a missing path", [&] { status(missing); }, stat},
        {"status of a link",
         [&] { status(link); },
         {"fstatat", "openat", "fstat", "readlinkat", "close"}},
        {"symbolicLinkStatus", [&] { symbolicLinkStatus(link); }, stat},
        {"getModificationTime", [&] { getModificationTime(file); }, stat},
        {"setModificationTime",
         [&] { setModificationTime(file, TimePoint{Ticks(10000000)}); },
         {"utimensat"}},
        {"canonical", [&] { canonical(link); }, resolve},
        {"compareFiles of different sizes",
         [&] { compareFiles(file, scratch / "other"); },
         {"fstatat", "fstatat"}},
    };
    writeFile(scratch / "other", "longer");
    for (Case const& c : cases)
        EXPECT_EQ(traceOf(c.operation), c.expected) << c.name;
}

// The probe opens one descriptor of its own: a process with thousands open pays the same.
TEST(PosixSystemCallsTest, IsFileLockedCostsTheSameWithManyDescriptorsOpen) {
    ScratchDirectory scratch;
    Path const file = scratch / "file.txt";
    writeFile(file, "x");
    Trace const few = traceOf([&] { FileLock::isFileLocked(file); });
    EXPECT_EQ(few, (Trace{"openat", "fstat", "flock", "close"}));

    std::vector<int> descriptors;
    for (int i = 0; i < 4000; ++i) {
        int const fd = ::open(toStd(file).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            break;
        descriptors.push_back(fd);
    }
    Trace const many = traceOf([&] { FileLock::isFileLocked(file); });
    for (int const fd : descriptors)
        ::close(fd);
    ASSERT_GE(descriptors.size(), 1000u) << "the descriptor limit is too low for this test";
    EXPECT_EQ(many, few);
}

std::string const contents = [] {
    std::string text;
    for (int i = 0; text.size() < std::size_t{200} * 1024; ++i)
        text += "line " + std::to_string(i) + "\n";
    return text;
}();

struct CopyOutcome {
    bool result;
    Trace calls;
};

// Copies a fresh source with the first call of `entry` failing as asked.
CopyOutcome copyWithFailure(ScratchDirectory const& scratch, std::string const& entry, int error,
                            FaultInjector::Kind kind = FaultInjector::Kind::error) {
    Path const source = scratch / "source.txt";
    Path const copy = scratch / "copy.txt";
    writeFile(source, contents);
    std::error_code ignored;
    fs::remove(toStd(copy), ignored);
    Trace const calls = traceOf([&] { copyFile(source, copy, true); });
    fs::remove(toStd(copy), ignored);
    std::size_t const call = firstCall(calls, entry);
    if (call == 0)
        return {false, {}};
    FaultInjector injector;
    injector.failCall(call, error, kind);
    bool const result = copyFile(source, copy, true);
    injector.stop();
    return {result, injector.trace()};
}

std::set<std::string> namesIn(ScratchDirectory const& scratch) {
    std::set<std::string> names;
    for (auto const& entry : fs::directory_iterator(scratch.native()))
        names.insert(entry.path().filename().string());
    return names;
}

// A call that a signal interrupted is made again, and a short transfer is carried on: the copy
// completes as if nothing had happened.
TEST(PosixSystemCallsTest, InterruptedAndShortTransfersStillCopyEverything) {
    ScratchDirectory scratch;
    for (char const* entry : {"openat", "copy_file_range"}) {
        CopyOutcome const outcome = copyWithFailure(scratch, entry, EINTR);
        EXPECT_TRUE(outcome.result) << entry;
        EXPECT_EQ(readFile(scratch / "copy.txt"), contents) << entry;
    }
    CopyOutcome const outcome =
        copyWithFailure(scratch, "copy_file_range", 0, FaultInjector::Kind::shortTransfer);
    EXPECT_TRUE(outcome.result);
    EXPECT_EQ(readFile(scratch / "copy.txt"), contents);
}

// Where the kernel cannot copy between these files it says so, and the bytes are read and
// written instead; any other error of the kernel's copy fails the copy and leaves nothing.
TEST(PosixSystemCallsTest, KernelCopyFallsBackOnlyWhereItIsNotSupported) {
    ScratchDirectory scratch;
    for (int const error : {EXDEV, EINVAL, ENOSYS, EOPNOTSUPP}) {
        CopyOutcome const outcome = copyWithFailure(scratch, "copy_file_range", error);
        EXPECT_TRUE(outcome.result) << error;
        EXPECT_NE(firstCall(outcome.calls, "write"), 0u) << error;
        EXPECT_EQ(readFile(scratch / "copy.txt"), contents) << error;
    }
    for (int const error : {EIO, ENOSPC, EFBIG, EDQUOT}) {
        CopyOutcome const outcome = copyWithFailure(scratch, "copy_file_range", error);
        EXPECT_FALSE(outcome.result) << error;
        EXPECT_EQ(firstCall(outcome.calls, "write"), 0u) << error;
        EXPECT_EQ(namesIn(scratch), (std::set<std::string>{"source.txt"})) << error;
    }
}

// A delayed write error shows when the copy is closed: the copy fails and nothing stays.
TEST(PosixSystemCallsTest, AFailedCloseOfTheCopyFailsIt) {
    ScratchDirectory scratch;
    writeFile(scratch / "source.txt", contents);
    Trace const calls =
        traceOf([&] { copyFile(scratch / "source.txt", scratch / "copy.txt", true); });
    fs::remove(toStd(scratch / "copy.txt"));
    // The copy's descriptor is the first one closed.
    std::size_t const call = firstCall(calls, "close");
    ASSERT_NE(call, 0u);
    FaultInjector injector;
    injector.failCall(call, EIO);
    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "copy.txt", true));
    injector.stop();
    EXPECT_EQ(namesIn(scratch), (std::set<std::string>{"source.txt"}));
}

} // namespace
} // namespace koril::filesystem

#endif
