// Comparing files and trees, beside the tool or loop a user would otherwise reach for.

#include "BenchSupport.h"

#include <koril/filesystem/Operations.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace kfs = koril::filesystem;
using namespace koril::bench;

// --- compareFiles ----------------------------------------------------------------------------

constexpr std::size_t largeFileSize = 256u << 20;

struct LargeFiles {
    ScratchDirectory directory{"koril-bench-files"};
    fs::path left = directory / "left.bin";
    fs::path right = directory / "right.bin";
    LargeFiles() {
        std::string chunk(1 << 20, '\0');
        std::mt19937 random(42);
        for (char& c : chunk)
            c = static_cast<char>('a' + random() % 26);
        for (fs::path const& path : {left, right}) {
            std::ofstream out(path, std::ios::binary);
            for (std::size_t written = 0; written < largeFileSize; written += chunk.size())
                out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        }
    }
};

LargeFiles const& largeFiles() {
    static LargeFiles const files;
    return files;
}

void BM_CompareFiles_Koril(benchmark::State& state) {
    kfs::Path const left = toPath(largeFiles().left);
    kfs::Path const right = toPath(largeFiles().right);
    for (auto _ : state)
        if (!kfs::compareFiles(left, right))
            state.SkipWithError("the files compared unequal");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * largeFileSize));
}
BENCHMARK(BM_CompareFiles_Koril)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

#ifndef _WIN32
void BM_CompareFiles_Cmp(benchmark::State& state) {
    std::string const command =
        "cmp -s " + shellQuoted(largeFiles().left) + " " + shellQuoted(largeFiles().right);
    for (auto _ : state)
        if (!runCommand(command))
            state.SkipWithError("cmp found a difference");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * largeFileSize));
}
BENCHMARK(BM_CompareFiles_Cmp)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Two descriptors, one buffer each, read and memcmp.
void BM_CompareFiles_ReadMemcmpFloor(benchmark::State& state) {
    constexpr std::size_t bufferSize = 64 * 1024;
    std::vector<char> left(bufferSize);
    std::vector<char> right(bufferSize);
    for (auto _ : state) {
        int const a = ::open(largeFiles().left.c_str(), O_RDONLY);
        int const b = ::open(largeFiles().right.c_str(), O_RDONLY);
        bool equal = a >= 0 && b >= 0;
        while (equal) {
            ssize_t const countA = ::read(a, left.data(), bufferSize);
            ssize_t const countB = ::read(b, right.data(), bufferSize);
            equal = countA == countB && countA >= 0 &&
                    std::memcmp(left.data(), right.data(), static_cast<std::size_t>(countA)) == 0;
            if (countA <= 0)
                break;
        }
        ::close(a);
        ::close(b);
        if (!equal)
            state.SkipWithError("the files compared unequal");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * largeFileSize));
}
BENCHMARK(BM_CompareFiles_ReadMemcmpFloor)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();
#endif

// --- compareDirectories ----------------------------------------------------------------------

// Two trees of the same shape and contents (`makeTree`), each also holding a file six levels
// down in a directory halfway through the sorted walk; that file can be made to differ by one
// byte at its end, its size unchanged.
class TreePair {
public:
    explicit TreePair(long files) {
        for (fs::path const& root : {left(), right()}) {
            makeTree(root, files);
            fs::create_directories(root / deepDirectory(files));
            writeFile(root / deepDirectory(files) / "file.txt", contents('a'));
        }
        deepFile_ = right() / deepDirectory(files) / "file.txt";
    }

    fs::path left() const { return scratch_ / "left"; }
    fs::path right() const { return scratch_ / "right"; }
    void setDifferent(bool different) { writeFile(deepFile_, contents(different ? 'b' : 'a')); }

private:
    static fs::path deepDirectory(long files) {
        return fs::path("dir" + std::to_string(files / 200)) / "deep" / "er" / "and" / "deeper" /
               "still" / "down";
    }
    static std::string contents(char last) { return std::string(199, 'x') + last; }

    ScratchDirectory scratch_{"koril-bench-trees"};
    fs::path deepFile_;
};

TreePair& treePair(long files) {
    static std::map<long, std::unique_ptr<TreePair>> made;
    std::unique_ptr<TreePair>& pair = made[files];
    if (!pair)
        pair = std::make_unique<TreePair>(files);
    return *pair;
}

using TreeComparison = bool (*)(fs::path const&, fs::path const&);

void compareTrees(benchmark::State& state, bool different, TreeComparison compare) {
    TreePair& pair = treePair(state.range(0));
    pair.setDifferent(different);
    for (auto _ : state)
        if (compare(pair.left(), pair.right()) == different)
            state.SkipWithError("wrong answer");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

bool compareWithKoril(fs::path const& left, fs::path const& right) {
    return kfs::compareDirectories(toPath(left), toPath(right));
}

void BM_CompareDirectories_Koril(benchmark::State& state) {
    compareTrees(state, false, compareWithKoril);
}
void BM_CompareDirectoriesOneDeepDifference_Koril(benchmark::State& state) {
    compareTrees(state, true, compareWithKoril);
}
BENCHMARK(BM_CompareDirectories_Koril)
    ->Apply(atScalingSizes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CompareDirectoriesOneDeepDifference_Koril)
    ->Apply(atScalingSizes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

#ifndef _WIN32
// `diff` exits with 1 when it finds a difference, and goes on through the whole tree.
bool compareWithDiff(fs::path const& left, fs::path const& right) {
    return runCommand("diff -r -q " + shellQuoted(left) + " " + shellQuoted(right) +
                      " > /dev/null");
}

void BM_CompareDirectories_DiffR(benchmark::State& state) {
    compareTrees(state, false, compareWithDiff);
}
void BM_CompareDirectoriesOneDeepDifference_DiffR(benchmark::State& state) {
    compareTrees(state, true, compareWithDiff);
}
BENCHMARK(BM_CompareDirectories_DiffR)
    ->Apply(atScalingSizes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CompareDirectoriesOneDeepDifference_DiffR)
    ->Apply(atScalingSizes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
#endif

} // namespace
