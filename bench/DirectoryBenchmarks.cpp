// Listing a directory with statuses and building native strings, side by side with
// std::filesystem and, natively, with a bare readdir + fstatat loop (the floor). Single status
// queries are in StatusBenchmarks.cpp.

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace kfs = koril::filesystem;

// Directories of `count` empty files, made on first use and removed at exit.
class Directories {
public:
    ~Directories() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    fs::path const& get(int count) {
        auto const found = made_.find(count);
        if (found != made_.end())
            return found->second;
        fs::path const directory = root() / ("d" + std::to_string(count));
        fs::create_directories(directory);
        for (int i = 0; i < count; ++i)
            std::ofstream(directory / ("entry-" + std::to_string(i) + (i % 7 ? ".txt" : ".exe")));
        return made_.emplace(count, directory).first->second;
    }

    fs::path const& root() {
        if (root_.empty()) {
            root_ = fs::temp_directory_path() /
                    ("koril-bench-" + std::to_string(std::random_device()()));
            fs::create_directories(root_);
        }
        return root_;
    }

private:
    fs::path root_;
    std::map<int, fs::path> made_;
};

Directories directories;

kfs::Path toPath(fs::path const& path) {
    return kfs::Path(path.u8string());
}

void BM_ListKoril(benchmark::State& state) {
    kfs::Path const directory = toPath(directories.get(static_cast<int>(state.range(0))));
    kfs::DirectoryEntry const end;
    for (auto _ : state) {
        long long files = 0;
        for (kfs::DirectoryIterator it(directory); *it != end; ++it)
            files += it->getSymlinkStatus().getType() == kfs::RegularFile;
        benchmark::DoNotOptimize(files);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ListStdFilesystem(benchmark::State& state) {
    fs::path const& directory = directories.get(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        long long files = 0;
        for (fs::directory_entry const& entry : fs::directory_iterator(directory))
            files += fs::is_regular_file(fs::symlink_status(entry.path()));
        benchmark::DoNotOptimize(files);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

#ifndef _WIN32
void BM_ListReaddirFstatat(benchmark::State& state) {
    fs::path const& directory = directories.get(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        long long files = 0;
        DIR* const stream = ::opendir(directory.c_str());
        int const fd = ::dirfd(stream);
        while (dirent const* entry = ::readdir(stream)) {
            struct stat info;
            if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
                files += S_ISREG(info.st_mode);
        }
        ::closedir(stream);
        benchmark::DoNotOptimize(files);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListReaddirFstatat)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
#endif
BENCHMARK(BM_ListKoril)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListStdFilesystem)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A drive-absolute text, so that the long-path rules run; no disk is asked.
koril::unicode::String const
    absoluteText("C:\\Users\\someone\\Documents\\projects\\koril\\build\\output\\report-2024.txt");

void BM_NativeStringCached(benchmark::State& state) {
    kfs::Path const path(absoluteText);
    for (auto _ : state)
        benchmark::DoNotOptimize(path.nativeString());
}
BENCHMARK(BM_NativeStringCached);

void BM_NativeStringUncached(benchmark::State& state) {
    for (auto _ : state) {
        kfs::Path const path(absoluteText);
        benchmark::DoNotOptimize(path.nativeString());
    }
}
BENCHMARK(BM_NativeStringUncached);

// The construction alone, to tell it from the conversion above.
void BM_PathConstruction(benchmark::State& state) {
    for (auto _ : state) {
        kfs::Path const path(absoluteText);
        benchmark::DoNotOptimize(path.string().data());
    }
}
BENCHMARK(BM_PathConstruction);

} // namespace
