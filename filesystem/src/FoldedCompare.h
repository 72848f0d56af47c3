#ifndef KORIL_FILESYSTEM_SRC_FOLDEDCOMPARE_H
#define KORIL_FILESYSTEM_SRC_FOLDEDCOMPARE_H

#include <koril/unicode/String.h>

namespace koril::filesystem::detail {

// Three-way comparison (-1, 0, 1) of two texts as they are, without bringing them to NFD: ASCII
// pairs folded to lower case, other code points by simple case folding. A position past the end
// of a text reads as 0. `comparePaths` is this after NFD; the executable-extension test uses it
// alone.
int compareFolded(koril::unicode::String const& a, koril::unicode::String const& b);

} // namespace koril::filesystem::detail

#endif
