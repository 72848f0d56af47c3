#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

Path complete(Path const& path, Path const& base) {
    if (path.empty() || !base.isComplete() || !path.rootName().empty())
        return path;
    if (!path.rootDirectory().empty())
        return base.rootName() / path;
    return base / path;
}

Path systemComplete(Path const& path) {
    if (path.isComplete())
        return path;
    Path const current = getCurrentDirectory();
    Path const rootName = path.rootName();
    if (rootName.empty() || rootName == current.rootName())
        return complete(path, current);
    return path;
}

} // namespace koril::filesystem
