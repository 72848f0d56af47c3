// Single queries of one path, side by side with their std::filesystem peers (each name states the
// peer), and the lock probe with few and with many descriptors open.

#include "BenchSupport.h"

#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace kfs = koril::filesystem;

// A file, a link to it and a missing name in a fresh directory, removed at exit.
class Files {
public:
    Files() {
        std::ofstream(file()) << "x";
        std::error_code ignored;
        fs::create_symlink(file(), link(), ignored);
    }
    fs::path file() const { return scratch_ / "single.txt"; }
    fs::path link() const { return scratch_ / "link.txt"; }
    fs::path missing() const { return scratch_ / "missing" / "file.txt"; }

private:
    koril::bench::ScratchDirectory scratch_{"koril-bench-status"};
};

Files const& files() {
    static Files const instance;
    return instance;
}

using koril::bench::toPath;

void BM_Status_Koril(benchmark::State& state) {
    kfs::Path const file = toPath(files().file());
    for (auto _ : state)
        benchmark::DoNotOptimize(kfs::status(file));
}
BENCHMARK(BM_Status_Koril);

void BM_Status_StdFilesystem(benchmark::State& state) {
    fs::path const file = files().file();
    for (auto _ : state)
        benchmark::DoNotOptimize(fs::status(file));
}
BENCHMARK(BM_Status_StdFilesystem);

void BM_SymbolicLinkStatus_Koril(benchmark::State& state) {
    kfs::Path const link = toPath(files().link());
    for (auto _ : state)
        benchmark::DoNotOptimize(kfs::symbolicLinkStatus(link));
}
BENCHMARK(BM_SymbolicLinkStatus_Koril);

void BM_SymbolicLinkStatus_StdFilesystemSymlinkStatus(benchmark::State& state) {
    fs::path const link = files().link();
    for (auto _ : state)
        benchmark::DoNotOptimize(fs::symlink_status(link));
}
BENCHMARK(BM_SymbolicLinkStatus_StdFilesystemSymlinkStatus);

void BM_ModificationTime_Koril(benchmark::State& state) {
    kfs::Path const file = toPath(files().file());
    for (auto _ : state)
        benchmark::DoNotOptimize(kfs::getModificationTime(file));
}
BENCHMARK(BM_ModificationTime_Koril);

void BM_ModificationTime_StdFilesystemLastWriteTime(benchmark::State& state) {
    fs::path const file = files().file();
    std::error_code error;
    for (auto _ : state)
        benchmark::DoNotOptimize(fs::last_write_time(file, error));
}
BENCHMARK(BM_ModificationTime_StdFilesystemLastWriteTime);

void BM_Exists_Koril(benchmark::State& state) {
    kfs::Path const file = toPath(files().file());
    for (auto _ : state)
        benchmark::DoNotOptimize(kfs::exists(file));
}
BENCHMARK(BM_Exists_Koril);

void BM_Exists_StdFilesystem(benchmark::State& state) {
    fs::path const file = files().file();
    for (auto _ : state)
        benchmark::DoNotOptimize(fs::exists(file));
}
BENCHMARK(BM_Exists_StdFilesystem);

void BM_ExistsMissing_Koril(benchmark::State& state) {
    kfs::Path const missing = toPath(files().missing());
    for (auto _ : state)
        benchmark::DoNotOptimize(kfs::exists(missing));
}
BENCHMARK(BM_ExistsMissing_Koril);

void BM_ExistsMissing_StdFilesystem(benchmark::State& state) {
    fs::path const missing = files().missing();
    std::error_code error;
    for (auto _ : state)
        benchmark::DoNotOptimize(fs::exists(missing, error));
}
BENCHMARK(BM_ExistsMissing_StdFilesystem);

#ifndef _WIN32
// One system call, the least an answer can cost.
void BM_ExistsMissing_FstatatFloor(benchmark::State& state) {
    std::string const missing = files().missing().string();
    for (auto _ : state) {
        struct stat info;
        benchmark::DoNotOptimize(::fstatat(AT_FDCWD, missing.c_str(), &info, AT_SYMLINK_NOFOLLOW));
    }
}
BENCHMARK(BM_ExistsMissing_FstatatFloor);
#endif

// The probe must cost the same however many descriptors the process holds: the argument is the
// number held open meanwhile.
void BM_IsFileLocked_Koril(benchmark::State& state) {
    kfs::Path const file = toPath(files().file());
    std::vector<std::ifstream> held(static_cast<std::size_t>(state.range(0)));
    for (std::ifstream& stream : held)
        stream.open(files().file());
    for (auto _ : state)
        benchmark::DoNotOptimize(kfs::FileLock::isFileLocked(file));
    state.counters["descriptors"] = static_cast<double>(held.size());
}
BENCHMARK(BM_IsFileLocked_Koril)->Arg(0)->Arg(4000);

} // namespace
