#ifndef KORIL_FILESYSTEM_SRC_TREEREMOVAL_H
#define KORIL_FILESYSTEM_SRC_TREEREMOVAL_H

#include <koril/filesystem/Path.h>

namespace koril::filesystem::detail {

// Removes `directory` with everything below it, children before parents, never following a
// link. Stops at the first entry that cannot be removed and returns false; what went before
// stays removed.
bool removeTree(Path const& directory);

} // namespace koril::filesystem::detail

#endif
