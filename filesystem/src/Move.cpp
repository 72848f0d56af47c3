// Renaming and moving.

#include "PathLocation.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

bool rename(Path const& from, Path const& to) {
    return platform::rename(detail::PathLocation(from), detail::PathLocation(to));
}

// Where a rename cannot work (another volume), a copy followed by the removal of the source.
// The copy never overwrites, so a failed move leaves the destination as it was.
bool move(Path const& from, Path const& to) {
    if (rename(from, to))
        return true;
    if (!copy(from, to))
        return false;
    return removeAll(from);
}

} // namespace koril::filesystem
