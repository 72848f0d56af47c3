#include "platform/Platform.h"

#include <stdlib.h>
#include <wchar.h>

#include <vector>

namespace koril::filesystem::platform {

bool splitPath(std::wstring const& path, SplitPath& parts) {
    // Every part fits in a buffer as long as the whole text plus its terminator.
    std::size_t const size = path.size() + 1;
    std::vector<wchar_t> drive(size), directory(size), fileName(size), extension(size);
    if (_wsplitpath_s(path.c_str(), drive.data(), size, directory.data(), size, fileName.data(),
                      size, extension.data(), size) != 0)
        return false;
    parts.drive = drive.data();
    parts.directory = directory.data();
    parts.fileName = fileName.data();
    parts.extension = extension.data();
    return true;
}

} // namespace koril::filesystem::platform
