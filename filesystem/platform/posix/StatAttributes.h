#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_STATATTRIBUTES_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_STATATTRIBUTES_H

// The Win32 attribute word of what `lstat` reports.

#include "platform/Platform.h"

#include <sys/stat.h>

namespace koril::filesystem::platform::posix {

// Directory bit from the file type; a symbolic link carries the reparse-point bit, plus the
// directory bit when `linkTargetIsDirectory` (as Windows directory links carry it); read-only
// when the owner may not write. A plain file with none of these is "normal".
inline std::uint32_t attributesFromStat(struct stat const& info, bool linkTargetIsDirectory) {
    std::uint32_t attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= attributeDirectory;
    if (S_ISLNK(info.st_mode)) {
        attributes |= attributeReparsePoint;
        if (linkTargetIsDirectory)
            attributes |= attributeDirectory;
    } else if ((info.st_mode & S_IWUSR) == 0) {
        attributes |= attributeReadOnly;
    }
    return attributes == 0 ? attributeNormal : attributes;
}

// The attributes of `path` from its `lstat` record `info`; a link costs a `stat` of its target.
inline std::uint32_t attributesOfPath(char const* path, struct stat const& info) {
    struct stat target;
    return attributesFromStat(info, S_ISLNK(info.st_mode) && ::stat(path, &target) == 0 &&
                                        S_ISDIR(target.st_mode));
}

} // namespace koril::filesystem::platform::posix

#endif
