#include "FuzzInput.h"

#include <koril/unicode/Utf8.h>

#include <cstdio>
#include <cstdlib>

namespace koril::fuzz {

using koril::unicode::String;

std::vector<std::string> byteParts(std::uint8_t const* data, std::size_t size,
                                   std::size_t maxParts) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == kPartSeparator && parts.size() < maxParts)
            parts.emplace_back();
        else
            parts.back().push_back(static_cast<char>(data[i]));
    }
    return parts;
}

String textOf(std::string const& bytes) {
    String text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) == kBeyondUnicode) {
            text += 0x110000u;
            ++i;
            continue;
        }
        auto const sequence = koril::unicode::decodeUtf8(bytes.data() + i, bytes.size() - i, true);
        text += sequence.codePoint;
        i += sequence.length;
    }
    return text;
}

std::vector<String> textParts(std::uint8_t const* data, std::size_t size, std::size_t maxParts) {
    std::vector<String> texts;
    for (auto const& part : byteParts(data, size, maxParts))
        texts.push_back(textOf(part));
    texts.resize(maxParts);
    return texts;
}

std::size_t numberOf(std::string const& bytes, std::size_t limit) {
    std::size_t value = 0;
    for (char const c : bytes) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<std::size_t>(c - '0');
        if (value >= limit)
            return limit;
    }
    return value;
}

std::wstring unitsOf(std::uint8_t const* data, std::size_t size) {
    std::wstring units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<wchar_t>(data[i] << 8 | data[i + 1]));
    return units;
}

std::string describe(String const& text) {
    std::string out = "\"";
    for (unsigned int const c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"') {
            out += static_cast<char>(c);
        } else {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u{%X}", c);
            out += escape;
        }
    }
    return out + "\"";
}

std::string describeBytes(std::uint8_t const* data, std::size_t size) {
    std::string out;
    char hex[4];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(hex, sizeof hex, "%02X ", data[i]);
        out += hex;
    }
    return out;
}

std::string describeUnits(std::wstring const& units) {
    std::string out;
    char hex[8];
    for (wchar_t const unit : units) {
        std::snprintf(hex, sizeof hex, "%04X ", static_cast<unsigned int>(unit) & 0xFFFFu);
        out += hex;
    }
    return out;
}

void fail(std::string const& what) {
    std::fprintf(stderr, "property broken: %s\n", what.c_str());
    std::abort();
}

} // namespace koril::fuzz
