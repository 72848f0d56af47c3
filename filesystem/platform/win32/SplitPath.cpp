#include "platform/win32/SystemCalls.h"

#include "platform/Platform.h"

#include <vector>

namespace koril::filesystem::platform {

bool splitPath(String const& text, SplitPath& parts) {
    std::wstring const path = text.toNativeString();
    // Every part fits in a buffer as long as the whole text and its terminator.
    std::size_t const size = path.size() + 1;
    std::vector<wchar_t> drive(size), directory(size), fileName(size), extension(size);
    if (win32::systemCalls._wsplitpath_s(path.c_str(), drive.data(), size, directory.data(), size,
                                         fileName.data(), size, extension.data(), size) != 0)
        return false;
    parts.drive = String(std::wstring(drive.data()));
    parts.directory = String(std::wstring(directory.data()));
    parts.fileName = String(std::wstring(fileName.data()));
    parts.extension = String(std::wstring(extension.data()));
    return true;
}

} // namespace koril::filesystem::platform
