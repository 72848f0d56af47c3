#include <koril/filesystem/Path.h>
#include <koril/unicode/NfdSegments.h>

#include "FoldedCompare.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace koril::filesystem {

namespace {

using koril::unicode::decomposeSegment;
using koril::unicode::nfdUnchangedLength;
inline unsigned int foldAscii(unsigned int c) {
    return c - 'A' < 26u ? c + 32u : c;
}

// By value: the library's reference parameter would otherwise keep the walks' code points in
// memory.
unsigned int simpleCaseFold(unsigned int c) {
    return koril::unicode::simpleCaseFold(c);
}

// -1 or 1 from the first of `count` pairs whose folded values differ, else 0.
int compareFoldedPairs(unsigned int const* a, unsigned int const* b, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        unsigned int const x = a[i];
        unsigned int const y = b[i];
        if (x == y)
            continue;
        unsigned int foldedX, foldedY;
        if ((x | y) < 128u) {
            foldedX = foldAscii(x);
            foldedY = foldAscii(y);
        } else {
            foldedX = simpleCaseFold(x);
            foldedY = simpleCaseFold(y);
        }
        if (foldedX != foldedY)
            return foldedX < foldedY ? -1 : 1;
    }
    return 0;
}

// Past the end of the shorter text the other is read against 0; a non-zero code point never
// folds to 0, so there the longer text is the greater either way.
int compareFoldedTexts(unsigned int const* a, std::size_t lengthA, unsigned int const* b,
                       std::size_t lengthB) {
    if (int const order = compareFoldedPairs(a, b, std::min(lengthA, lengthB)))
        return order;
    if (lengthA == lengthB)
        return 0;
    return lengthA < lengthB ? -1 : 1;
}

// The NFD form of one segment, in a buffer on the stack that holds any ordinary segment (a letter
// with its marks); a longer one goes to the heap.
class DecomposedSegment {
public:
    DecomposedSegment() = default;
    DecomposedSegment(DecomposedSegment const&) = delete;
    DecomposedSegment& operator=(DecomposedSegment const&) = delete;

    // Decomposes the segment that begins at `first` (before `last`); returns where it ends.
    unsigned int const* decompose(unsigned int const* first, unsigned int const* last) {
        unsigned int const* end = first;
        size_ = decomposeSegment(first, last, buffer_, kBufferSize, end);
        data_ = buffer_;
        if (size_ > kBufferSize) {
            overflow_.resize(size_);
            decomposeSegment(first, last, overflow_.data(), size_, end);
            data_ = overflow_.data();
        }
        return end;
    }
    unsigned int const* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    static constexpr std::size_t kBufferSize = 32;

    unsigned int buffer_[kBufferSize];
    std::vector<unsigned int> overflow_;
    unsigned int const* data_ = buffer_;
    std::size_t size_ = 0;
};

// The NFD form of a text, read piece by piece: what NFD leaves in place is read from the text
// itself, and each segment that it changes is decomposed alone.
class NfdPieces {
public:
    NfdPieces(unsigned int const* first, unsigned int const* last) : rest_(first), last_(last) {}

    // The next piece, never empty; valid until the next call. False at the end of the text.
    bool next(unsigned int const*& piece, std::size_t& size) {
        if (rest_ == last_)
            return false;
        if (std::size_t const unchanged = nfdUnchangedLength(rest_, last_)) {
            piece = rest_;
            size = unchanged;
            rest_ += unchanged;
            return true;
        }
        rest_ = segment_.decompose(rest_, last_);
        piece = segment_.data();
        size = segment_.size();
        return true;
    }

private:
    unsigned int const* rest_;
    unsigned int const* last_;
    DecomposedSegment segment_;
};

// Both texts must begin where a segment does, so that their NFD forms are the rest of the whole
// texts' NFD forms. Pieces of the two sides need not line up.
int compareNfdPieces(unsigned int const* a, unsigned int const* endA, unsigned int const* b,
                     unsigned int const* endB) {
    NfdPieces left(a, endA);
    NfdPieces right(b, endB);
    unsigned int const* x = nullptr;
    unsigned int const* y = nullptr;
    std::size_t sizeX = 0;
    std::size_t sizeY = 0;
    for (;;) {
        if (sizeX == 0 && !left.next(x, sizeX))
            return sizeY == 0 && !right.next(y, sizeY) ? 0 : -1;
        if (sizeY == 0 && !right.next(y, sizeY))
            return 1;
        std::size_t const count = std::min(sizeX, sizeY);
        if (int const order = compareFoldedPairs(x, y, count))
            return order;
        x += count;
        y += count;
        sizeX -= count;
        sizeY -= count;
    }
}

// Whether two code points are one ASCII letter in its two cases: they differ in bit 5 alone, and
// the one with it set is a small letter.
bool isOtherCase(unsigned int x, unsigned int y) {
    return (x ^ y) == 32u && (x | 32u) - 'a' < 26u;
}

// The order of two texts from two pairs of code points at which their NFD forms go on: the first
// pair is decided when it is a pair of ASCII characters (neither is then the other's case).
int orderOfAsciiPair(unsigned int x, unsigned int y) {
    unsigned int const foldedX = foldAscii(x);
    unsigned int const foldedY = foldAscii(y);
    return foldedX < foldedY ? -1 : 1;
}

// Every code point below U+0300 is a starter whose decomposition begins with a starter (the tests
// check it against the Unicode library), so a segment begins there; so it does at a text's end.
bool beginsSegmentAt(unsigned int const* c, unsigned int const* end) {
    return c == end || *c < 0x300u;
}

// A code point after an ASCII character (or the start of the walk) and before an ASCII
// character (or the end) is its own segment, or the lone mark of the ASCII character before it.
bool isLoneAt(unsigned int const* c, unsigned int const* start, unsigned int const* end) {
    return (c == start || c[-1] < 128u) && (c + 1 == end || c[1] < 128u);
}

// Compares the NFD forms of the segments that begin at `x` and `y`, which must both begin
// segments with the same NFD forms before them after folding. Returns true with `order` set when
// that decides the comparison; else moves `x` and `y` past the two segments, whose NFD forms then
// agree.
bool compareSegments(unsigned int const*& x, unsigned int const* endX, unsigned int const*& y,
                     unsigned int const* endY, int& order) {
    DecomposedSegment segmentX;
    DecomposedSegment segmentY;
    unsigned int const* const nextX = segmentX.decompose(x, endX);
    unsigned int const* const nextY = segmentY.decompose(y, endY);
    std::size_t const common = std::min(segmentX.size(), segmentY.size());
    order = compareFoldedPairs(segmentX.data(), segmentY.data(), common);
    if (order == 0 && segmentX.size() != segmentY.size())
        order = compareNfdPieces(x, endX, y, endY); // the segments do not line up
    else if (order == 0) {
        x = nextX;
        y = nextY;
        return false;
    }
    return true;
}

} // namespace

namespace detail {

int compareFolded(String const& a, String const& b) {
    return compareFoldedTexts(a.data(), a.size(), b.data(), b.size());
}

} // namespace detail

// The raw texts are walked side by side while each pair of code points is identical, a pair of
// ASCII characters, or a pair of lone code points that fold alike: NFD changes such pairs alike
// on both sides, and ASCII characters are starters that it keeps in place, so up to there the NFD
// forms agree after folding, and a pair of ASCII characters that fold apart decides. At any other
// pair, the walk goes back to the last place where a segment begins in both texts and compares
// one decomposed segment of each; when they match, the walk goes on after them. Only segments
// whose NFD forms differ in length (a Hangul syllable against its jamo) need the NFD forms read
// on to the end.
int comparePaths(Path const& a, Path const& b) {
    unsigned int const* x = a.string().data();
    unsigned int const* y = b.string().data();
    unsigned int const* const endX = x + a.string().size();
    unsigned int const* const endY = y + b.string().size();
    while (endX - x >= 4 && endY - y >= 4 && std::memcmp(x, y, 4 * sizeof(unsigned int)) == 0) {
        x += 4;
        y += 4;
    }
    // Where the walk began: a segment begins there in both texts, and the NFD forms before it
    // agree after folding.
    unsigned int const* startX = a.string().data();
    unsigned int const* startY = b.string().data();
    DecomposedSegment segment;
    for (;;) {
        std::size_t const count = static_cast<std::size_t>(std::min(endX - x, endY - y));
        std::size_t i = 0;
        while (i < count && (x[i] == y[i] || isOtherCase(x[i], y[i])))
            ++i;
        x += i;
        y += i;
        if (i < count) {
            if ((*x | *y) < 128u)
                return orderOfAsciiPair(*x, *y);
            // Code points with one simple case folding decompose to sequences that fold alike
            // (the tests check all of them).
            if (*x >= 128u && *y >= 128u && isLoneAt(x, startX, endX) &&
                isLoneAt(y, startY, endY) && simpleCaseFold(*x) == simpleCaseFold(*y)) {
                ++x;
                ++y;
                continue;
            }
        }
        while (x != startX && !(beginsSegmentAt(x, endX) && beginsSegmentAt(y, endY))) {
            --x;
            --y;
        }
        if (x == endX || y == endY)
            return (x == endX) == (y == endY) ? 0 : (x == endX ? -1 : 1);

        // Most often one text holds a precomposed letter where the other has it decomposed. The
        // segment with the greater code point is decomposed and walked against the other text as
        // it is: where they match up to ASCII case and a segment begins after them, that run of
        // the other text is whole segments already in NFD, so both NFD forms go on alike.
        bool const decomposeX = *x >= *y;
        unsigned int const* const next =
            segment.decompose(decomposeX ? x : y, decomposeX ? endX : endY);
        unsigned int const* const other = decomposeX ? y : x;
        unsigned int const* const nfd = segment.data();
        std::size_t const size = segment.size();
        if (size <= static_cast<std::size_t>((decomposeX ? endY : endX) - other)) {
            std::size_t k = 0;
            while (k < size && (nfd[k] == other[k] || isOtherCase(nfd[k], other[k])))
                ++k;
            if (k < size && (nfd[k] | other[k]) < 128u)
                return decomposeX ? orderOfAsciiPair(nfd[k], other[k])
                                  : orderOfAsciiPair(other[k], nfd[k]);
            if (k == size && beginsSegmentAt(other + size, decomposeX ? endY : endX)) {
                x = startX = decomposeX ? next : x + size;
                y = startY = decomposeX ? y + size : next;
                continue;
            }
        }
        int order = 0;
        if (compareSegments(x, endX, y, endY, order))
            return order;
        startX = x;
        startY = y;
    }
}

bool operator==(Path const& a, Path const& b) {
    return comparePaths(a, b) == 0;
}
bool operator!=(Path const& a, Path const& b) {
    return comparePaths(a, b) != 0;
}
bool operator==(Path const& a, String const& b) {
    return comparePaths(a, Path(b)) == 0;
}
bool operator!=(Path const& a, String const& b) {
    return comparePaths(a, Path(b)) != 0;
}
bool operator==(String const& a, Path const& b) {
    return comparePaths(Path(a), b) == 0;
}
bool operator!=(String const& a, Path const& b) {
    return comparePaths(Path(a), b) != 0;
}
bool operator==(Path const& a, char const* b) {
    return comparePaths(a, Path(b)) == 0;
}
bool operator!=(Path const& a, char const* b) {
    return comparePaths(a, Path(b)) != 0;
}
bool operator==(char const* a, Path const& b) {
    return comparePaths(Path(a), b) == 0;
}
bool operator!=(char const* a, Path const& b) {
    return comparePaths(Path(a), b) != 0;
}
bool operator<(Path const& a, Path const& b) {
    return comparePaths(a, b) < 0;
}
bool operator<=(Path const& a, Path const& b) {
    return comparePaths(a, b) < 1;
}
bool operator>(Path const& a, Path const& b) {
    return comparePaths(a, b) > 0;
}
bool operator>=(Path const& a, Path const& b) {
    return comparePaths(a, b) >= 0;
}

} // namespace koril::filesystem
