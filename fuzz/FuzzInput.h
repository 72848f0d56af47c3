#ifndef KORIL_FUZZ_FUZZINPUT_H
#define KORIL_FUZZ_FUZZINPUT_H

// How the fuzz targets read their input: a few texts separated by the byte 0xFF, so that seed
// files stay readable. Each text is read as generalised UTF-8 (the three-byte forms of
// surrogates are admitted, so unpaired surrogates occur); the byte 0xFE stands for a value
// beyond U+10FFFF, which a `String` may hold too; any other ill-formed subpart becomes U+FFFD.

#include <koril/unicode/String.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace koril::fuzz {

inline constexpr unsigned char kPartSeparator = 0xFF;
inline constexpr unsigned char kBeyondUnicode = 0xFE;

// The raw byte parts: at most `maxParts`, the last one taking the rest with its separators.
std::vector<std::string> byteParts(std::uint8_t const* data, std::size_t size,
                                   std::size_t maxParts);

// A byte part as code points, as described above.
koril::unicode::String textOf(std::string const& bytes);

// The text parts: always exactly `maxParts`, the missing ones empty.
std::vector<koril::unicode::String> textParts(std::uint8_t const* data, std::size_t size,
                                              std::size_t maxParts);

// The decimal number at the start of `bytes` (0 when there is none), capped at `limit`.
std::size_t numberOf(std::string const& bytes, std::size_t limit);

// The bytes read in pairs, big-endian, as UTF-16 units (one per `wchar_t`); an odd last byte is
// left out.
std::wstring unitsOf(std::uint8_t const* data, std::size_t size);

// Readable forms for failure messages: printable ASCII as it is, everything else escaped.
std::string describe(koril::unicode::String const& text);
std::string describeBytes(std::uint8_t const* data, std::size_t size);
std::string describeUnits(std::wstring const& units);

// Reports a broken property and aborts, so that libFuzzer keeps the input as a crash.
[[noreturn]] void fail(std::string const& what);

} // namespace koril::fuzz

// Checks a property of the target.
#define KORIL_FUZZ_CHECK(condition, message)                                                       \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::koril::fuzz::fail(std::string(#condition) + ": " + (message));                       \
    } while (false)

#endif
