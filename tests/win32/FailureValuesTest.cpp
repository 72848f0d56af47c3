// What the backend answers when one call of an operation fails.

#include "support/Scratch.h"
#include "win32/TableOverride.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

namespace koril::testing::win32 {
namespace {

namespace platform = koril::filesystem::platform;
using koril::filesystem::FileStatus;
using koril::filesystem::FileType;

HANDLE WINAPI refuseOpen(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
}
DWORD WINAPI refuseFinalPath(HANDLE, LPWSTR, DWORD, DWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}
BOOL WINAPI refuseAttributes(LPCWSTR, GET_FILEEX_INFO_LEVELS, LPVOID) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST(Win32FailureValues, StatusTellsAnObjectThatCannotBeOpenedFromOneThatCannotBeAsked) {
    struct Row {
        char const* failing;
        void (*refuse)(calls::SystemCalls&);
        FileType type;
    } const rows[] = {
        {"the open", [](calls::SystemCalls& t) { t.CreateFileW = &refuseOpen; },
         koril::filesystem::FileNotFound},
        {"the final path",
         [](calls::SystemCalls& t) { t.GetFinalPathNameByHandleW = &refuseFinalPath; },
         koril::filesystem::FileNotFound},
        {"the attributes",
         [](calls::SystemCalls& t) { t.GetFileAttributesExW = &refuseAttributes; },
         koril::filesystem::StatusUnknown},
    };
    ScratchDirectory scratch;
    writeFile(scratch / "file.txt", "contents");
    for (Row const& row : rows) {
        SCOPED_TRACE(row.failing);
        TableOverride table;
        row.refuse(*table);
        FileStatus const status = platform::status(scratch / "file.txt");
        EXPECT_EQ(status.getType(), row.type);
        EXPECT_EQ(status.getPermissions(), koril::filesystem::PermissionsUnknown);
        EXPECT_EQ(platform::fileSize(scratch / "file.txt"), -1);
    }
}

HANDLE lockedHandle = nullptr;
BOOL WINAPI recordLock(HANDLE handle, DWORD, DWORD, DWORD, DWORD) {
    lockedHandle = handle;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

TEST(Win32FailureValues, ALockOnAFileThatCannotBeOpenedFailsOnTheInvalidHandle) {
    ScratchDirectory scratch;
    TableOverride table;
    table->CreateFileW = &refuseOpen;
    table->LockFile = &recordLock;
    void* handle = &lockedHandle;
    EXPECT_FALSE(platform::lockWholeFile(scratch / "file.txt", handle));
    EXPECT_EQ(lockedHandle, INVALID_HANDLE_VALUE);
    // Nothing to release.
    EXPECT_EQ(handle, nullptr);
}

} // namespace
} // namespace koril::testing::win32
