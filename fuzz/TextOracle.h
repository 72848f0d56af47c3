#ifndef KORIL_FUZZ_TEXTORACLE_H
#define KORIL_FUZZ_TEXTORACLE_H

// Plain text rules that several oracles share, written apart from the library's own code.

#include <koril/unicode/String.h>

#include <string>

namespace koril::fuzz {

bool startsWith(koril::unicode::String const& text, koril::unicode::String const& prefix);
bool endsWith(koril::unicode::String const& text, koril::unicode::String const& suffix);

// Two path texts joined with exactly one separator at the seam: one is dropped when both sides
// bring one and added when neither does; an empty side leaves the other as it is.
koril::unicode::String joinedWithOneSeparator(koril::unicode::String const& left,
                                              koril::unicode::String const& right);

constexpr bool isHighSurrogate(unsigned int c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool isLowSurrogate(unsigned int c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Appends the UTF-16 form of a code point up to U+10FFFF (a surrogate as itself).
void appendUtf16Form(unsigned int codePoint, std::wstring& out);

} // namespace koril::fuzz

#endif
