// The path length limits that the library reports and checks.

#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

#include "platform/Platform.h"

#include <limits>

namespace koril::filesystem {

namespace {

// Room kept below the path limit for a name inside a directory.
constexpr int directoryMargin = 25;

bool useLongPathNames = false;

long long nativeLength(Path const& path) {
    return static_cast<long long>(path.nativeString().size());
}

// Every element below the deepest existing ancestor must fit the volume's maximum component
// length; `parentExists` says that the parent of `p` is known to exist.
bool checkLength(Path const& p, bool resolveParent, bool parentExists) {
    if (p.isRelative() && p.string().size() >= platform::pathLengthLimits().relativeText)
        return false;
    int const directoryLimit = getMaxNativeStringDirectoryLength();
    if (nativeLength(p) > directoryLimit)
        return false;
    Path q = p;
    bool known = parentExists;
    if (resolveParent) {
        Path const parent = p.parentPath();
        known = exists(parent);
        if (known)
            q = canonical(parent) / p.filename();
    }
    if (nativeLength(q) > directoryLimit)
        return false;
    int const nameLimit = getMaxNativeStringNameLength(q);
    if (nameLimit < 1)
        return true;
    for (Path c = q;;) {
        if (nativeLength(c) <= nameLimit)
            return true;
        if (nativeLength(c.filename()) > nameLimit)
            return false;
        Path parent = c.parentPath();
        // A parent that is not shorter would never end the walk; nothing is left to check.
        if (parent.size() >= c.size())
            return true;
        c = std::move(parent);
        if (known || exists(c))
            return true;
    }
}

} // namespace

void setUseLongPathNames(bool use) {
    useLongPathNames = use;
}

int getMaxNativeStringPathLength() {
    platform::PathLengthLimits const& limits = platform::pathLengthLimits();
    return useLongPathNames ? limits.longPath : limits.classicPath;
}

int getMaxNativeStringDirectoryLength() {
    return getMaxNativeStringPathLength() - directoryMargin;
}

int getMaxNativeStringNameLength(Path const& p) {
    std::uint32_t length = 0;
    if (!platform::volumeMaximumNameLength(p.rootPath().string(), length))
        return platform::pathLengthLimits().fallbackName;
    return length > static_cast<std::uint32_t>(std::numeric_limits<int>::max())
               ? std::numeric_limits<int>::max()
               : static_cast<int>(length);
}

bool isValidPathLength(Path const& p) {
    return checkLength(p, true, false);
}

bool isValidDirectoryPathLength(Path const& p) {
    Path q = p;
    Path const parent = p.parentPath();
    bool const parentExists = exists(parent);
    if (parentExists)
        q = canonical(parent) / p.filename();
    if (!checkLength(q, false, parentExists))
        return false;
    return nativeLength(q) < getMaxNativeStringPathLength();
}

} // namespace koril::filesystem
