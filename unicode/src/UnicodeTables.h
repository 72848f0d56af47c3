#ifndef KORIL_UNICODE_SRC_UNICODETABLES_H
#define KORIL_UNICODE_SRC_UNICODETABLES_H

#include <cstdint>

#include "UnicodeTables.inc"

// Lookups in the generated Unicode tables. Every code point is accepted, including surrogates
// and values beyond U+10FFFF, which have no data.
namespace koril::unicode::detail {

// Hangul syllables decompose arithmetically into two or three conjoining jamo.
inline constexpr unsigned int kHangulFirst = 0xAC00;
inline constexpr unsigned int kHangulCount = 11172;
inline constexpr unsigned int kJamoLeadFirst = 0x1100;
inline constexpr unsigned int kJamoVowelFirst = 0x1161;
inline constexpr unsigned int kJamoTrailFirst = 0x11A7;
inline constexpr unsigned int kJamoVowelCount = 21;
inline constexpr unsigned int kJamoTrailCount = 28;

inline bool isHangulSyllable(unsigned int c) {
    return c - kHangulFirst < kHangulCount;
}

// The combining class of a code point without a decomposition, or a value with
// `tables::kDecompositionFlag` set for one with a decomposition.
inline unsigned int normalizationRecord(unsigned int c) {
    using namespace tables;
    if (c >= kNormalizationLimit)
        return 0;
    unsigned int const block = kNormalizationIndex[c >> kNormalizationShift];
    return kNormalizationBlocks[(block << kNormalizationShift) |
                                (c & ((1u << kNormalizationShift) - 1))];
}

inline bool hasDecomposition(unsigned int record) {
    return (record & tables::kDecompositionFlag) != 0;
}

// For a record with a decomposition: where its full canonical decomposition lies in the pool.
inline std::uint32_t const* decompositionBegin(unsigned int record) {
    return tables::kDecompositionPool + (record & ((1u << tables::kDecompositionLengthShift) - 1));
}

inline unsigned int decompositionLength(unsigned int record) {
    return ((record & ~tables::kDecompositionFlag) >> tables::kDecompositionLengthShift) + 1;
}

// The combining class of a code point that has no decomposition.
inline unsigned int combiningClass(unsigned int c) {
    return normalizationRecord(c);
}

inline unsigned int caseFoldDelta(unsigned int c) {
    using namespace tables;
    if (c >= kCaseFoldLimit)
        return 0;
    unsigned int const block = kCaseFoldIndex[c >> kCaseFoldShift];
    unsigned int const slot =
        kCaseFoldBlocks[(block << kCaseFoldShift) | (c & ((1u << kCaseFoldShift) - 1))];
    return static_cast<unsigned int>(kCaseFoldDeltas[slot]);
}

} // namespace koril::unicode::detail

#endif
