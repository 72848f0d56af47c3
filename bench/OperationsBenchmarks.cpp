// Removing and copying a tree of 10,000 small files in 100 directories, side by side with
// std::filesystem and with the coreutils commands.

#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;
namespace kfs = koril::filesystem;

constexpr int directoryCount = 100;
constexpr int filesPerDirectory = 100;

// A fresh directory under the temporary directory, removed with everything in it at the end.
class BenchDirectory {
public:
    BenchDirectory() {
        root_ = fs::temp_directory_path() /
                ("koril-bench-ops-" + std::to_string(std::random_device()()));
        fs::create_directories(root_);
    }
    BenchDirectory(BenchDirectory const&) = delete;
    BenchDirectory& operator=(BenchDirectory const&) = delete;
    ~BenchDirectory() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    fs::path operator/(char const* name) const { return root_ / name; }

private:
    fs::path root_;
};

void makeTree(fs::path const& root) {
    std::string const contents(200, 'x');
    for (int d = 0; d < directoryCount; ++d) {
        fs::path const directory = root / ("dir" + std::to_string(d));
        fs::create_directories(directory);
        for (int f = 0; f < filesPerDirectory; ++f)
            std::ofstream(directory / ("file" + std::to_string(f) + ".txt"), std::ios::binary)
                << contents;
    }
}

kfs::Path toKoril(fs::path const& path) {
    return kfs::Path(path.u8string());
}

// Times `remove` on a fresh tree per iteration.
template <typename Remove> void removeTreeBenchmark(benchmark::State& state, Remove remove) {
    BenchDirectory scratch;
    fs::path const tree = scratch / "tree";
    for (auto _ : state) {
        state.PauseTiming();
        makeTree(tree);
        state.ResumeTiming();
        if (!remove(tree))
            state.SkipWithError("the removal failed");
        state.PauseTiming();
        if (fs::exists(tree))
            state.SkipWithError("the tree is still there");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * directoryCount * filesPerDirectory);
}

// Times `copy` of one tree into a destination that does not exist yet.
template <typename Copy> void copyTreeBenchmark(benchmark::State& state, Copy copy) {
    BenchDirectory scratch;
    fs::path const tree = scratch / "tree";
    fs::path const destination = scratch / "copy";
    makeTree(tree);
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(destination);
        state.ResumeTiming();
        if (!copy(tree, destination))
            state.SkipWithError("the copy failed");
        state.PauseTiming();
        if (!fs::exists(destination / "dir99" / "file99.txt"))
            state.SkipWithError("the copy is incomplete");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * directoryCount * filesPerDirectory);
}

void BM_RemoveTree_Koril(benchmark::State& state) {
    removeTreeBenchmark(state, [](fs::path const& tree) { return kfs::removeAll(toKoril(tree)); });
}
void BM_RemoveTree_StdFilesystem(benchmark::State& state) {
    removeTreeBenchmark(state, [](fs::path const& tree) { return fs::remove_all(tree) > 0; });
}
void BM_CopyTree_Koril(benchmark::State& state) {
    copyTreeBenchmark(state, [](fs::path const& from, fs::path const& to) {
        return kfs::copyDirectory(toKoril(from), toKoril(to), true);
    });
}
void BM_CopyTree_StdFilesystem(benchmark::State& state) {
    copyTreeBenchmark(state, [](fs::path const& from, fs::path const& to) {
        std::error_code error;
        fs::copy(from, to, fs::copy_options::recursive, error);
        return !error;
    });
}

BENCHMARK(BM_RemoveTree_Koril)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RemoveTree_StdFilesystem)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyTree_Koril)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyTree_StdFilesystem)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifndef _WIN32
std::string quoted(fs::path const& path) {
    return "'" + path.string() + "'";
}

void BM_RemoveTree_RmRf(benchmark::State& state) {
    removeTreeBenchmark(state, [](fs::path const& tree) {
        return std::system(("rm -rf " + quoted(tree)).c_str()) == 0;
    });
}
void BM_CopyTree_CpR(benchmark::State& state) {
    copyTreeBenchmark(state, [](fs::path const& from, fs::path const& to) {
        return std::system(("cp -r " + quoted(from) + " " + quoted(to)).c_str()) == 0;
    });
}

BENCHMARK(BM_RemoveTree_RmRf)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyTree_CpR)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

} // namespace
