// Directory searches of the Win32 target.

#include "platform/Platform.h"

#include <windows.h>

namespace koril::filesystem::platform {

namespace {

void copyRecord(WIN32_FIND_DATAW const& record, FindData& data) {
    data.attributes = record.dwFileAttributes;
    data.name.assign(record.cFileName);
}

} // namespace

Handle findFirstFile(std::wstring const& pattern, FindData& data) {
    WIN32_FIND_DATAW record;
    HANDLE const search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &record,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE)
        copyRecord(record, data);
    return search;
}

bool findNextFile(Handle search, FindData& data) {
    WIN32_FIND_DATAW record;
    if (!FindNextFileW(search, &record))
        return false;
    copyRecord(record, data);
    return true;
}

void findClose(Handle search) {
    FindClose(search);
}

} // namespace koril::filesystem::platform
