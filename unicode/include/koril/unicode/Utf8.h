#ifndef KORIL_UNICODE_UTF8_H
#define KORIL_UNICODE_UTF8_H

#include <koril/unicode/Export.h>

#include <cstddef>
#include <string>

/// @file
/// Decoding and encoding one UTF-8 sequence at a time.

namespace koril::unicode {

/// One UTF-8 sequence, decoded.
struct Utf8Sequence {
    /// The code point, or U+FFFD when the bytes are not well formed.
    unsigned int codePoint;
    /// The bytes taken: the whole sequence, or the maximal ill-formed subpart (at least one
    /// byte), so that decoding goes on at the first byte that cannot continue it.
    std::size_t length;
    /// Whether the bytes were a well-formed sequence.
    bool wellFormed;
};

/// Decodes the UTF-8 sequence that starts at `bytes[0]`. Never fails and never throws; shares no
/// state.
/// @param bytes The first byte of the sequence.
/// @param size The bytes available, at least 1; no byte beyond them is read.
/// @param admitSurrogates True to accept the three-byte forms of U+D800..U+DFFF (as generalised
///     UTF-8 and WTF-8 write unpaired surrogates); strict UTF-8 refuses them.
/// @return The code point, or U+FFFD for an ill-formed sequence, with the bytes taken.
KORIL_UNICODE_EXPORT Utf8Sequence decodeUtf8(char const* bytes, std::size_t size,
                                             bool admitSurrogates) noexcept;

/// Appends the UTF-8 form of one code point. Shares no state.
/// @param codePoint The code point. A surrogate takes its three-byte form; a value beyond
///     U+10FFFF is written as U+FFFD.
/// @param out The bytes to append to.
KORIL_UNICODE_EXPORT void appendUtf8(unsigned int codePoint, std::string& out);

} // namespace koril::unicode

#endif
