// WTF-8, the byte form of names on POSIX (`platform/posix/Wtf8.h`).
//
// Input: raw bytes, read two ways. Checked:
// - any sequence of UTF-16 units (the bytes read in pairs) survives `appendWtf8` and
//   `appendUtf16`; with the separator options `\` goes out as `/`, and `/` and `\` come back
//   as `\`;
// - `appendUtf16` over any bytes agrees with the string library's `decodeUtf8` with surrogates
//   admitted, sequence after sequence: a well-formed sequence gives its code point in UTF-16, an
//   ill-formed subpart one U+FFFD, and so does a low surrogate right after a high one (that
//   pair has a four-byte form of its own). Bytes without such replacements come back
//   unchanged from `appendWtf8`.

#include "FuzzInput.h"
#include "TextOracle.h"

#include "platform/posix/Wtf8.h"

#include <koril/unicode/Utf8.h>

#include <string>

namespace {

using koril::filesystem::platform::posix::appendUtf16;
using koril::filesystem::platform::posix::appendWtf8;
using koril::fuzz::describeUnits;
using koril::fuzz::isHighSurrogate;
using koril::fuzz::isLowSurrogate;

constexpr unsigned int kReplacement = 0xFFFD;

void checkUnits(std::uint8_t const* data, std::size_t size) {
    std::wstring const units = koril::fuzz::unitsOf(data, size);
    std::string bytes;
    appendWtf8(units.data(), units.size(), false, bytes);
    std::wstring back;
    appendUtf16(bytes.data(), bytes.size(), false, back);
    KORIL_FUZZ_CHECK(back == units, describeUnits(units));

    std::string slashed;
    appendWtf8(units.data(), units.size(), true, slashed);
    KORIL_FUZZ_CHECK(slashed.find('\\') == std::string::npos, describeUnits(units));
    std::wstring separated;
    appendUtf16(slashed.data(), slashed.size(), true, separated);
    std::wstring expected = units;
    for (auto& unit : expected)
        if (unit == L'/')
            unit = L'\\';
    KORIL_FUZZ_CHECK(separated == expected, describeUnits(units));
}

// libFuzzer hands over a buffer of exactly `size` bytes, so a read past the end of the input is
// seen by AddressSanitizer.
void checkBytes(std::uint8_t const* data, std::size_t size) {
    auto const* bytes = reinterpret_cast<char const*>(data);
    std::wstring units;
    appendUtf16(bytes, size, false, units);

    std::wstring expected;
    bool replaced = false;
    bool afterHigh = false;
    for (std::size_t i = 0; i < size;) {
        auto const sequence = koril::unicode::decodeUtf8(bytes + i, size - i, true);
        unsigned int c = sequence.codePoint;
        if (afterHigh && isLowSurrogate(c))
            c = kReplacement;
        replaced = replaced || !sequence.wellFormed || c != sequence.codePoint;
        afterHigh = isHighSurrogate(c);
        koril::fuzz::appendUtf16Form(c, expected);
        i += sequence.length;
    }
    KORIL_FUZZ_CHECK(units == expected,
                     describeUnits(units) + "instead of " + describeUnits(expected));
    if (!replaced) {
        std::string back;
        appendWtf8(units.data(), units.size(), false, back);
        KORIL_FUZZ_CHECK(back == std::string(bytes, size), describeUnits(units));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    checkUnits(data, size);
    checkBytes(data, size);
    return 0;
}
