#include "BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <system_error>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace koril::bench {

ScratchDirectory::ScratchDirectory(std::string const& name)
    : path_(fs::temp_directory_path() / (name + "-" + std::to_string(std::random_device()()))) {
    fs::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

koril::filesystem::Path toPath(fs::path const& path) {
    return koril::filesystem::Path(path.u8string());
}

std::string shellQuoted(fs::path const& path) {
    return "'" + path.string() + "'";
}

bool runCommand(std::string const& command) {
    return std::system(command.c_str()) == 0;
}

void writeFile(fs::path const& path, std::string const& contents) {
    std::FILE* const file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr)
        return;
    std::fwrite(contents.data(), 1, contents.size(), file);
    std::fclose(file);
}

std::vector<long> const& scalingSizes() {
    static std::vector<long> const sizes = {1000, 10000, 100000};
    return sizes;
}

void atScalingSizes(benchmark::internal::Benchmark* benchmark) {
    for (long const size : scalingSizes())
        benchmark->Arg(size);
}

void makeTree(fs::path const& root, long files) {
    std::string const contents(200, 'x');
    for (long d = 0; d < files / 100; ++d) {
        fs::path const directory = root / ("dir" + std::to_string(d));
        fs::create_directories(directory);
        for (int f = 0; f < 100; ++f)
            writeFile(directory / ("file" + std::to_string(f) + ".txt"), contents);
    }
}

std::string flatEntryName(long i) {
    return "entry" + std::to_string(i) + (i % 7 == 0 ? ".exe" : ".txt");
}

void makeFlat(fs::path const& directory, long count) {
    fs::create_directories(directory);
    for (long i = 0; i < count; ++i)
        writeFile(directory / flatEntryName(i), std::string());
}

fs::path const& flatDirectory(long count) {
    static ScratchDirectory const root("koril-bench-flat");
    static std::map<long, fs::path> made;
    auto const found = made.find(count);
    if (found != made.end())
        return found->second;
    fs::path const directory = root / std::to_string(count);
    makeFlat(directory, count);
    return made.emplace(count, directory).first->second;
}

long flatMatches(long count) {
    long matches = 0;
    for (long i = 0; i < count; ++i)
        matches += i % 10 == 7 && i % 7 != 0;
    return matches;
}

void timeOnce(benchmark::State& state, std::function<bool()> const& operation) {
    auto const start = std::chrono::steady_clock::now();
    bool const done = operation();
    std::chrono::duration<double> const elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    if (!done)
        state.SkipWithError("the operation failed");
}

namespace {

// A field of /proc/self/status in KiB, or -1.
long statusField(char const* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    std::string const prefix = std::string(name) + ":";
    while (std::getline(status, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return -1;
}

} // namespace

long peakMemoryGrowthKiB(std::function<void()> const& operation) {
#if defined(__GLIBC__)
    // Freed memory that the allocator still holds would hide what the operation needs.
    malloc_trim(0);
#endif
    // Writing 5 resets the peak to the current resident size (Linux).
    std::ofstream reset("/proc/self/clear_refs");
    if (!(reset << "5" << std::flush))
        return -1;
    long const before = statusField("VmRSS");
    operation();
    long const peak = statusField("VmHWM");
    return before < 0 || peak < 0 ? -1 : peak - before;
}

} // namespace koril::bench
