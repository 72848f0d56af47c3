// How much memory the walks take beyond what the process already holds, for one directory of
// 1,000 to 100,000 entries: removal, copy and traversal hold one open directory per level, so
// their peak must not grow with the number of entries. The tree comparison holds the sorted
// listings of both sides of one level, so its peak grows with the widest level.
//
// Each benchmark runs its operation once and reports `peak_kib`, the rise of the peak resident
// size over the resident size just before.

#include "BenchSupport.h"

#include <koril/filesystem/Operations.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;
namespace kfs = koril::filesystem;
using namespace koril::bench;

// A second flat directory of `count` entries, made once, for comparing with the first.
fs::path const& flatTwin(long count) {
    static ScratchDirectory const root("koril-bench-twin");
    static std::map<long, fs::path> made;
    auto const found = made.find(count);
    if (found != made.end())
        return found->second;
    fs::path const twin = root / std::to_string(count);
    makeFlat(twin, count);
    return made.emplace(count, twin).first->second;
}

void measure(benchmark::State& state, std::function<bool()> const& operation) {
    long growth = -1;
    for (auto _ : state)
        timeOnce(state, [&] {
            bool done = false;
            growth = peakMemoryGrowthKiB([&] { done = operation(); });
            return done;
        });
    if (growth < 0)
        state.SkipWithError("the system does not report peak memory");
    state.counters["peak_kib"] = static_cast<double>(growth);
}

void BM_PeakMemoryRemoveAll_Koril(benchmark::State& state) {
    ScratchDirectory const scratch("koril-bench-memory-remove");
    fs::path const directory = scratch / "flat";
    makeFlat(directory, state.range(0));
    measure(state, [&] { return kfs::removeAll(toPath(directory)); });
}

void BM_PeakMemoryCopyDirectory_Koril(benchmark::State& state) {
    ScratchDirectory const scratch("koril-bench-memory-copy");
    measure(state, [&] {
        return kfs::copyDirectory(toPath(flatDirectory(state.range(0))), toPath(scratch / "copy"),
                                  true);
    });
}

void BM_PeakMemoryForEach_Koril(benchmark::State& state) {
    kfs::Path const directory = toPath(flatDirectory(state.range(0)));
    measure(state, [&] { return kfs::forEach(directory, [](kfs::Path const&) { return true; }); });
}

void BM_PeakMemoryCompareDirectories_Koril(benchmark::State& state) {
    kfs::Path const left = toPath(flatDirectory(state.range(0)));
    kfs::Path const right = toPath(flatTwin(state.range(0)));
    measure(state, [&] { return kfs::compareDirectories(left, right); });
}

BENCHMARK(BM_PeakMemoryRemoveAll_Koril)
    ->Apply(atScalingSizes)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakMemoryCopyDirectory_Koril)
    ->Apply(atScalingSizes)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakMemoryForEach_Koril)
    ->Apply(atScalingSizes)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakMemoryCompareDirectories_Koril)
    ->Apply(atScalingSizes)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
