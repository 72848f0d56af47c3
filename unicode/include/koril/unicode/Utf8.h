#ifndef KORIL_UNICODE_UTF8_H
#define KORIL_UNICODE_UTF8_H

#include <koril/unicode/Export.h>

#include <cstddef>
#include <string>

namespace koril::unicode {

// One UTF-8 sequence, decoded.
struct Utf8Sequence {
    // The code point, or U+FFFD when the bytes are not well formed.
    unsigned int codePoint;
    // The bytes taken: the whole sequence, or the maximal ill-formed subpart (at least one
    // byte), so that decoding goes on at the first byte that cannot continue it.
    std::size_t length;
    bool wellFormed;
};

// Decodes the sequence that starts at `bytes[0]`; `size` is at least 1, and no byte beyond it is
// read. With `admitSurrogates`, the three-byte forms of U+D800..U+DFFF (as generalised UTF-8 and
// WTF-8 write unpaired surrogates) count as well formed; strict UTF-8 refuses them.
KORIL_UNICODE_EXPORT Utf8Sequence decodeUtf8(char const* bytes, std::size_t size,
                                             bool admitSurrogates) noexcept;

// Appends the UTF-8 form of one code point. A surrogate takes its three-byte form; a value beyond
// U+10FFFF is written as U+FFFD.
KORIL_UNICODE_EXPORT void appendUtf8(unsigned int codePoint, std::string& out);

} // namespace koril::unicode

#endif
