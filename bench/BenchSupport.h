#ifndef KORIL_BENCH_BENCHSUPPORT_H
#define KORIL_BENCH_BENCHSUPPORT_H

// What the disk benchmarks share: scratch directories, the trees they time, manual timing of one
// operation, and the growth of peak memory during one.
//
// Naming: every benchmark is `BM_<Operation>_<Who>`, where Who is `Koril` for this library, a
// name ending in `Floor` for the bare system calls that no library can beat, and anything else
// for a peer (std::filesystem, a coreutils command, ICU). scripts/benchmark-report.py pairs them
// by these names. Data are made outside the timed region; the scratch directories live under the
// system's temporary directory (TMPDIR) and are removed at exit.

#include <koril/filesystem/Path.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace koril::bench {

namespace fs = std::filesystem;

// A fresh directory under the temporary directory, removed with everything in it.
class ScratchDirectory {
public:
    explicit ScratchDirectory(std::string const& name);
    ScratchDirectory(ScratchDirectory const&) = delete;
    ScratchDirectory& operator=(ScratchDirectory const&) = delete;
    ~ScratchDirectory();

    fs::path const& path() const { return path_; }
    fs::path operator/(std::string const& name) const { return path_ / name; }

private:
    fs::path path_;
};

koril::filesystem::Path toPath(fs::path const& path);
std::string shellQuoted(fs::path const& path);
// Runs a shell command; true when it exited with 0.
bool runCommand(std::string const& command);

void writeFile(fs::path const& path, std::string const& contents);

// The entry counts of the scaling runs.
std::vector<long> const& scalingSizes();
// Runs a benchmark once at each of them (`BENCHMARK(...)->Apply(atScalingSizes)`).
void atScalingSizes(benchmark::internal::Benchmark* benchmark);

// A tree of `files` files of 200 bytes, 100 to a directory, in `files / 100` directories below
// `root`: the shape of the removal, copy and comparison benchmarks.
void makeTree(fs::path const& root, long files);

// The name of entry `i` of a flat directory: one in seven ends in ".exe", so that listings
// exercise the executable test, the others in ".txt".
std::string flatEntryName(long i);
// `count` empty files named by `flatEntryName` in the new directory `directory`.
void makeFlat(fs::path const& directory, long count);
// A directory made by `makeFlat` on first use and kept.
fs::path const& flatDirectory(long count);
// The entries of a flat directory that the traversal benchmarks' pattern matches (one in ten).
char const* const flatPattern = "*7.txt";
long flatMatches(long count);

// Times one run of `operation` for a benchmark that uses manual time; `operation` says whether it
// did its job, and a failure ends the benchmark with an error.
void timeOnce(benchmark::State& state, std::function<bool()> const& operation);

// How far the process's peak resident memory rose above its resident memory while `operation`
// ran, in KiB; -1 where the system cannot tell.
long peakMemoryGrowthKiB(std::function<void()> const& operation);

} // namespace koril::bench

#endif
