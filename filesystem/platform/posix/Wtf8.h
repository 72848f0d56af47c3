#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_WTF8_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_WTF8_H

// UTF-16 units (one per `wchar_t`) to and from the bytes of POSIX names.
//
// The byte form is WTF-8: UTF-8 in which an unpaired surrogate, legal in a Windows name, takes
// the three-byte form of its code point, so that every sequence of UTF-16 units survives the
// trip to the disk and back. The strict UTF-8 decoder of the string library refuses those
// forms, hence this pair.

#include <cstddef>
#include <string>

namespace koril::filesystem::platform::posix {

// Appends the WTF-8 form of `size` UTF-16 units. `\` is written as `/` when
// `separatorsToSlash` is set. An element above 0xFFFF is taken as a code point, and one beyond
// U+10FFFF becomes U+FFFD.
void appendWtf8(wchar_t const* units, std::size_t size, bool separatorsToSlash, std::string& out);

// Appends the UTF-16 units of `size` bytes. Each maximal ill-formed subpart becomes one U+FFFD;
// three-byte surrogate forms become their unit, except a low surrogate right after a high one
// (that pair has a four-byte form of its own), which becomes U+FFFD. `/` is written as `\` when
// `slashesToSeparator` is set.
void appendUtf16(char const* bytes, std::size_t size, bool slashesToSeparator, std::wstring& out);

} // namespace koril::filesystem::platform::posix

#endif
