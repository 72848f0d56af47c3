#include <koril/filesystem/Path.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

using koril::filesystem::comparePaths;
using koril::filesystem::Path;
using koril::unicode::String;

Path codePoints(std::u32string const& text) {
    return Path(String(String::storage_type(text.begin(), text.end())));
}

struct OrderCase {
    std::u32string left;
    std::u32string right;
    int expected;
};

void expectOrder(Path const& left, Path const& right, int expected) {
    SCOPED_TRACE(left.string().toUTF8String() + " | " + right.string().toUTF8String());
    EXPECT_EQ(comparePaths(left, right), expected);
    EXPECT_EQ(comparePaths(right, left), -expected);
    EXPECT_EQ(left == right, expected == 0);
    EXPECT_EQ(left != right, expected != 0);
    EXPECT_EQ(left < right, expected < 0);
    EXPECT_EQ(left <= right, expected <= 0);
    EXPECT_EQ(left > right, expected > 0);
    EXPECT_EQ(left >= right, expected >= 0);
}

TEST(PathComparison, IgnoresCaseAndCompositionButNotSeparators) {
    OrderCase const cases[] = {
        {UR"(C:\Dir\File)", UR"(c:\dir\file)", 0},
        {U"\u00E9", U"e\u0301", 0},
        {U"x\u1E69y", U"xs\u0323\u0307y", 0}, // marks in canonical order
        {U"x\u1E69y", U"xs\u0307\u0323y", 0}, // marks out of canonical order
        {U"\u212B", U"a\u030A", 0},           // the Angstrom sign is A with a ring
        {U"\u0130", U"i\u0307", 0},           // capital I with dot: decomposes to I + dot
        {U"\u00DF", U"ss", 1},                // no full case folding
        {UR"(C:\dir)", UR"(C:\dir\)", -1},
        {U"ab", U"abc", -1},
        {UR"(a\b)", U"a.b", 1},
        {U"", U"a", -1},
        {U"a\u0000"s, U"a", 1}, // an embedded NUL still makes it longer
        {U"a", U"a\u0000b"s, -1},
        {U"\U0001F600", U"\U0001F601", -1},
        {U"\xD800", U"\xDC00", -1}, // lone surrogates compare as code points
        {U"abc\u00E9", U"ABD", -1},
        {U"\u00E9A\u00FC", U"\u00E9b\u00FC", -1}, // decided on an ASCII pair between accents
        {U"\u00E9X\u0301", U"\u00E9x\u0301", 0},
        {U"x\u0363", U"x\u0363\u0323", 1}, // the longer text's marks reorder
    };
    for (auto const& c : cases)
        expectOrder(codePoints(c.left), codePoints(c.right), c.expected);
}

// Only 'A' to 'Z' fold, and to the small letters: the neighbours of both ends ('@', '[', '`',
// '{') stay as they are, and the folded value decides the order ('_' lies between the two
// cases). Each pair is compared alone, where the raw texts decide, and after a prefix that
// only NFD makes equal, where the normalised texts do.
TEST(PathComparison, FoldsExactlyTheAsciiLetters) {
    OrderCase const pairs[] = {
        {U"A", U"a", 0},  {U"Z", U"z", 0}, {U"@", U"`", -1}, {U"[", U"{", -1},
        {U"A", U"_", 1},  {U"Z", U"_", 1}, {U"[", U"a", -1}, {U"@", U"A", -1},
        {U"a", U"B", -1}, {U"B", U"a", 1}, {U"`", U"a", -1}, {U"{", U"Z", 1},
    };
    struct Context {
        std::u32string left;
        std::u32string right;
    } const contexts[] = {
        {U"", U""},
        {U"\u00E9", U"e\u0301"},
        {U"\u00C9\u03A3", U"e\u0301\u03C3"},
    };
    for (auto const& context : contexts)
        for (auto const& pair : pairs)
            expectOrder(codePoints(context.left + pair.left + U"x"),
                        codePoints(context.right + pair.right + U"x"), pair.expected);
}

// Runs of letters reach the comparison only after NFD (a lone letter between ASCII characters
// is decided on the raw texts), so these fail if the simple case folding after NFD is lost. The
// orders differ from those of the unfolded code points. The Latin-1 letters and the micro sign
// lie just above the 128 boundary, where ASCII folding stops and simple case folding starts.
TEST(PathComparison, FoldsRunsOfLettersInEveryScript) {
    OrderCase const cases[] = {
        // Greek: a word, a final sigma, letters with tonos (decomposed by NFD).
        {U"\u03A9\u039C\u0395\u0393\u0391", U"\u03C9\u03BC\u03B5\u03B3\u03B1", 0},
        {U"\u039F\u0394\u039F\u03A3", U"\u03BF\u03B4\u03BF\u03C2", 0},
        {U"\u0386\u0388\u0389", U"\u03AC\u03AD\u03AE", 0},
        {U"\u0391\u0393", U"\u03B1\u03B2", 1},
        {U"C:\\\u0391\u0398\u0397\u039D\u0391\\\u039A",
         U"c:\\\u03B1\u03B8\u03B7\u03BD\u03B1\\\u03BA", 0},
        // Cyrillic, with a letter decomposed on one side only.
        {U"\u041C\u041E\u0421\u041A\u0412\u0410", U"\u043C\u043E\u0441\u043A\u0432\u0430", 0},
        {U"\u0401\u0416", U"\u0435\u0308\u0436", 0},
        {U"\u042F\u0411", U"\u044F\u0430", 1},
        // Deseret, above the BMP.
        {U"\U00010400\U00010401\U00010402", U"\U00010428\U00010429\U0001042A", 0},
        {U"\U00010401\U00010400", U"\U00010428\U00010428", 1},
        // Just above 128: Latin-1 letters, the micro sign (folds to mu), the long s and the
        // Kelvin sign (fold to ASCII letters).
        {U"\u00C6\u00D8\u00DE", U"\u00E6\u00F8\u00FE", 0},
        {U"\u00B5\u00B5", U"\u03BC\u039C", 0},
        {U"\u017F\u017F", U"sS", 0},
        {U"\u212A\u212A", U"kK", 0},
        // A lone letter between ASCII characters, decided on the raw texts.
        {U"a\U00010400b", U"A\U00010428B", 0},
    };
    for (auto const& c : cases)
        expectOrder(codePoints(c.left), codePoints(c.right), c.expected);
}

// Sorting relies on a strict weak ordering that agrees with equality.
TEST(PathComparison, OrderIsConsistentOverMixedTexts) {
    std::u32string const texts =
        U"a|A|B|bx|By|\u00E9|E\u0301|e|\u00C9t\u00E9|_|[|\u03A9|\u03C9|a\\b|a.b||"
        U"\U0001F600|\xDBFF|\u00DF|ss|z\u0301\u0323|z\u0323\u0301|\u212A|k";
    std::vector<Path> paths;
    for (std::size_t start = 0, end = 0; end != std::u32string::npos; start = end + 1) {
        end = texts.find(U'|', start);
        paths.push_back(codePoints(texts.substr(start, end - start)));
    }
    for (auto const& a : paths) {
        EXPECT_EQ(comparePaths(a, a), 0);
        for (auto const& b : paths) {
            int const ab = comparePaths(a, b);
            ASSERT_EQ(ab, -comparePaths(b, a));
            for (auto const& c : paths) {
                int const bc = comparePaths(b, c);
                int const ac = comparePaths(a, c);
                if (ab <= 0 && bc <= 0) {
                    ASSERT_LE(ac, 0)
                        << a.string().toUTF8String() << " | " << b.string().toUTF8String() << " | "
                        << c.string().toUTF8String();
                }
                if (ab == 0 && bc == 0) {
                    ASSERT_EQ(ac, 0);
                }
            }
        }
    }
    std::vector<Path> names = {Path("By"), Path("a"), Path("bx")};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<Path>{Path("a"), Path("bx"), Path("By")}));
}

// Comparison takes a pair of lone code points with the same simple case folding as equal
// without decomposing them; that holds only while their decompositions fold alike.
TEST(PathComparison, CodePointsThatFoldAlikeDecomposeAlike) {
    auto foldedNfd = [](unsigned int c) {
        String folded = koril::unicode::toNFD(String(1, c));
        for (auto& codePoint : folded)
            codePoint = koril::unicode::simpleCaseFold(codePoint);
        return folded;
    };
    int checked = 0;
    for (unsigned int c = 0; c <= 0x10FFFF; ++c) {
        unsigned int const folded = koril::unicode::simpleCaseFold(c);
        if (folded == c)
            continue;
        ASSERT_EQ(foldedNfd(c), foldedNfd(folded)) << std::hex << c;
        ++checked;
    }
    EXPECT_GT(checked, 1000);
    EXPECT_EQ(comparePaths(codePoints(U"a\u1F88b"), codePoints(U"A\u1F80B")), 0);
}

} // namespace
