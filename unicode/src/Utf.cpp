#include "Utf.h"

#include <koril/unicode/Utf8.h>

#include <type_traits>

namespace koril::unicode::detail {

namespace {

constexpr bool isHighSurrogate(unsigned int unit) {
    return unit - 0xD800 < 0x400;
}
constexpr bool isLowSurrogate(unsigned int unit) {
    return unit - 0xDC00 < 0x400;
}

// A code unit read through the unsigned type of wchar_t's width, so that a unit with the top bit
// set (wchar_t is signed on Linux) keeps its bits instead of sign-extending. clang-tidy takes
// every signed character type for a byte and would have it narrowed to unsigned char first.
constexpr unsigned int unitValue(wchar_t unit) {
    return static_cast<std::make_unsigned_t<wchar_t>>(unit); // NOLINT(bugprone-signed-char-misuse)
}

// What a lead byte promises: the number of continuation bytes and the allowed range of the
// first one. The narrowed ranges after E0, ED, F0 and F4 exclude overlong forms, surrogates and
// code points beyond U+10FFFF, so that an offending byte ends the subpart right there.
struct LeadByte {
    unsigned char continuations;
    unsigned char firstLow;
    unsigned char firstHigh;
};

constexpr LeadByte describeLead(unsigned char byte, bool admitSurrogates) {
    if (byte >= 0xC2 && byte <= 0xDF)
        return {1, 0x80, 0xBF};
    if (byte == 0xE0)
        return {2, 0xA0, 0xBF};
    if (byte == 0xED)
        return {2, 0x80, static_cast<unsigned char>(admitSurrogates ? 0xBF : 0x9F)};
    if (byte >= 0xE1 && byte <= 0xEF)
        return {2, 0x80, 0xBF};
    if (byte == 0xF0)
        return {3, 0x90, 0xBF};
    if (byte == 0xF4)
        return {3, 0x80, 0x8F};
    if (byte >= 0xF1 && byte <= 0xF3)
        return {3, 0x80, 0xBF};
    return {0, 0, 0}; // 80..C1 and F5..FF never start a sequence
}

} // namespace

void appendDecodedUtf8(char const* bytes, std::size_t size, String::storage_type& out) {
    out.reserve(out.size() + size);
    std::size_t i = 0;
    while (i < size) {
        auto const byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            out.push_back(byte);
            ++i;
            continue;
        }
        Utf8Sequence const sequence = decodeUtf8(bytes + i, size - i, false);
        out.push_back(sequence.codePoint);
        i += sequence.length;
    }
}

void appendDecodedUtf16(wchar_t const* units, std::size_t size, String::storage_type& out) {
    out.reserve(out.size() + size);
    for (std::size_t i = 0; i < size; ++i) {
        unsigned int const unit = unitValue(units[i]);
        if (isHighSurrogate(unit) && i + 1 < size) {
            unsigned int const next = unitValue(units[i + 1]);
            if (isLowSurrogate(next)) {
                out.push_back(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        out.push_back(unit <= kMaxCodePoint ? unit : kReplacementCharacter);
    }
}

std::wstring encodeUtf16(unsigned int const* codePoints, std::size_t size) {
    std::wstring out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        unsigned int const c = codePoints[i];
        if (c < 0x10000) {
            out.push_back(static_cast<wchar_t>(c));
        } else if (c <= kMaxCodePoint) {
            out.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(kReplacementCharacter));
        }
    }
    return out;
}

std::string encodeUtf8(unsigned int const* codePoints, std::size_t size) {
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i)
        appendUtf8(codePoints[i], out);
    return out;
}

} // namespace koril::unicode::detail

namespace koril::unicode {

Utf8Sequence decodeUtf8(char const* bytes, std::size_t size, bool admitSurrogates) noexcept {
    auto const* in = reinterpret_cast<unsigned char const*>(bytes);
    unsigned char const lead = in[0];
    if (lead < 0x80)
        return {lead, 1, true};
    detail::LeadByte const expect = detail::describeLead(lead, admitSurrogates);
    if (expect.continuations == 0)
        return {detail::kReplacementCharacter, 1, false};
    unsigned int codePoint = lead & (0x3Fu >> expect.continuations);
    unsigned char low = expect.firstLow;
    unsigned char high = expect.firstHigh;
    std::size_t i = 1;
    for (unsigned int k = 0; k < expect.continuations; ++k) {
        // The offending byte starts the next subpart.
        if (i == size || in[i] < low || in[i] > high)
            return {detail::kReplacementCharacter, i, false};
        codePoint = (codePoint << 6) | (in[i++] & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return {codePoint, i, true};
}

void appendUtf8(unsigned int codePoint, std::string& out) {
    unsigned int c = codePoint;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
        return;
    }
    if (c > detail::kMaxCodePoint)
        c = detail::kReplacementCharacter;
    if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

} // namespace koril::unicode
