// Path comparison against a plain oracle, and the laws that sorting relies on.
//
// Input: up to three texts, `a`, `b` and `c`. A missing `b` is `a` in NFD with the case of its
// ASCII letters swapped, a missing `c` is `a` with every code point replaced by its simple case
// folding, so that equal pairs are common. Checked:
// - oracle: the order is that of the NFD forms (`toNFD`) with every code point folded (ASCII by
//   `tolower`, the rest by `simpleCaseFold`), compared lexicographically; in particular two
//   paths are equal exactly when those folded forms are equal;
// - `comparePaths` gives -1, 0 or 1, is 0 for a path and itself, and is antisymmetric;
// - on the triple, order and equality are transitive;
// - every operator agrees with `comparePaths`, and a text operand (`String` or UTF-8) is
//   normalised first.

#include "FuzzInput.h"

#include <koril/filesystem/Path.h>

#include <algorithm>
#include <cctype>

namespace {

using koril::filesystem::comparePaths;
using koril::filesystem::Path;
using koril::fuzz::describe;
using koril::unicode::String;

String foldedNfd(String const& text) {
    String folded = koril::unicode::toNFD(text);
    for (auto& c : folded)
        c = c < 128 ? static_cast<unsigned int>(std::tolower(static_cast<int>(c)))
                    : koril::unicode::simpleCaseFold(c);
    return folded;
}

int oracle(Path const& a, Path const& b) {
    String const x = foldedNfd(a.string());
    String const y = foldedNfd(b.string());
    if (std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end()))
        return -1;
    if (std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end()))
        return 1;
    return 0;
}

std::string pair(Path const& a, Path const& b) {
    return describe(a.string()) + " vs " + describe(b.string());
}

void checkOrder(Path const& a, Path const& b) {
    int const order = comparePaths(a, b);
    KORIL_FUZZ_CHECK(order == oracle(a, b), pair(a, b) + " gave " + std::to_string(order));
    KORIL_FUZZ_CHECK(comparePaths(b, a) == -order, pair(a, b));
}

void checkOperators(Path const& a, Path const& b) {
    int const order = comparePaths(a, b);
    KORIL_FUZZ_CHECK((a == b) == (order == 0) && (a != b) == (order != 0), pair(a, b));
    KORIL_FUZZ_CHECK((a < b) == (order < 0) && (a <= b) == (order <= 0), pair(a, b));
    KORIL_FUZZ_CHECK((a > b) == (order > 0) && (a >= b) == (order >= 0), pair(a, b));
    // A text operand becomes a path, normalised, before it is compared.
    String const& text = b.string();
    bool const equalToText = comparePaths(a, Path(text)) == 0;
    KORIL_FUZZ_CHECK((a == text) == equalToText && (a != text) == !equalToText, pair(a, b));
    KORIL_FUZZ_CHECK((text == a) == equalToText && (text != a) == !equalToText, pair(a, b));
    std::string const utf8 = text.toUTF8String();
    if (utf8.find('\0') == std::string::npos && String(utf8) == text) {
        char const* const narrow = utf8.c_str();
        KORIL_FUZZ_CHECK((a == narrow) == equalToText && (a != narrow) == !equalToText, pair(a, b));
        KORIL_FUZZ_CHECK((narrow == a) == equalToText && (narrow != a) == !equalToText, pair(a, b));
    }
}

// Transitivity over every ordered triple drawn from the paths, given their order matrix.
void checkTransitivity(Path const* const (&paths)[3], int const (&order)[3][3]) {
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            for (int z = 0; z < 3; ++z) {
                int const xy = order[x][y];
                int const yz = order[y][z];
                int const xz = order[x][z];
                bool const transitive = (!(xy <= 0 && yz <= 0) || xz <= 0) &&
                                        (!(xy == 0 && yz == 0) || xz == 0) &&
                                        (!(xy < 0 && yz <= 0) || xz < 0);
                KORIL_FUZZ_CHECK(transitive, describe(paths[x]->string()) + " vs " +
                                                 describe(paths[y]->string()) + " vs " +
                                                 describe(paths[z]->string()));
            }
}

String swappedAsciiCase(String text) {
    for (auto& c : text)
        if (c < 128 && std::isalpha(static_cast<int>(c)))
            c ^= 0x20;
    return text;
}

String simplyFolded(String text) {
    for (auto& c : text)
        c = koril::unicode::simpleCaseFold(c);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    auto const parts = koril::fuzz::byteParts(data, size, 3);
    String const first = koril::fuzz::textOf(parts[0]);
    Path const a(first);
    Path const b(parts.size() > 1 ? koril::fuzz::textOf(parts[1])
                                  : swappedAsciiCase(koril::unicode::toNFD(first)));
    Path const c(parts.size() > 2 ? koril::fuzz::textOf(parts[2]) : simplyFolded(first));
    checkOrder(a, b);
    checkOrder(a, c);
    checkOrder(b, c);
    checkOperators(a, b);
    Path const* const paths[] = {&a, &b, &c};
    int order[3][3];
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            order[x][y] = comparePaths(*paths[x], *paths[y]);
    for (int x = 0; x < 3; ++x)
        KORIL_FUZZ_CHECK(order[x][x] == 0, describe(paths[x]->string()));
    checkTransitivity(paths, order);
    return 0;
}
