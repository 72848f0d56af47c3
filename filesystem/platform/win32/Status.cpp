// Attributes, existence, status and final paths.

#include "StatusFromAttributes.h"

#include "platform/win32/Handles.h"

namespace koril::filesystem::platform {

namespace win32 {

FileHandle openForQuery(std::wstring const& native, DWORD access) {
    DWORD const flags = systemCalls.PathIsDirectoryW(native.c_str()) != 0
                            ? FILE_FLAG_BACKUP_SEMANTICS
                            : FILE_ATTRIBUTE_NORMAL;
    return FileHandle(systemCalls.CreateFileW(native.c_str(), access, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, flags, nullptr));
}

} // namespace win32

namespace {

// The first call offers MAX_PATH; a longer final path is asked for with the size the call
// reports, at most twice more.
constexpr DWORD firstFinalPathCapacity = 260;
constexpr int maximumFinalPathCalls = 3;

// GetFileAttributesExW counts as answered only when it returns exactly TRUE.
bool attributesOf(std::wstring const& native, Attributes& attributes) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (win32::systemCalls.GetFileAttributesExW(native.c_str(), GetFileExInfoStandard, &data) !=
        TRUE)
        return false;
    attributes.bits = data.dwFileAttributes;
    attributes.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

std::wstring readFinalPath(HANDLE file) {
    std::wstring buffer(firstFinalPathCapacity, L'\0');
    for (int call = 1; call <= maximumFinalPathCalls; ++call) {
        auto const capacity = static_cast<DWORD>(buffer.size());
        DWORD const result =
            win32::systemCalls.GetFinalPathNameByHandleW(file, buffer.data(), capacity, 0);
        if (result == 0)
            return {};
        if (result <= capacity)
            return std::wstring(buffer.c_str());
        // Too short: `result` is the size needed, terminator included.
        buffer.assign(result, L'\0');
    }
    return {};
}

} // namespace

Path finalPath(std::wstring const& nativeString) {
    win32::FileHandle file = win32::openForQuery(nativeString, GENERIC_READ);
    if (!file)
        return Path();
    std::wstring const text = readFinalPath(file.get());
    file.reset();
    return Path(String(text));
}

bool queryAttributes(Location location, Attributes& attributes) {
    return attributesOf(win32::nativeOf(location), attributes);
}

bool queryFinalAttributes(Location location, Attributes& attributes) {
    Path const resolved = finalPath(win32::nativeOf(location));
    return !resolved.empty() && attributesOf(resolved.nativeString(), attributes);
}

bool exists(Location location) {
    return win32::systemCalls.PathFileExistsW(win32::nativeOf(location).c_str()) == 1;
}

bool isDirectory(Location location) {
    return win32::systemCalls.PathIsDirectoryW(win32::nativeOf(location).c_str()) != 0;
}

FileStatus status(Path const& path) {
    Path const resolved = finalPath(path.nativeString());
    if (resolved.empty())
        return FileStatus(FileNotFound, PermissionsUnknown);
    Attributes attributes;
    if (!attributesOf(resolved.nativeString(), attributes))
        return FileStatus();
    // The executable bit follows the name of what the path finally names.
    return detail::statusFromAttributes(resolved, attributes.bits);
}

FileStatus symbolicLinkStatus(Path const& path) {
    std::wstring const native = path.nativeString();
    Attributes attributes;
    if (!attributesOf(native, attributes))
        return FileStatus();
    // What is not a link is asked about a second time, and its status comes from that answer.
    if ((attributes.bits & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && !attributesOf(native, attributes))
        return FileStatus();
    return detail::statusFromAttributes(path, attributes.bits);
}

long long fileSize(Path const& path) {
    Attributes attributes;
    if (!queryFinalAttributes(atPath(path.nativeString()), attributes))
        return -1;
    return static_cast<long long>(attributes.size);
}

} // namespace koril::filesystem::platform
