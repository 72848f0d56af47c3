// Path construction, normalisation, joining and concatenation.
//
// Input: two texts, `a` and `b`. Checked:
// - the stored text is the given text with every `/` made `\` and then one leading "\\?\"
//   removed ("\\?\UNC" leaving a single `\` in its place); nothing else changes;
// - the constructors from `String` (copied and moved) and from UTF-8 agree;
// - `a / b` puts exactly one separator at the seam: the texts joined as they are when one side
//   brings a separator, with one added when neither does and one dropped when both do; an empty
//   side leaves the other unchanged;
// - `a + b` is the two texts one after the other; `appendSeparator` ends the text with exactly
//   the separators it had, or one more;
// - copies and moves keep the text, and self-assignment and self-joining behave.

#include "FuzzInput.h"
#include "TextOracle.h"

#include <koril/filesystem/Path.h>

#include <utility>

namespace {

using koril::filesystem::Path;
using koril::fuzz::describe;
using koril::fuzz::joinedWithOneSeparator;
using koril::unicode::String;

constexpr unsigned int kSeparator = '\\';

String expectedStoredText(String text) {
    for (auto& c : text)
        if (c == '/')
            c = kSeparator;
    String const prefix("\\\\?\\");
    if (text.substr(0, 4) != prefix)
        return text;
    if (text.substr(4, 3) == String("UNC"))
        return String(1, kSeparator) + text.substr(7);
    return text.substr(4);
}

bool holdsSurrogateOrBeyond(String const& text) {
    for (unsigned int const c : text)
        if (koril::fuzz::isHighSurrogate(c) || koril::fuzz::isLowSurrogate(c) || c > 0x10FFFF)
            return true;
    return false;
}

void checkConstruction(String const& given) {
    Path const path(given);
    String const expected = expectedStoredText(given);
    KORIL_FUZZ_CHECK(path.string() == expected,
                     describe(given) + " stored as " + describe(path.string()));
    KORIL_FUZZ_CHECK(path.size() == expected.size() && path.length() == expected.size(),
                     describe(given));
    KORIL_FUZZ_CHECK(path.empty() == expected.empty(), describe(given));
    String movable(given);
    KORIL_FUZZ_CHECK(Path(std::move(movable)).string() == expected, describe(given));
    // UTF-8 holds every code point except surrogates and values beyond U+10FFFF.
    if (!holdsSurrogateOrBeyond(given)) {
        std::string const utf8 = given.toUTF8String();
        KORIL_FUZZ_CHECK(Path(utf8).string() == expected, describe(given));
        if (utf8.find('\0') == std::string::npos) {
            KORIL_FUZZ_CHECK(Path(utf8.c_str()).string() == expected, describe(given));
        }
    }
}

void checkJoining(Path const& a, Path const& b) {
    String const joined = joinedWithOneSeparator(a.string(), b.string());
    KORIL_FUZZ_CHECK((a / b).string() == joined,
                     describe(a.string()) + " / " + describe(b.string()));
    KORIL_FUZZ_CHECK((Path(a) / b).string() == joined, describe(a.string()));
    Path inPlace(a);
    inPlace /= b;
    KORIL_FUZZ_CHECK(inPlace.string() == joined, describe(a.string()));

    KORIL_FUZZ_CHECK((a + b).string() == a.string() + b.string(), describe(a.string()));
    KORIL_FUZZ_CHECK((Path(a) + b).string() == a.string() + b.string(), describe(a.string()));

    // Joined with itself, through an alias.
    Path self(a);
    Path const& alias = self;
    self /= alias;
    KORIL_FUZZ_CHECK(self.string() == joinedWithOneSeparator(a.string(), a.string()),
                     describe(a.string()));
    Path selfSum(a);
    Path const& sumAlias = selfSum;
    selfSum += sumAlias;
    KORIL_FUZZ_CHECK(selfSum.string() == a.string() + a.string(), describe(a.string()));

    Path separated(a);
    separated.appendSeparator();
    String const& text = separated.string();
    bool const alreadyEnded = !a.empty() && a.string().back() == kSeparator;
    KORIL_FUZZ_CHECK(text == (alreadyEnded ? a.string() : a.string() + kSeparator),
                     describe(a.string()));
}

void checkCopyAndMove(Path const& a, Path const& b) {
    Path copy(a);
    KORIL_FUZZ_CHECK(copy.string() == a.string(), describe(a.string()));
    Path moved(std::move(copy));
    KORIL_FUZZ_CHECK(moved.string() == a.string(), describe(a.string()));
    copy = b; // a moved-from path may receive an assignment
    KORIL_FUZZ_CHECK(copy.string() == b.string(), describe(b.string()));
    Path& alias = moved;
    moved = alias;
    KORIL_FUZZ_CHECK(moved.string() == a.string(), describe(a.string()));
    moved = std::move(alias);
    KORIL_FUZZ_CHECK(moved.string() == a.string(), describe(a.string()));
    moved.clear();
    KORIL_FUZZ_CHECK(moved.empty() && moved.size() == 0, describe(a.string()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    auto const texts = koril::fuzz::textParts(data, size, 2);
    checkConstruction(texts[0]);
    checkConstruction(texts[1]);
    Path const a(texts[0]);
    Path const b(texts[1]);
    checkJoining(a, b);
    checkCopyAndMove(a, b);
    return 0;
}
