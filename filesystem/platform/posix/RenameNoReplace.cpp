// Renaming without replacing.

#include "platform/posix/RenameNoReplace.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace koril::filesystem::platform::posix {

int renameNoReplace(char const* from, char const* to) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return -1;
#endif
    struct stat info;
    if (::lstat(from, &info) != 0)
        return -1;
    if (!S_ISDIR(info.st_mode)) {
        // A hard link cannot replace anything; the source name goes once the link stands.
        if (::link(from, to) == 0)
            return ::unlink(from);
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
            return -1;
    }
    if (::lstat(to, &info) == 0) {
        errno = EEXIST;
        return -1;
    }
    return std::rename(from, to);
}

} // namespace koril::filesystem::platform::posix
