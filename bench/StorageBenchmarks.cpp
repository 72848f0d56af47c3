// File and tree comparison and pattern traversal, each beside the tool or loop a user would
// otherwise reach for. The data are made once per process, outside the timed loops, and
// removed at exit.

#include <koril/filesystem/Operations.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace kfs = koril::filesystem;

// A directory below the system's temporary directory, removed with its contents at exit.
class BenchDirectory {
public:
    explicit BenchDirectory(std::string const& name)
        : path_(fs::temp_directory_path() / (name + "-" + std::to_string(std::random_device()()))) {
        fs::create_directories(path_);
    }
    BenchDirectory(BenchDirectory const&) = delete;
    BenchDirectory& operator=(BenchDirectory const&) = delete;
    ~BenchDirectory() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path const& path() const { return path_; }

private:
    fs::path path_;
};

kfs::Path toPath(fs::path const& path) {
    return kfs::Path(path.u8string());
}

std::string shellQuoted(fs::path const& path) {
    return "'" + path.string() + "'";
}

void writeFile(fs::path const& path, std::string const& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// --- compareFiles ----------------------------------------------------------------------------

constexpr std::size_t largeFileSize = 256u << 20;

struct LargeFiles {
    BenchDirectory directory{"koril-bench-files"};
    fs::path left = directory.path() / "left.bin";
    fs::path right = directory.path() / "right.bin";
    LargeFiles() {
        std::vector<char> chunk(1 << 20);
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
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cmp found a difference");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * largeFileSize));
}
BENCHMARK(BM_CompareFiles_Cmp)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The floor: two descriptors, one buffer each, read and memcmp.
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

constexpr int treeDirectories = 100;
constexpr int filesPerDirectory = 100;

struct EqualTrees {
    BenchDirectory directory{"koril-bench-trees"};
    fs::path left = directory.path() / "left";
    fs::path right = directory.path() / "right";
    EqualTrees() {
        for (fs::path const& root : {left, right})
            for (int d = 0; d < treeDirectories; ++d) {
                fs::path const sub = root / ("directory" + std::to_string(d));
                fs::create_directories(sub);
                for (int f = 0; f < filesPerDirectory; ++f)
                    writeFile(sub / ("file" + std::to_string(f) + ".txt"),
                              std::string(100 + f, static_cast<char>('a' + d % 26)));
            }
    }
};

EqualTrees const& equalTrees() {
    static EqualTrees const trees;
    return trees;
}

void BM_CompareDirectories_Koril(benchmark::State& state) {
    kfs::Path const left = toPath(equalTrees().left);
    kfs::Path const right = toPath(equalTrees().right);
    for (auto _ : state)
        if (!kfs::compareDirectories(left, right))
            state.SkipWithError("the trees compared unequal");
    state.SetItemsProcessed(state.iterations() * treeDirectories * filesPerDirectory);
}
BENCHMARK(BM_CompareDirectories_Koril)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

#ifndef _WIN32
void BM_CompareDirectories_DiffR(benchmark::State& state) {
    std::string const command = "diff -r -q " + shellQuoted(equalTrees().left) + " " +
                                shellQuoted(equalTrees().right) + " > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("diff found a difference");
    state.SetItemsProcessed(state.iterations() * treeDirectories * filesPerDirectory);
}
BENCHMARK(BM_CompareDirectories_DiffR)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
#endif

// --- forEachMatching -------------------------------------------------------------------------

constexpr int manyEntries = 100000;
// Matches one name in ten.
char const* const entryPattern = "*7.dat";

struct ManyEntries {
    BenchDirectory directory{"koril-bench-entries"};
    ManyEntries() {
        for (int i = 0; i < manyEntries; ++i)
            std::ofstream(directory.path() / ("entry" + std::to_string(i) + ".dat"));
    }
};

ManyEntries const& manyEntriesDirectory() {
    static ManyEntries const entries;
    return entries;
}

void BM_ForEachMatching_Koril(benchmark::State& state) {
    kfs::Path const directory = toPath(manyEntriesDirectory().directory.path());
    kfs::String const pattern(entryPattern);
    for (auto _ : state) {
        long matches = 0;
        kfs::forEachMatching(directory, pattern, [&matches](kfs::Path const&) {
            ++matches;
            return true;
        });
        if (matches != manyEntries / 10)
            state.SkipWithError("wrong number of matches");
    }
    state.SetItemsProcessed(state.iterations() * manyEntries);
}
BENCHMARK(BM_ForEachMatching_Koril)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

#ifndef _WIN32
// The bare loop, and the same loop asking each entry's attributes as a listing that reports
// types and permissions must (one `fstatat` per entry).
void readdirFnmatch(benchmark::State& state, bool withStatus) {
    std::string const directory = manyEntriesDirectory().directory.path().string();
    for (auto _ : state) {
        long matches = 0;
        DIR* const listing = ::opendir(directory.c_str());
        while (dirent const* entry = ::readdir(listing)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            struct stat info;
            if (withStatus && ::fstatat(::dirfd(listing), entry->d_name, &info, 0) != 0)
                continue;
            if (::fnmatch(entryPattern, entry->d_name, 0) == 0)
                ++matches;
        }
        ::closedir(listing);
        if (matches != manyEntries / 10)
            state.SkipWithError("wrong number of matches");
    }
    state.SetItemsProcessed(state.iterations() * manyEntries);
}
void BM_ForEachMatching_ReaddirFnmatch(benchmark::State& state) {
    readdirFnmatch(state, false);
}
BENCHMARK(BM_ForEachMatching_ReaddirFnmatch)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
void BM_ForEachMatching_ReaddirFnmatchStat(benchmark::State& state) {
    readdirFnmatch(state, true);
}
BENCHMARK(BM_ForEachMatching_ReaddirFnmatchStat)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
#endif

} // namespace
