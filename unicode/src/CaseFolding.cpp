#include <koril/unicode/String.h>

#include "UnicodeTables.h"

namespace koril::unicode {

unsigned int simpleCaseFold(unsigned int const& codePoint) {
    unsigned int const c = codePoint;
    if (c < 0x80)
        return c - 'A' < 26u ? c + ('a' - 'A') : c;
    return c + detail::caseFoldDelta(c); // wraps for negative deltas
}

} // namespace koril::unicode
