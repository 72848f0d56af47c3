// Path comparison against ICU's canonical, case-insensitive comparison and a plain ASCII
// case-insensitive loop; Path construction and decomposition against std::filesystem::path.

#include <koril/filesystem/Path.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#if defined(KORIL_HAVE_ICU)
#include <unicode/unorm.h>
#endif

namespace {

using koril::filesystem::Path;
using koril::unicode::String;

// Equal pairs that differ in letter case, 60 to 100 code points long.
struct Pair {
    char const* left;
    char const* right;
};

Pair const kAscii = {R"(C:\Users\Developer\Projects\Koril\filesystem\src\PathComparison.cpp)",
                     R"(c:\users\developer\projects\koril\FILESYSTEM\SRC\pathcomparison.CPP)"};
// Latin text with precomposed accents (NFC), as typed and as Windows stores most names.
Pair const kPrecomposed = {"C:\\Utilisateurs\\H\xC3\xA9l\xC3\xA8ne\\Documents\\R\xC3\xA9"
                           "f\xC3\xA9rences\\R\xC3\xA9sum\xC3\xA9 de l'ann\xC3\xA9"
                           "e \xC3\xA9t\xC3\xA9 2024.docx",
                           "c:\\utilisateurs\\H\xC3\x89L\xC3\x88NE\\documents\\r\xC3\xA9"
                           "f\xC3\xA9rences\\R\xC3\x89SUM\xC3\x89 DE L'ANN\xC3\x89"
                           "E \xC3\x89T\xC3\x89 2024.DOCX"};
// The same names decomposed (NFD), as some file systems and tools store them.
Pair const kDecomposed = {"C:\\Utilisateurs\\He\xCC\x81le\xCC\x80ne\\Documents\\Re\xCC\x81"
                          "fe\xCC\x81rences\\Re\xCC\x81sume\xCC\x81 de l'anne\xCC\x81"
                          "e e\xCC\x81te\xCC\x81 2024.docx",
                          "c:\\utilisateurs\\HE\xCC\x81LE\xCC\x80NE\\documents\\re\xCC\x81"
                          "fe\xCC\x81rences\\RE\xCC\x81SUME\xCC\x81 DE L'ANNE\xCC\x81"
                          "E E\xCC\x81TE\xCC\x81 2024.DOCX"};
// One side precomposed, the other decomposed.
Pair const kMixed = {kPrecomposed.left, kDecomposed.right};
// Precomposed and spelled alike, as when a path is looked up in a listing of its directory.
Pair const kPrecomposedSameCase = {kPrecomposed.left, kPrecomposed.left};

Pair const& pairFor(int which) {
    switch (which) {
    case 0:
        return kAscii;
    case 1:
        return kPrecomposed;
    case 2:
        return kDecomposed;
    case 3:
        return kMixed;
    default:
        return kPrecomposedSameCase;
    }
}

char const* const kInputNames[] = {"ascii", "precomposed", "decomposed", "mixed",
                                   "precomposed-same-case"};

void BM_ComparePaths_Koril(benchmark::State& state) {
    Pair const& pair = pairFor(static_cast<int>(state.range(0)));
    Path const left(pair.left);
    Path const right(pair.right);
    if (koril::filesystem::comparePaths(left, right) != 0)
        state.SkipWithError("pair does not compare equal");
    for (auto _ : state) {
        benchmark::DoNotOptimize(koril::filesystem::comparePaths(left, right));
    }
    state.SetLabel(kInputNames[state.range(0)]);
}
BENCHMARK(BM_ComparePaths_Koril)->DenseRange(0, 4);

#if defined(KORIL_HAVE_ICU)
std::u16string toUtf16(char const* utf8) {
    std::wstring const wide = String(utf8).toNativeString();
    return std::u16string(wide.begin(), wide.end());
}

void BM_ComparePaths_IcuUnormCompare(benchmark::State& state) {
    Pair const& pair = pairFor(static_cast<int>(state.range(0)));
    std::u16string const left = toUtf16(pair.left);
    std::u16string const right = toUtf16(pair.right);
    UErrorCode status = U_ZERO_ERROR;
    if (unorm_compare(left.data(), static_cast<int32_t>(left.size()), right.data(),
                      static_cast<int32_t>(right.size()), U_COMPARE_IGNORE_CASE, &status) != 0)
        state.SkipWithError("pair does not compare equal");
    for (auto _ : state) {
        status = U_ZERO_ERROR;
        benchmark::DoNotOptimize(unorm_compare(left.data(), static_cast<int32_t>(left.size()),
                                               right.data(), static_cast<int32_t>(right.size()),
                                               U_COMPARE_IGNORE_CASE, &status));
    }
    state.SetLabel(kInputNames[state.range(0)]);
}
BENCHMARK(BM_ComparePaths_IcuUnormCompare)->DenseRange(0, 4);
#endif

int compareAsciiIgnoringCase(std::string const& a, std::string const& b) {
    std::size_t const common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (static_cast<unsigned int>(x - 'A') < 26u)
            x += 32;
        if (static_cast<unsigned int>(y - 'A') < 26u)
            y += 32;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void BM_ComparePaths_PlainAsciiLoop(benchmark::State& state) {
    std::string const left = kAscii.left;
    std::string const right = kAscii.right;
    for (auto _ : state) {
        benchmark::DoNotOptimize(compareAsciiIgnoringCase(left, right));
    }
    state.SetLabel("ascii");
}
BENCHMARK(BM_ComparePaths_PlainAsciiLoop);

// Forward slashes, so that std::filesystem::path sees the same elements on POSIX.
char const* const kPathText =
    "C:/Users/Developer/Projects/Koril/filesystem/src/PathDecomposition.test.cpp";

void BM_PathConstruct_Koril(benchmark::State& state) {
    std::string const text = kPathText;
    for (auto _ : state) {
        Path p(text);
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_PathConstruct_Koril);

void BM_PathConstruct_StdFilesystemPath(benchmark::State& state) {
    std::string const text = kPathText;
    for (auto _ : state) {
        std::filesystem::path p(text);
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_PathConstruct_StdFilesystemPath);

template <class Query> void runPathQuery(benchmark::State& state, Query query) {
    Path const p(kPathText);
    for (auto _ : state) {
        Path part = query(p);
        benchmark::DoNotOptimize(part);
    }
}

template <class Query> void runStdPathQuery(benchmark::State& state, Query query) {
    std::filesystem::path const p(kPathText);
    for (auto _ : state) {
        std::filesystem::path part = query(p);
        benchmark::DoNotOptimize(part);
    }
}

void BM_PathParentPath_Koril(benchmark::State& state) {
    runPathQuery(state, [](Path const& p) { return p.parentPath(); });
}
void BM_PathParentPath_StdFilesystemPath(benchmark::State& state) {
    runStdPathQuery(state, [](std::filesystem::path const& p) { return p.parent_path(); });
}
void BM_PathFilename_Koril(benchmark::State& state) {
    runPathQuery(state, [](Path const& p) { return p.filename(); });
}
void BM_PathFilename_StdFilesystemPath(benchmark::State& state) {
    runStdPathQuery(state, [](std::filesystem::path const& p) { return p.filename(); });
}
void BM_PathStem_Koril(benchmark::State& state) {
    runPathQuery(state, [](Path const& p) { return p.stem(); });
}
void BM_PathStem_StdFilesystemPath(benchmark::State& state) {
    runStdPathQuery(state, [](std::filesystem::path const& p) { return p.stem(); });
}
void BM_PathExtension_Koril(benchmark::State& state) {
    runPathQuery(state, [](Path const& p) { return p.extension(); });
}
void BM_PathExtension_StdFilesystemPath(benchmark::State& state) {
    runStdPathQuery(state, [](std::filesystem::path const& p) { return p.extension(); });
}
BENCHMARK(BM_PathParentPath_Koril);
BENCHMARK(BM_PathParentPath_StdFilesystemPath);
BENCHMARK(BM_PathFilename_Koril);
BENCHMARK(BM_PathFilename_StdFilesystemPath);
BENCHMARK(BM_PathStem_Koril);
BENCHMARK(BM_PathStem_StdFilesystemPath);
BENCHMARK(BM_PathExtension_Koril);
BENCHMARK(BM_PathExtension_StdFilesystemPath);

} // namespace
