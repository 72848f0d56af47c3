#ifndef KORIL_UNICODE_NFDSEGMENTS_H
#define KORIL_UNICODE_NFDSEGMENTS_H

#include <koril/unicode/Export.h>

#include <cstddef>

/// @file
/// Reading the NFD form of a text piece by piece, without building all of it.

namespace koril::unicode {

/// @name NFD, one segment at a time
/// A segment is a code point whose decomposition begins with a starter (combining class 0),
/// together with the code points after it whose decompositions begin with a non-starter; a text
/// that begins with non-starters begins with a segment of them. Decomposition and canonical
/// ordering never reach across the start of a segment, so the NFD form of a text is the NFD
/// forms of its segments in order, and the NFD form of a part that begins at a segment start
/// is the matching part of the whole text's NFD form.
///
/// Together these read the NFD form of a text in pieces: first the run that NFD leaves as it
/// is, then one segment that it changes, decomposed into a buffer, and so on. `isNFD` and
/// `toNFD` are built on them. Neither function allocates or touches shared state.
///@{

/// Measures the leading run of a text that its NFD form keeps unchanged.
/// @param first The first code point of the text.
/// @param last Past the last code point.
/// @return The number of leading code points that the NFD form begins with as they are. The
///     run ends at the start of a segment: the first one that NFD changes, or the end of the
///     text (the whole length when the text is in NFD).
KORIL_UNICODE_EXPORT std::size_t nfdUnchangedLength(unsigned int const* first,
                                                    unsigned int const* last);

/// Decomposes the segment that begins at `first` and brings its combining marks into canonical
/// order.
/// @param first The first code point of the segment; the segment runs from it to the next
///     code point whose decomposition begins with a starter.
/// @param last The end of the text.
/// @param out Where the NFD form of the segment is written.
/// @param capacity How many code points `out` can take.
/// @param segmentEnd Receives the end of the segment: `last`, or the code point where the next
///     segment begins. It is `first` when `first` equals `last`.
/// @return The number of code points of the segment's NFD form: 0 for an empty text, else at
///     least 1. When it is greater than `capacity`, `out` holds no useful result (nothing is
///     written beyond `capacity`): call again with room for that many.
KORIL_UNICODE_EXPORT std::size_t decomposeSegment(unsigned int const* first,
                                                  unsigned int const* last, unsigned int* out,
                                                  std::size_t capacity,
                                                  unsigned int const*& segmentEnd);
///@}

} // namespace koril::unicode

#endif
