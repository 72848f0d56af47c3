// Removing and copying whole trees (see `makeTree`) at each scaling size, beside
// std::filesystem and the coreutils commands. The coreutils commands run through the shell, so
// their times include starting two processes (about a millisecond here).

#include "BenchSupport.h"

#include <koril/filesystem/Operations.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;
namespace kfs = koril::filesystem;
using namespace koril::bench;

using TreeOperation = std::function<bool(fs::path const&, fs::path const&)>;

// Times `remove` on a fresh tree per iteration.
void removeTree(benchmark::State& state, TreeOperation const& remove) {
    ScratchDirectory const scratch("koril-bench-remove");
    fs::path const tree = scratch / "tree";
    for (auto _ : state) {
        makeTree(tree, state.range(0));
        timeOnce(state, [&] { return remove(tree, fs::path()) && !fs::exists(tree); });
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Times `copy` of one tree into a destination that does not exist yet.
void copyTree(benchmark::State& state, TreeOperation const& copy) {
    ScratchDirectory const scratch("koril-bench-copy");
    fs::path const tree = scratch / "tree";
    fs::path const destination = scratch / "copy";
    makeTree(tree, state.range(0));
    fs::path const last =
        destination / ("dir" + std::to_string(state.range(0) / 100 - 1)) / "file99.txt";
    for (auto _ : state) {
        fs::remove_all(destination);
        timeOnce(state, [&] { return copy(tree, destination) && fs::exists(last); });
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Fewer iterations for the larger trees, whose set-up dominates a run.
void registerAtScale(char const* name, void (*run)(benchmark::State&, TreeOperation const&),
                     TreeOperation const& operation) {
    for (long const size : scalingSizes())
        benchmark::RegisterBenchmark(name, [=](benchmark::State& state) { run(state, operation); })
            ->Arg(size)
            ->Iterations(size >= 100000  ? 1
                         : size >= 10000 ? 3
                                         : 10)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
}

int const registered = [] {
    registerAtScale("BM_RemoveAll_Koril", removeTree, [](fs::path const& tree, fs::path const&) {
        return kfs::removeAll(toPath(tree));
    });
    registerAtScale("BM_RemoveAll_StdFilesystemRemoveAll", removeTree,
                    [](fs::path const& tree, fs::path const&) {
                        std::error_code error;
                        return fs::remove_all(tree, error) > 0 && !error;
                    });
    registerAtScale("BM_CopyDirectory_Koril", copyTree,
                    [](fs::path const& from, fs::path const& to) {
                        return kfs::copyDirectory(toPath(from), toPath(to), true);
                    });
    registerAtScale("BM_CopyDirectory_StdFilesystemCopy", copyTree,
                    [](fs::path const& from, fs::path const& to) {
                        std::error_code error;
                        fs::copy(from, to, fs::copy_options::recursive, error);
                        return !error;
                    });
#ifndef _WIN32
    registerAtScale("BM_RemoveAll_RmRf", removeTree, [](fs::path const& tree, fs::path const&) {
        return runCommand("rm -rf " + shellQuoted(tree));
    });
    registerAtScale("BM_CopyDirectory_CpR", copyTree, [](fs::path const& from, fs::path const& to) {
        return runCommand("cp -r " + shellQuoted(from) + " " + shellQuoted(to));
    });
#endif
    return 0;
}();

} // namespace
