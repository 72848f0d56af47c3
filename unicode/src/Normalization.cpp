#include <koril/unicode/NfdSegments.h>
#include <koril/unicode/String.h>

#include "UnicodeTables.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace koril::unicode {

namespace {

using namespace detail;

// Holds the longest segment of ordinary text (a letter with its marks) without the heap.
constexpr std::size_t kSegmentBuffer = 32;

// Hangul syllables and the code points below the first non-trivial one begin with a starter;
// every other decomposition is already complete in the tables, so its first code point has a
// combining class of its own.
bool beginsSegment(unsigned int c) {
    if (c < tables::kFirstNonTrivial || isHangulSyllable(c))
        return true;
    unsigned int const record = normalizationRecord(c);
    if (!hasDecomposition(record))
        return record == 0;
    return combiningClass(*decompositionBegin(record)) == 0;
}

// Collects a segment's decomposition: writes while there is room and counts on past it, so that
// the caller learns how much room the whole needs, and notes whether a mark follows one of a
// higher class, which is all that canonical ordering has to repair.
class SegmentOutput {
public:
    SegmentOutput(unsigned int* out, std::size_t capacity) : out_(out), capacity_(capacity) {}

    void put(unsigned int c, unsigned int combiningClass) {
        if (count_ < capacity_)
            out_[count_] = c;
        ++count_;
        if (combiningClass != 0 && combiningClass < previousClass_)
            ordered_ = false;
        previousClass_ = combiningClass;
    }
    std::size_t count() const { return count_; }
    bool ordered() const { return ordered_; }

private:
    unsigned int* out_;
    std::size_t capacity_;
    std::size_t count_ = 0;
    unsigned int previousClass_ = 0;
    bool ordered_ = true;
};

// The combining class of a code point of a decomposition, which has none of its own; most begin
// with a plain letter.
unsigned int classOfPart(unsigned int c) {
    return c < tables::kFirstNonTrivial ? 0 : combiningClass(c);
}

// Appends the decomposition of `c` unless `c` begins a new segment and `startsSegment` is false;
// returns whether it did.
bool decomposeInto(unsigned int c, bool startsSegment, SegmentOutput& out) {
    if (c < tables::kFirstNonTrivial) {
        if (!startsSegment)
            return false;
        out.put(c, 0);
        return true;
    }
    if (isHangulSyllable(c)) {
        if (!startsSegment)
            return false;
        unsigned int const index = c - kHangulFirst;
        unsigned int const trail = index % kJamoTrailCount;
        out.put(kJamoLeadFirst + index / (kJamoVowelCount * kJamoTrailCount), 0);
        out.put(kJamoVowelFirst + index % (kJamoVowelCount * kJamoTrailCount) / kJamoTrailCount, 0);
        if (trail != 0)
            out.put(kJamoTrailFirst + trail, 0);
        return true;
    }
    unsigned int const record = normalizationRecord(c);
    if (!hasDecomposition(record)) {
        if (record == 0 && !startsSegment)
            return false;
        out.put(c, record);
        return true;
    }
    std::uint32_t const* part = decompositionBegin(record);
    std::uint32_t const* const end = part + decompositionLength(record);
    unsigned int const firstClass = classOfPart(*part);
    if (firstClass == 0 && !startsSegment)
        return false;
    out.put(*part, firstClass);
    while (++part != end)
        out.put(*part, classOfPart(*part));
    return true;
}

// Sorts each run of non-starters by combining class, keeping equal classes in their order.
void orderCanonically(unsigned int* first, unsigned int* last) {
    auto const byClass = [](unsigned int a, unsigned int b) {
        return combiningClass(a) < combiningClass(b);
    };
    auto const isStarter = [](unsigned int c) { return combiningClass(c) == 0; };
    unsigned int* runBegin = std::find_if_not(first, last, isStarter);
    while (runBegin != last) {
        unsigned int* const runEnd = std::find_if(runBegin, last, isStarter);
        if (!std::is_sorted(runBegin, runEnd, byClass))
            std::stable_sort(runBegin, runEnd, byClass);
        runBegin = std::find_if_not(runEnd, last, isStarter);
    }
}

} // namespace

std::size_t nfdUnchangedLength(unsigned int const* first, unsigned int const* last) {
    std::size_t const size = static_cast<std::size_t>(last - first);
    // Paths are mostly ASCII: skip it four code points at a time.
    std::size_t i = 0;
    while (i + 4 <= size && ((first[i] | first[i + 1] | first[i + 2] | first[i + 3]) & ~0x7Fu) == 0)
        i += 4;
    // The last ASCII character skipped begins the segment that the scan goes on in.
    std::size_t segmentStart = i == 0 ? 0 : i - 1;
    unsigned int previousClass = 0;
    for (; i < size; ++i) {
        unsigned int const c = first[i];
        if (c < tables::kFirstNonTrivial) {
            segmentStart = i;
            previousClass = 0;
            continue;
        }
        if (isHangulSyllable(c))
            return i;
        unsigned int const record = normalizationRecord(c);
        if (hasDecomposition(record))
            return beginsSegment(c) ? i : segmentStart;
        if (record == 0) {
            segmentStart = i;
        } else if (record < previousClass) {
            return segmentStart;
        }
        previousClass = record;
    }
    return size;
}

std::size_t decomposeSegment(unsigned int const* first, unsigned int const* last, unsigned int* out,
                             std::size_t capacity, unsigned int const*& segmentEnd) {
    SegmentOutput output(out, capacity);
    unsigned int const* c = first;
    if (c != last) {
        decomposeInto(*c++, true, output);
        while (c != last && decomposeInto(*c, false, output))
            ++c;
    }
    segmentEnd = c;
    if (!output.ordered() && output.count() <= capacity)
        orderCanonically(out, out + output.count());
    return output.count();
}

bool isNFD(String const& text) {
    return nfdUnchangedLength(text.data(), text.data() + text.size()) == text.size();
}

String toNFD(String const& text) {
    unsigned int const* rest = text.data();
    unsigned int const* const last = rest + text.size();
    std::size_t unchanged = nfdUnchangedLength(rest, last);
    if (unchanged == text.size())
        return text;
    String::storage_type decomposed;
    decomposed.reserve(text.size() + text.size() / 2);
    for (;;) {
        decomposed.append(rest, unchanged);
        rest += unchanged;
        if (rest == last)
            break;
        unsigned int buffer[kSegmentBuffer];
        unsigned int const* segmentEnd = rest;
        std::size_t const size = decomposeSegment(rest, last, buffer, kSegmentBuffer, segmentEnd);
        if (size <= kSegmentBuffer) {
            decomposed.append(buffer, size);
        } else {
            std::size_t const start = decomposed.size();
            decomposed.resize(start + size);
            decomposeSegment(rest, last, &decomposed[start], size, segmentEnd);
        }
        rest = segmentEnd;
        unchanged = nfdUnchangedLength(rest, last);
    }
    return String(std::move(decomposed));
}

} // namespace koril::unicode
