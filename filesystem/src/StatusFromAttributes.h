#ifndef KORIL_FILESYSTEM_SRC_STATUSFROMATTRIBUTES_H
#define KORIL_FILESYSTEM_SRC_STATUSFROMATTRIBUTES_H

#include <koril/filesystem/FileStatus.h>
#include <koril/filesystem/Path.h>

#include <cstdint>

namespace koril::filesystem::detail {

// The status that a platform attribute word gives for `path`: a reparse point is a link, else a
// directory or a regular file; owner read always, owner write unless read-only, owner execute for
// a non-directory whose extension is executable (".exe", ".bat", ".com", ".cmd", any case).
FileStatus statusFromAttributes(Path const& path, std::uint32_t attributes);

} // namespace koril::filesystem::detail

#endif
