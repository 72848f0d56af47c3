// UTF-8 and UTF-16 conversions of the string library.
//
// Input: raw bytes, read three ways. Checked:
// - `decodeUtf8`, at every offset and in both modes, against the table of well-formed byte
//   sequences of the Unicode standard: it takes the whole sequence when the bytes start one,
//   and otherwise the maximal subpart (the longest prefix of some well-formed sequence, at
//   least one byte) as U+FFFD; a well-formed sequence encodes back to the same bytes. A read
//   past the end of the input is seen by AddressSanitizer;
// - `String(std::string)` decodes as `decodeUtf8` in strict mode does, sequence after sequence,
//   and valid UTF-8 survives decoding and encoding unchanged;
// - any sequence of UTF-16 units (the bytes read in pairs) survives `String(std::wstring)` and
//   `toNativeString`/`toWString`;
// - any code points (the bytes read in threes, 21 bits each, and a few beyond U+10FFFF)
//   survive `toNativeString` and `String(std::wstring)`, except that a high surrogate followed
//   by a low one comes back as their pair's code point and a value beyond U+10FFFF as U+FFFD;
//   they survive `toUTF8String` and decoding with surrogates admitted, and, without surrogates,
//   `String(std::string)`.

#include "FuzzInput.h"
#include "TextOracle.h"

#include <koril/unicode/String.h>
#include <koril/unicode/Utf8.h>

#include <string>

namespace {

using koril::fuzz::describe;
using koril::fuzz::describeBytes;
using koril::fuzz::describeUnits;
using koril::fuzz::isHighSurrogate;
using koril::fuzz::isLowSurrogate;
using koril::unicode::decodeUtf8;
using koril::unicode::String;

constexpr unsigned int kReplacement = 0xFFFD;

// One row of the table of well-formed UTF-8 byte sequences: the allowed range of each byte.
struct Row {
    unsigned char count;
    unsigned char low[4];
    unsigned char high[4];
};

constexpr Row kWellFormed[] = {
    {1, {0x00}, {0x7F}},
    {2, {0xC2, 0x80}, {0xDF, 0xBF}},
    {3, {0xE0, 0xA0, 0x80}, {0xE0, 0xBF, 0xBF}},
    {3, {0xE1, 0x80, 0x80}, {0xEC, 0xBF, 0xBF}},
    {3, {0xED, 0x80, 0x80}, {0xED, 0x9F, 0xBF}},
    {3, {0xEE, 0x80, 0x80}, {0xEF, 0xBF, 0xBF}},
    {4, {0xF0, 0x90, 0x80, 0x80}, {0xF0, 0xBF, 0xBF, 0xBF}},
    {4, {0xF1, 0x80, 0x80, 0x80}, {0xF3, 0xBF, 0xBF, 0xBF}},
    {4, {0xF4, 0x80, 0x80, 0x80}, {0xF4, 0x8F, 0xBF, 0xBF}},
};
// The surrogate forms that generalised UTF-8 (and WTF-8) add.
constexpr Row kSurrogates = {3, {0xED, 0xA0, 0x80}, {0xED, 0xBF, 0xBF}};

bool rowStarts(Row const& row, unsigned char const* bytes, std::size_t length) {
    if (length > row.count)
        return false;
    for (std::size_t i = 0; i < length; ++i)
        if (bytes[i] < row.low[i] || bytes[i] > row.high[i])
            return false;
    return true;
}

struct Expected {
    std::size_t length;
    bool wellFormed;
};

Expected expectedSequence(unsigned char const* bytes, std::size_t size, bool admitSurrogates) {
    Expected best{1, false};
    auto consider = [&](Row const& row) {
        for (std::size_t length = 1; length <= row.count && length <= size; ++length) {
            if (!rowStarts(row, bytes, length))
                break;
            if (length > best.length || (length == best.length && length == row.count))
                best = {length, length == row.count};
        }
    };
    for (Row const& row : kWellFormed)
        consider(row);
    if (admitSurrogates)
        consider(kSurrogates);
    return best;
}

// libFuzzer hands over a buffer of exactly `size` bytes, so a read past the end of the input is
// seen by AddressSanitizer.
void checkDecoder(std::uint8_t const* data, std::size_t size) {
    auto const* bytes = reinterpret_cast<char const*>(data);
    for (std::size_t offset = 0; offset < size; ++offset) {
        std::size_t const available = size - offset;
        for (bool const admitSurrogates : {false, true}) {
            auto const sequence = decodeUtf8(bytes + offset, available, admitSurrogates);
            Expected const expected =
                expectedSequence(data + offset, available < 4 ? available : 4, admitSurrogates);
            auto const what = [&] {
                return describeBytes(data + offset, available < 4 ? available : 4) +
                       (admitSurrogates ? "with" : "without") + " surrogates";
            };
            KORIL_FUZZ_CHECK(sequence.length == expected.length &&
                                 sequence.wellFormed == expected.wellFormed,
                             what() + ": took " + std::to_string(sequence.length));
            KORIL_FUZZ_CHECK(sequence.wellFormed || sequence.codePoint == kReplacement, what());
            if (!sequence.wellFormed)
                continue;
            std::string encoded;
            koril::unicode::appendUtf8(sequence.codePoint, encoded);
            KORIL_FUZZ_CHECK(encoded == std::string(bytes + offset, sequence.length),
                             what() + ": decoded as " + std::to_string(sequence.codePoint));
        }
    }
}

void checkStrictDecoding(std::uint8_t const* data, std::size_t size) {
    std::string const bytes(reinterpret_cast<char const*>(data), size);
    String expected;
    bool valid = true;
    for (std::size_t i = 0; i < size;) {
        auto const sequence = decodeUtf8(bytes.data() + i, size - i, false);
        expected += sequence.codePoint;
        valid = valid && sequence.wellFormed;
        i += sequence.length;
    }
    String const decoded(bytes);
    KORIL_FUZZ_CHECK(decoded == expected, describeBytes(data, size));
    if (valid) {
        KORIL_FUZZ_CHECK(decoded.toUTF8String() == bytes, describeBytes(data, size));
    }
}

void checkUnitRoundTrip(std::uint8_t const* data, std::size_t size) {
    std::wstring const units = koril::fuzz::unitsOf(data, size);
    String const text(units);
    KORIL_FUZZ_CHECK(text.toNativeString() == units, describeUnits(units));
    KORIL_FUZZ_CHECK(text.toWString() == units, describeUnits(units));
    KORIL_FUZZ_CHECK(text.size() <= units.size(), describeUnits(units));
}

void checkCodePointRoundTrips(std::uint8_t const* data, std::size_t size) {
    String text;
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        unsigned int const value = (data[i] << 16 | data[i + 1] << 8 | data[i + 2]);
        // Most values land in the code space; those with every top bit set go beyond it.
        text += (value & 0xE00000) == 0xE00000 ? value : value & 0x1FFFFF;
    }
    String expectedBack;
    bool hasSurrogate = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned int const c = text[i];
        hasSurrogate = hasSurrogate || isHighSurrogate(c) || isLowSurrogate(c);
        if (c > 0x10FFFF) {
            expectedBack += kReplacement;
        } else if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            expectedBack += 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else {
            expectedBack += c;
        }
    }
    KORIL_FUZZ_CHECK(String(text.toNativeString()) == expectedBack, describe(text));

    String withoutPairs;
    for (unsigned int const c : text)
        withoutPairs += c > 0x10FFFF ? kReplacement : c;
    std::string const utf8 = text.toUTF8String();
    String generalised;
    for (std::size_t i = 0; i < utf8.size();) {
        auto const sequence = decodeUtf8(utf8.data() + i, utf8.size() - i, true);
        KORIL_FUZZ_CHECK(sequence.wellFormed, describe(text));
        generalised += sequence.codePoint;
        i += sequence.length;
    }
    KORIL_FUZZ_CHECK(generalised == withoutPairs, describe(text));
    if (!hasSurrogate) {
        KORIL_FUZZ_CHECK(String(utf8) == withoutPairs, describe(text));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    checkDecoder(data, size);
    checkStrictDecoding(data, size);
    checkUnitRoundTrip(data, size);
    checkCodePointRoundTrips(data, size);
    return 0;
}
