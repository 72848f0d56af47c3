#ifndef KORIL_FILESYSTEM_SRC_TREEREMOVAL_H
#define KORIL_FILESYSTEM_SRC_TREEREMOVAL_H

#include "platform/Platform.h"

#include <koril/filesystem/Path.h>

namespace koril::filesystem::detail {

// Removes `directory` with everything below it, children before parents, never following a link.
// Stops at the first entry that cannot be removed and returns false; what went before stays
// removed.
bool removeTree(Path const& directory);

// What `removeAll` does, for an entry of an open directory: a directory (not a link) with its
// tree, anything else as `platform::removeEntry` removes it.
bool removeAllAt(platform::Directory const& parent, platform::NativeName const& name);

} // namespace koril::filesystem::detail

#endif
