#include "platform/win32/Handles.h"

namespace koril::filesystem::platform::win32 {

FileHandle openForQuery(std::wstring const& native, DWORD access) {
    DWORD const flags = systemCalls.PathIsDirectoryW(native.c_str()) != 0
                            ? FILE_FLAG_BACKUP_SEMANTICS
                            : FILE_ATTRIBUTE_NORMAL;
    return FileHandle(systemCalls.CreateFileW(native.c_str(), access, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, flags, nullptr));
}

} // namespace koril::filesystem::platform::win32
