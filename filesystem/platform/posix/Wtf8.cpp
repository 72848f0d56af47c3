// WTF-8 encoding and decoding of POSIX names.

#include "platform/posix/Wtf8.h"

namespace koril::filesystem::platform::posix {

namespace {

constexpr unsigned int replacementCharacter = 0xFFFD;

constexpr bool isHighSurrogate(unsigned int unit) {
    return unit - 0xD800 < 0x400;
}
constexpr bool isLowSurrogate(unsigned int unit) {
    return unit - 0xDC00 < 0x400;
}

struct LeadByte {
    unsigned char continuations;
    unsigned char firstLow;
    unsigned char firstHigh;
};

// As in UTF-8, except that ED admits A0..BF: the surrogate forms.
constexpr LeadByte describeLead(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF)
        return {1, 0x80, 0xBF};
    if (byte == 0xE0)
        return {2, 0xA0, 0xBF};
    if (byte >= 0xE1 && byte <= 0xEF)
        return {2, 0x80, 0xBF};
    if (byte == 0xF0)
        return {3, 0x90, 0xBF};
    if (byte == 0xF4)
        return {3, 0x80, 0x8F};
    if (byte >= 0xF1 && byte <= 0xF3)
        return {3, 0x80, 0xBF};
    return {0, 0, 0};
}

void appendCodePoint(unsigned int c, std::string& out) {
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

} // namespace

void appendWtf8(wchar_t const* units, std::size_t size, bool separatorsToSlash, std::string& out) {
    out.reserve(out.size() + size);
    for (std::size_t i = 0; i < size; ++i) {
        unsigned int c = static_cast<unsigned int>(units[i]);
        if (c < 0x80) {
            out.push_back(c == '\\' && separatorsToSlash ? '/' : static_cast<char>(c));
            continue;
        }
        if (isHighSurrogate(c) && i + 1 < size &&
            isLowSurrogate(static_cast<unsigned int>(units[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned int>(units[i + 1]) - 0xDC00);
            ++i;
        } else if (c > 0x10FFFF) {
            c = replacementCharacter;
        }
        appendCodePoint(c, out);
    }
}

void appendUtf16(char const* bytes, std::size_t size, bool slashesToSeparator, std::wstring& out) {
    auto const* in = reinterpret_cast<unsigned char const*>(bytes);
    bool afterHighSurrogate = false;
    std::size_t i = 0;
    while (i < size) {
        unsigned char const lead = in[i++];
        if (lead < 0x80) {
            out.push_back(lead == '/' && slashesToSeparator ? L'\\' : static_cast<wchar_t>(lead));
            afterHighSurrogate = false;
            continue;
        }
        LeadByte const expect = describeLead(lead);
        unsigned int codePoint = replacementCharacter;
        if (expect.continuations != 0) {
            unsigned int value = lead & (0x3F >> expect.continuations);
            unsigned char low = expect.firstLow;
            unsigned char high = expect.firstHigh;
            bool complete = true;
            for (unsigned int k = 0; k < expect.continuations; ++k) {
                if (i == size || in[i] < low || in[i] > high) {
                    complete = false; // the offending byte starts the next subpart
                    break;
                }
                value = (value << 6) | (in[i++] & 0x3Fu);
                low = 0x80;
                high = 0xBF;
            }
            if (complete)
                codePoint = value;
        }
        if (isLowSurrogate(codePoint) && afterHighSurrogate)
            codePoint = replacementCharacter;
        afterHighSurrogate = isHighSurrogate(codePoint);
        if (codePoint < 0x10000) {
            out.push_back(static_cast<wchar_t>(codePoint));
        } else {
            out.push_back(static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)));
        }
    }
}

} // namespace koril::filesystem::platform::posix
