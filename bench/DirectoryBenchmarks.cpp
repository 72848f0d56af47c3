// Listing a directory with the status of every entry, beside std::filesystem and the bare
// readdir + fstatat loop (the floor), at each scaling size; and building native strings.

#include "BenchSupport.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

#include <benchmark/benchmark.h>

#include <filesystem>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace kfs = koril::filesystem;
using namespace koril::bench;

// Each loop counts the regular files, so that every status is used.
void finish(benchmark::State& state, long files) {
    if (files != state.range(0))
        state.SkipWithError("not every entry was listed as a regular file");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ListWithStatus_Koril(benchmark::State& state) {
    kfs::Path const directory = toPath(flatDirectory(state.range(0)));
    kfs::DirectoryEntry const end;
    long files = 0;
    for (auto _ : state) {
        files = 0;
        for (kfs::DirectoryIterator it(directory); *it != end; ++it)
            files += it->getStatus().getType() == kfs::RegularFile;
    }
    finish(state, files);
}

void BM_ListWithStatus_StdFilesystem(benchmark::State& state) {
    fs::path const& directory = flatDirectory(state.range(0));
    long files = 0;
    for (auto _ : state) {
        files = 0;
        for (fs::directory_entry const& entry : fs::directory_iterator(directory))
            files += fs::is_regular_file(fs::symlink_status(entry.path()));
    }
    finish(state, files);
}

#ifndef _WIN32
void BM_ListWithStatus_ReaddirFstatatFloor(benchmark::State& state) {
    fs::path const& directory = flatDirectory(state.range(0));
    long files = 0;
    for (auto _ : state) {
        files = 0;
        DIR* const stream = ::opendir(directory.c_str());
        int const fd = ::dirfd(stream);
        while (dirent const* entry = ::readdir(stream)) {
            struct stat info;
            if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
                files += S_ISREG(info.st_mode);
        }
        ::closedir(stream);
    }
    finish(state, files);
}
BENCHMARK(BM_ListWithStatus_ReaddirFstatatFloor)
    ->Apply(atScalingSizes)
    ->Unit(benchmark::kMillisecond);
#endif
BENCHMARK(BM_ListWithStatus_Koril)->Apply(atScalingSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWithStatus_StdFilesystem)->Apply(atScalingSizes)->Unit(benchmark::kMillisecond);

// A drive-absolute text, so that the long-path rules run; no disk is asked.
koril::unicode::String const
    absoluteText("C:\\Users\\someone\\Documents\\projects\\koril\\build\\output\\report-2024.txt");

void BM_NativeStringCached_Koril(benchmark::State& state) {
    kfs::Path const path(absoluteText);
    for (auto _ : state)
        benchmark::DoNotOptimize(path.nativeString());
}
BENCHMARK(BM_NativeStringCached_Koril);

void BM_NativeStringUncached_Koril(benchmark::State& state) {
    for (auto _ : state) {
        kfs::Path const path(absoluteText);
        benchmark::DoNotOptimize(path.nativeString());
    }
}
BENCHMARK(BM_NativeStringUncached_Koril);

} // namespace
