#ifndef KORIL_FILESYSTEM_SRC_FINALPATH_H
#define KORIL_FILESYSTEM_SRC_FINALPATH_H

#include <koril/filesystem/Path.h>

#include <string>

namespace koril::filesystem::detail {

// The final path of the object that the native string names, as the volume stores it, with the
// long-path prefix that the platform puts in front removed; the empty path when the object cannot
// be opened for reading with read sharing, or the query fails.
Path queryFinalPath(std::wstring const& native);

} // namespace koril::filesystem::detail

#endif
