// What the walks over directories ask of the kernel: each entry costs the calls its answer needs
// and no more, so that whole-tree work runs at the speed of the system calls.

#ifndef _WIN32

#include "fault/FaultInjector.h"
#include "support/Scratch.h"

#include <koril/filesystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using koril::testing::FaultInjector;
using koril::testing::makeDirectories;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
using koril::testing::writeFile;
using Counts = std::map<std::string, std::size_t>;

// How often `operation` made each of the calls named in `counted`.
Counts countCalls(std::function<void()> const& operation, std::vector<std::string> const& counted) {
    FaultInjector injector;
    injector.count();
    operation();
    injector.stop();
    Counts counts;
    for (std::string const& name : counted)
        counts[name] = static_cast<std::size_t>(
            std::count(injector.trace().begin(), injector.trace().end(), name));
    return counts;
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

// `subdirectories` directories of `filesPerSubdirectory` files each.
void makeTree(Path const& root) {
    for (int d = 0; d < subdirectories; ++d)
        for (int f = 0; f < filesPerSubdirectory; ++f) {
            Path const directory = root / Path("d" + std::to_string(d));
            makeDirectories(directory);
            writeFile(directory / Path("f" + std::to_string(f)), "same");
        }
}

TEST(PosixTreeCallsTest, EachEntryCostsOnlyTheCallsItsAnswerNeeds) {
    ScratchDirectory scratch;
    std::vector<std::string> const counted = {"openat", "fstatat", "unlinkat", "read"};
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
        EXPECT_EQ(countCalls([&] { c.operation(directory); }, counted), c.expected) << c.name;
    }
}

} // namespace
} // namespace koril::filesystem

#endif
