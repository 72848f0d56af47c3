// WTF-8, the byte form of names on POSIX (`platform/posix/Wtf8.h`).
//
// Input: raw bytes, read two ways. Checked:
// - any sequence of UTF-16 units (the bytes read in pairs) survives `appendWtf8` and
//   `appendUtf16`; with the separator options `\` goes out as `/`, and `/` and `\` come back
//   as `\`;
// - `appendUtf16` over any bytes (a buffer of exactly those bytes, so AddressSanitizer sees any
//   read past them) agrees with the string library's `decodeUtf8` with surrogates admitted,
//   sequence after sequence: a well-formed sequence gives its code point in UTF-16, an
//   ill-formed subpart one U+FFFD, and so does a low surrogate right after a high one (that
//   pair has a four-byte form of its own). Bytes without such replacements come back
//   unchanged from `appendWtf8`.

#include "FuzzInput.h"

#include "platform/posix/Wtf8.h"

#include <koril/unicode/Utf8.h>

#include <memory>
#include <string>

namespace {

using koril::filesystem::platform::posix::appendUtf16;
using koril::filesystem::platform::posix::appendWtf8;

constexpr unsigned int kReplacement = 0xFFFD;

std::string hex(std::wstring const& units) {
    std::string out;
    for (wchar_t const unit : units)
        out += std::to_string(static_cast<unsigned int>(unit)) + " ";
    return out;
}

void checkUnits(std::uint8_t const* data, std::size_t size) {
    std::wstring units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<wchar_t>(data[i] << 8 | data[i + 1]));

    std::string bytes;
    appendWtf8(units.data(), units.size(), false, bytes);
    std::wstring back;
    appendUtf16(bytes.data(), bytes.size(), false, back);
    KORIL_FUZZ_CHECK(back == units, hex(units));

    std::string slashed;
    appendWtf8(units.data(), units.size(), true, slashed);
    KORIL_FUZZ_CHECK(slashed.find('\\') == std::string::npos, hex(units));
    std::wstring separated;
    appendUtf16(slashed.data(), slashed.size(), true, separated);
    std::wstring expected = units;
    for (auto& unit : expected)
        if (unit == L'/')
            unit = L'\\';
    KORIL_FUZZ_CHECK(separated == expected, hex(units));
}

void checkBytes(std::uint8_t const* data, std::size_t size) {
    std::unique_ptr<char[]> const bytes(new char[size == 0 ? 1 : size]);
    std::copy(data, data + size, bytes.get());
    std::wstring units;
    appendUtf16(bytes.get(), size, false, units);

    std::wstring expected;
    bool replaced = false;
    bool afterHigh = false;
    for (std::size_t i = 0; i < size;) {
        auto const sequence = koril::unicode::decodeUtf8(bytes.get() + i, size - i, true);
        unsigned int c = sequence.codePoint;
        if (afterHigh && c >= 0xDC00 && c <= 0xDFFF)
            c = kReplacement;
        replaced = replaced || !sequence.wellFormed || c != sequence.codePoint;
        afterHigh = c >= 0xD800 && c <= 0xDBFF;
        if (c < 0x10000) {
            expected.push_back(static_cast<wchar_t>(c));
        } else {
            expected.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
            expected.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
        i += sequence.length;
    }
    KORIL_FUZZ_CHECK(units == expected, hex(units) + "instead of " + hex(expected));
    if (!replaced) {
        std::string back;
        appendWtf8(units.data(), units.size(), false, back);
        KORIL_FUZZ_CHECK(back == std::string(bytes.get(), size), hex(units));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    checkUnits(data, size);
    checkBytes(data, size);
    return 0;
}
