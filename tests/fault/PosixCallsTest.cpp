// What the POSIX backend asks of the kernel: each query and each entry of a walk costs the calls
// its answer needs and no more, so that whole-tree work runs at the speed of the system calls;
// and a copy answers each way a call can fail (retried, worked around, or failed cleanly).

#ifndef _WIN32

#include "fault/FaultInjector.h"
#include "support/Scratch.h"

#include <koril/filesystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using namespace koril::testing;
using Trace = std::vector<std::string>;

Trace traceOf(std::function<void()> const& operation) {
    FaultInjector injector;
    injector.failCall(0);
    operation();
    injector.stop();
    return injector.trace();
}

// The 1-based position of the first call of `entry` in a trace, or 0.
std::size_t firstCall(Trace const& trace, std::string const& entry) {
    auto const found = std::find(trace.begin(), trace.end(), entry);
    return found == trace.end() ? 0 : static_cast<std::size_t>(found - trace.begin()) + 1;
}

TEST(PosixCalls, QueriesMakeAsFewCallsAsTheirAnswerAllows) {
    ScratchDirectory scratch;
    Path const file = scratch / "file.txt";
    Path const link = scratch / "link.exe";
    Path const missing = scratch / "missing/deeper.txt";
    writeFile(file, "x");
    writeFile(scratch / "other", "longer");
    fs::create_symlink(toStd(file), toStd(link));
    Trace const stat{"fstatat"};
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
        {"canonical", [&] { canonical(link); }, {"openat", "readlinkat", "close"}},
        {"compareFiles of different sizes",
         [&] { compareFiles(file, scratch / "other"); },
         {"fstatat", "fstatat"}},
        // The probe opens one descriptor of its own, however many the process holds.
        {"isFileLocked",
         [&] { FileLock::isFileLocked(file); },
         {"openat", "fstat", "flock", "close"}},
    };
    for (Case const& c : cases)
        EXPECT_EQ(traceOf(c.operation), c.expected) << c.name;

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
    EXPECT_EQ(many, cases.back().expected);
}

constexpr int flatFiles = 10;
constexpr int subdirectories = 2;
constexpr int filesPerSubdirectory = 3;
constexpr int treeFiles = subdirectories * filesPerSubdirectory;

// `flatFiles` files f0.txt.. in one directory, of which only f7.txt matches "*7.txt".
void makeFlat(Path const& directory) {
    makeDirectories(directory);
    for (int i = 0; i < flatFiles; ++i)
        writeFile(directory / Path("f" + std::to_string(i) + ".txt"), "x");
}

void makeTree(Path const& root) {
    for (int d = 0; d < subdirectories; ++d)
        for (int f = 0; f < filesPerSubdirectory; ++f) {
            Path const directory = root / Path("d" + std::to_string(d));
            makeDirectories(directory);
            writeFile(directory / Path("f" + std::to_string(f)), "same");
        }
}

TEST(PosixCalls, EachEntryOfAWalkCostsOnlyTheCallsItsAnswerNeeds) {
    ScratchDirectory scratch;
    using Counts = std::map<std::string, std::size_t>;
    struct Case {
        char const* name;
        std::function<void(Path const&)> setUp;
        std::function<void(Path const&)> operation;
        Counts expected;
    };
    auto const everyTrue = [](Path const&) { return true; };
    std::vector<Case> const cases = {
        {"a listing knows each entry's status from one stat",
         makeFlat,
         [](Path const& flat) {
             DirectoryEntry const end;
             for (DirectoryIterator it(flat); *it != end; ++it)
                 it->getStatus();
         },
         {{"openat", 1}, {"fstatat", flatFiles}, {"unlinkat", 0}, {"read", 0}}},
        // Only the directory itself is asked about: its existence, then whether it is one.
        {"forEach asks nothing about the entries",
         makeFlat,
         [&](Path const& flat) { forEach(flat, everyTrue); },
         {{"openat", 1}, {"fstatat", 2}, {"unlinkat", 0}, {"read", 0}}},
        {"forEachMatching asks nothing about the entries",
         makeFlat,
         [&](Path const& flat) { forEachMatching(flat, String("*7.txt"), everyTrue); },
         {{"openat", 1}, {"fstatat", 2}, {"unlinkat", 0}, {"read", 0}}},
        {"removeMatching stats only what it removes, once",
         makeFlat,
         [](Path const& flat) { removeMatching(flat, String("*7.txt")); },
         {{"openat", 1}, {"fstatat", 3}, {"unlinkat", 1}, {"read", 0}}},
        // The read-only check is the one stat per entry; the root's link status comes first.
        {"removeAll stats and unlinks each entry once",
         makeTree,
         [](Path const& tree) { removeAll(tree); },
         {{"openat", 1 + subdirectories},
          {"fstatat", 1 + treeFiles + subdirectories + 1},
          {"unlinkat", treeFiles + subdirectories + 1},
          {"read", 0}}},
        // What the listings say are files or directories needs no status of its own; files of
        // equal size are read to their end: one read with the bytes, one finding none.
        {"compareDirectories sizes each file once and reads it once",
         [](Path const& tree) {
             makeTree(tree);
             fs::copy(toStd(tree), toStd(tree) += "-twin", fs::copy_options::recursive);
         },
         [](Path const& tree) { compareDirectories(tree, Path(tree.string() + String("-twin"))); },
         {{"openat", 2 + 2 * subdirectories + 2 * treeFiles},
          {"fstatat", 2 + 2 * treeFiles},
          {"unlinkat", 0},
          {"read", 4 * treeFiles}}},
    };
    int made = 0;
    for (Case const& c : cases) {
        Path const directory = scratch / ("case" + std::to_string(made++));
        c.setUp(directory);
        Trace const trace = traceOf([&] { c.operation(directory); });
        Counts counts;
        for (auto const& [name, expected] : c.expected)
            counts[name] = static_cast<std::size_t>(std::count(trace.begin(), trace.end(), name));
        EXPECT_EQ(counts, c.expected) << c.name;
    }
}

// An interrupted call is made again and a short transfer carried on; where the kernel cannot
// copy between these files it says so, and the bytes are read and written instead. Any other
// error, a delayed write error reported by the close of the copy included, fails the copy and
// leaves nothing behind.
TEST(PosixCalls, ACopyRetriesFallsBackOrFailsCleanlyAsTheErrorRequires) {
    ScratchDirectory scratch;
    std::string contents;
    for (int i = 0; contents.size() < std::size_t{200} * 1024; ++i)
        contents += "line " + std::to_string(i) + "\n";
    Path const source = scratch / "source.txt";
    Path const copy = scratch / "copy.txt";
    writeFile(source, contents);
    Trace const calls = traceOf([&] { copyFile(source, copy, true); });
    fs::remove(toStd(copy));
    auto const shortTransfer = FaultInjector::Kind::shortTransfer;
    auto const error = FaultInjector::Kind::error;
    struct Case {
        char const* entry; // its first call fails; the copy's descriptor is the first closed
        int error;
        FaultInjector::Kind kind;
        bool copies;
        bool writes;
    } const cases[] = {
        {"openat", EINTR, error, true, false},
        {"copy_file_range", EINTR, error, true, false},
        {"copy_file_range", 0, shortTransfer, true, false},
        {"copy_file_range", EXDEV, error, true, true},
        {"copy_file_range", EINVAL, error, true, true},
        {"copy_file_range", ENOSYS, error, true, true},
        {"copy_file_range", EOPNOTSUPP, error, true, true},
        {"copy_file_range", EIO, error, false, false},
        {"copy_file_range", ENOSPC, error, false, false},
        {"copy_file_range", EFBIG, error, false, false},
        {"copy_file_range", EDQUOT, error, false, false},
        {"close", EIO, error, false, false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " failing with " + std::to_string(c.error));
        std::size_t const call = firstCall(calls, c.entry);
        ASSERT_NE(call, 0u);
        FaultInjector injector;
        injector.failCall(call, c.error, c.kind);
        EXPECT_EQ(copyFile(source, copy, true), c.copies);
        injector.stop();
        EXPECT_EQ(firstCall(injector.trace(), "write") != 0, c.writes);
        std::set<std::string> const names = namesOnDisk(scratch.native());
        if (c.copies) {
            EXPECT_EQ(readFile(copy), contents);
            fs::remove(toStd(copy));
        }
        EXPECT_EQ(names,
                  (std::set<std::string>{"source.txt", c.copies ? "copy.txt" : "source.txt"}));
        EXPECT_EQ(readFile(source), contents);
    }
}

} // namespace
} // namespace koril::filesystem

#endif
