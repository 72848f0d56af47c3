// Attribute and existence queries of the Win32 target.

#include "platform/Platform.h"

#include <windows.h>

#include <shlwapi.h>

namespace koril::filesystem::platform {

namespace {

std::uint64_t combine(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

} // namespace

bool getFileAttributesEx(std::wstring const& path, FileAttributeData& data) {
    WIN32_FILE_ATTRIBUTE_DATA record{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &record) != TRUE)
        return false;
    data.attributes = record.dwFileAttributes;
    data.size = combine(record.nFileSizeHigh, record.nFileSizeLow);
    data.lastWriteTime =
        combine(record.ftLastWriteTime.dwHighDateTime, record.ftLastWriteTime.dwLowDateTime);
    return true;
}

std::uint32_t getFileAttributes(std::wstring const& path) {
    return GetFileAttributesW(path.c_str());
}

bool pathFileExists(std::wstring const& path) {
    return PathFileExistsW(path.c_str()) == 1;
}

bool pathIsDirectory(std::wstring const& path) {
    return PathIsDirectoryW(path.c_str()) != 0;
}

bool getVolumeMaximumComponentLength(std::wstring const& rootPath, std::uint32_t& length) {
    DWORD maximum = 0;
    if (GetVolumeInformationW(rootPath.c_str(), nullptr, 0, nullptr, &maximum, nullptr, nullptr,
                              0) != 1)
        return false;
    length = maximum;
    return true;
}

std::uint32_t getTempPath(std::uint32_t capacity, std::wstring& path) {
    std::wstring buffer(capacity + 1, L'\0');
    DWORD const result = GetTempPathW(capacity, buffer.data());
    path.assign(buffer.c_str());
    return result;
}

} // namespace koril::filesystem::platform
