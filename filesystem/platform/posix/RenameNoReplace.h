#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_RENAMENOREPLACE_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_RENAMENOREPLACE_H

namespace koril::filesystem::platform::posix {

// rename(2) that never replaces an existing `to`: 0, or -1 with `errno` (EEXIST when `to`
// exists). Atomic where the kernel and file system offer renameat2's no-replace flag or hard
// links; elsewhere an lstat check precedes the rename.
int renameNoReplace(char const* from, char const* to);

} // namespace koril::filesystem::platform::posix

#endif
