// Glob matching with regular-expression patterns against the standard library's std::wregex,
// which did the matching before: per call (compile and match, as `matchesGlobPattern` does) and
// per name with the pattern compiled once (as the traversals do).

#include "RegexMatcher.h"

#include <koril/filesystem/Operations.h>

#include <benchmark/benchmark.h>

#include <regex>
#include <string>

namespace {

using koril::filesystem::Path;
using koril::unicode::String;

struct Case {
    char const* pattern;      // glob
    wchar_t const* rewritten; // the expression it becomes
    char const* name;
};

Case const kCases[] = {
    {"[ab]*.txt", L"[ab].*.txt", "alpha_report_2024.txt"},
    {"(log|tmp)*", L"(log|tmp).*", "tmp_cache_0042.dat"},
    {"data[0-9]{2}?.bin", L"data[0-9]{2}..bin", "data17x.bin"},
    {"*-\\d{4}-\\d\\d-\\d\\d.log", L".*-\\d{4}-\\d\\d-\\d\\d.log", "server-2026-12-05.log"},
    {"(a|b)*\\1.txt", L"(a|b).*\\1.txt", "abracadabra_b.txt"},
};

void label(benchmark::State& state) {
    state.SetLabel(kCases[state.range(0)].pattern);
}

void BM_GlobMatch_Koril(benchmark::State& state) {
    Case const& c = kCases[state.range(0)];
    Path const path(c.name);
    String const pattern(c.pattern);
    for (auto _ : state)
        benchmark::DoNotOptimize(koril::filesystem::matchesGlobPattern(path, pattern));
    label(state);
}
BENCHMARK(BM_GlobMatch_Koril)->DenseRange(0, 4);

// With the text conversions that `matchesGlobPattern` made before it had an engine of its own.
void BM_GlobMatch_StdWregex(benchmark::State& state) {
    Case const& c = kCases[state.range(0)];
    Path const path(c.name);
    String const pattern(c.pattern);
    for (auto _ : state) {
        benchmark::DoNotOptimize(pattern.toWString());
        std::wregex const regex(c.rewritten, std::regex_constants::ECMAScript);
        benchmark::DoNotOptimize(std::regex_match(path.string().toWString(), regex));
    }
    label(state);
}
BENCHMARK(BM_GlobMatch_StdWregex)->DenseRange(0, 4);

void BM_GlobMatchCompiled_Koril(benchmark::State& state) {
    Case const& c = kCases[state.range(0)];
    std::wstring const name = String(c.name).toWString();
    auto const program = koril::filesystem::detail::compileRegex(c.rewritten);
    for (auto _ : state)
        benchmark::DoNotOptimize(koril::filesystem::detail::matchRegex(program, name));
    label(state);
}
BENCHMARK(BM_GlobMatchCompiled_Koril)->DenseRange(0, 4);

void BM_GlobMatchCompiled_StdWregex(benchmark::State& state) {
    Case const& c = kCases[state.range(0)];
    std::wstring const name = String(c.name).toWString();
    std::wregex const regex(c.rewritten, std::regex_constants::ECMAScript);
    for (auto _ : state)
        benchmark::DoNotOptimize(std::regex_match(name, regex));
    label(state);
}
BENCHMARK(BM_GlobMatchCompiled_StdWregex)->DenseRange(0, 4);

// The wildcard-only path, which never reaches either engine.
void BM_GlobMatchWildcards_Koril(benchmark::State& state) {
    Path const path("alpha_report_2024.txt");
    String const pattern("*_????.txt");
    for (auto _ : state)
        benchmark::DoNotOptimize(koril::filesystem::matchesGlobPattern(path, pattern));
}
BENCHMARK(BM_GlobMatchWildcards_Koril);

} // namespace
