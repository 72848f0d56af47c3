// Walking one directory with a glob pattern, at each scaling size, beside the bare readdir +
// fnmatch loop (the floor; for the removal it also unlinks what matches) and std::filesystem.

#include "BenchSupport.h"

#include <koril/filesystem/Operations.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace kfs = koril::filesystem;
using namespace koril::bench;

void finish(benchmark::State& state, long matches) {
    if (matches != flatMatches(state.range(0)))
        state.SkipWithError("wrong number of matches");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ForEachMatching_Koril(benchmark::State& state) {
    kfs::Path const directory = toPath(flatDirectory(state.range(0)));
    kfs::String const pattern(flatPattern);
    long matches = 0;
    for (auto _ : state) {
        matches = 0;
        kfs::forEachMatching(directory, pattern, [&matches](kfs::Path const&) {
            ++matches;
            return true;
        });
    }
    finish(state, matches);
}
BENCHMARK(BM_ForEachMatching_Koril)->Apply(atScalingSizes)->Unit(benchmark::kMillisecond);

#ifndef _WIN32
bool isDotOrDotDot(char const* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void BM_ForEachMatching_ReaddirFnmatchFloor(benchmark::State& state) {
    std::string const directory = flatDirectory(state.range(0)).string();
    long matches = 0;
    for (auto _ : state) {
        matches = 0;
        DIR* const listing = ::opendir(directory.c_str());
        while (dirent const* entry = ::readdir(listing))
            if (!isDotOrDotDot(entry->d_name) && ::fnmatch(flatPattern, entry->d_name, 0) == 0)
                ++matches;
        ::closedir(listing);
    }
    finish(state, matches);
}
BENCHMARK(BM_ForEachMatching_ReaddirFnmatchFloor)
    ->Apply(atScalingSizes)
    ->Unit(benchmark::kMillisecond);

// What a user of std::filesystem writes: a directory_iterator, and fnmatch on each file name.
void BM_ForEachMatching_StdFilesystemFnmatch(benchmark::State& state) {
    fs::path const& directory = flatDirectory(state.range(0));
    long matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (fs::directory_entry const& entry : fs::directory_iterator(directory))
            matches += ::fnmatch(flatPattern, entry.path().filename().c_str(), 0) == 0;
    }
    finish(state, matches);
}
BENCHMARK(BM_ForEachMatching_StdFilesystemFnmatch)
    ->Apply(atScalingSizes)
    ->Unit(benchmark::kMillisecond);
#endif

// A flat directory per size whose matching entries are made again before each timed removal;
// the others stay, so that every removal walks the whole directory.
fs::path const& removalDirectory(long count) {
    static ScratchDirectory const root("koril-bench-remove-matching");
    static std::map<long, fs::path> made;
    auto const found = made.find(count);
    if (found != made.end())
        return found->second;
    fs::path const directory = root / std::to_string(count);
    fs::create_directories(directory);
    for (long i = 0; i < count; ++i)
        if (i % 10 != 7 || i % 7 == 0)
            writeFile(directory / flatEntryName(i), std::string());
    return made.emplace(count, directory).first->second;
}

void restoreMatches(fs::path const& directory, long count) {
    for (long i = 7; i < count; i += 10)
        if (i % 7 != 0)
            writeFile(directory / flatEntryName(i), std::string());
}

template <class Remove> void removeMatching(benchmark::State& state, Remove remove) {
    long const count = state.range(0);
    fs::path const& directory = removalDirectory(count);
    for (auto _ : state) {
        restoreMatches(directory, count);
        timeOnce(state, [&] { return remove(directory); });
    }
    long left = 0;
    for (auto it = fs::directory_iterator(directory); it != fs::directory_iterator(); ++it)
        ++left;
    if (left != count - flatMatches(count))
        state.SkipWithError("wrong number of entries removed");
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_RemoveMatching_Koril(benchmark::State& state) {
    removeMatching(state, [](fs::path const& directory) {
        return kfs::removeMatching(toPath(directory), kfs::String(flatPattern));
    });
}
BENCHMARK(BM_RemoveMatching_Koril)
    ->Apply(atScalingSizes)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

#ifndef _WIN32
void BM_RemoveMatching_ReaddirFnmatchUnlinkFloor(benchmark::State& state) {
    removeMatching(state, [](fs::path const& directory) {
        DIR* const listing = ::opendir(directory.c_str());
        bool removed = true;
        while (dirent const* entry = ::readdir(listing))
            if (!isDotOrDotDot(entry->d_name) && ::fnmatch(flatPattern, entry->d_name, 0) == 0)
                removed = ::unlinkat(::dirfd(listing), entry->d_name, 0) == 0 && removed;
        ::closedir(listing);
        return removed;
    });
}
BENCHMARK(BM_RemoveMatching_ReaddirFnmatchUnlinkFloor)
    ->Apply(atScalingSizes)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace
