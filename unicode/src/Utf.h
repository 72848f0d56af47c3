#ifndef KORIL_UNICODE_SRC_UTF_H
#define KORIL_UNICODE_SRC_UTF_H

#include <koril/unicode/String.h>

#include <cstddef>
#include <string>

// Conversions between code points and the UTF-8 and UTF-16 encodings. Every input is accepted:
// the decoders substitute U+FFFD for what cannot be decoded and never read past `size`.
namespace koril::unicode::detail {

inline constexpr unsigned int kReplacementCharacter = 0xFFFD;
inline constexpr unsigned int kMaxCodePoint = 0x10FFFF;

// Appends the code points of `size` bytes of UTF-8; each maximal ill-formed subpart becomes one
// U+FFFD.
void appendDecodedUtf8(char const* bytes, std::size_t size, String::storage_type& out);
// Appends the code points of `size` UTF-16 units; unpaired surrogates are kept as code points.
void appendDecodedUtf16(wchar_t const* units, std::size_t size, String::storage_type& out);

std::wstring encodeUtf16(unsigned int const* codePoints, std::size_t size);
// Generalised UTF-8: surrogate code points get their three-byte form.
std::string encodeUtf8(unsigned int const* codePoints, std::size_t size);

} // namespace koril::unicode::detail

#endif
