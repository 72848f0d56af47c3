#include <koril/unicode/String.h>

#include "UnicodeTables.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace koril::unicode {

namespace {

void appendDecomposition(unsigned int c, String::storage_type& out) {
    using namespace detail;
    if (isHangulSyllable(c)) {
        unsigned int const index = c - kHangulFirst;
        unsigned int const trail = index % kJamoTrailCount;
        out.push_back(kJamoLeadFirst + index / (kJamoVowelCount * kJamoTrailCount));
        out.push_back(kJamoVowelFirst +
                      index % (kJamoVowelCount * kJamoTrailCount) / kJamoTrailCount);
        if (trail != 0)
            out.push_back(kJamoTrailFirst + trail);
        return;
    }
    unsigned int const record = normalizationRecord(c);
    if (!hasDecomposition(record)) {
        out.push_back(c);
        return;
    }
    std::uint32_t const* first = decompositionBegin(record);
    out.append(first, first + decompositionLength(record));
}

// Sorts each run of non-starters by combining class, keeping equal classes in their order.
void orderCanonically(String::storage_type& text) {
    auto const byClass = [](unsigned int a, unsigned int b) {
        return detail::combiningClass(a) < detail::combiningClass(b);
    };
    auto const isStarter = [](unsigned int c) { return detail::combiningClass(c) == 0; };
    auto runBegin = std::find_if_not(text.begin(), text.end(), isStarter);
    while (runBegin != text.end()) {
        auto const runEnd = std::find_if(runBegin, text.end(), isStarter);
        if (runEnd - runBegin > 1)
            std::stable_sort(runBegin, runEnd, byClass);
        runBegin = std::find_if_not(runEnd, text.end(), isStarter);
    }
}

} // namespace

bool isNFD(String const& text) {
    unsigned int const* const data = text.data();
    std::size_t const size = text.size();
    // Paths are mostly ASCII: skip it four code points at a time.
    std::size_t i = 0;
    while (i + 4 <= size && ((data[i] | data[i + 1] | data[i + 2] | data[i + 3]) & ~0x7Fu) == 0)
        i += 4;
    unsigned int previousClass = 0;
    for (; i < size; ++i) {
        unsigned int const c = data[i];
        if (c < tables::kFirstNonTrivial) {
            previousClass = 0;
            continue;
        }
        if (detail::isHangulSyllable(c))
            return false;
        unsigned int const record = detail::normalizationRecord(c);
        if (detail::hasDecomposition(record) || (record != 0 && record < previousClass))
            return false;
        previousClass = record;
    }
    return true;
}

String toNFD(String const& text) {
    if (isNFD(text))
        return text;
    String::storage_type decomposed;
    decomposed.reserve(text.size() + text.size() / 2);
    for (unsigned int c : text)
        appendDecomposition(c, decomposed);
    orderCanonically(decomposed);
    return String(std::move(decomposed));
}

} // namespace koril::unicode
