// The loops and limits around the runtime's and the system's directory queries, what the
// backend answers when one call of an operation fails, and the runtime's text mode in comparisons.

#include "support/Scratch.h"
#include "win32/TableOverride.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace koril::testing::win32 {
namespace {

namespace platform = koril::filesystem::platform;
using koril::filesystem::FileStatus;
using koril::filesystem::FileType;
using koril::filesystem::Path;

std::vector<int> offeredSizes;
int shortUntil = 0;
int failure = ERANGE;
wchar_t* WINAPI shortBuffers(wchar_t* buffer, int size) {
    offeredSizes.push_back(size);
    if (size < shortUntil) {
        errno = failure;
        return nullptr;
    }
    return calls::realSystemCalls._wgetcwd(buffer, size);
}

TEST(Win32Runtime, TheCurrentDirectoryBufferDoublesOnlyWhileItIsTooShort) {
    Path const real = platform::currentDirectory();
    ASSERT_FALSE(real.empty());
    TableOverride table;
    table->_wgetcwd = &shortBuffers;

    offeredSizes.clear();
    shortUntil = 4096;
    failure = ERANGE;
    EXPECT_EQ(platform::currentDirectory(), real);
    EXPECT_EQ(offeredSizes, (std::vector<int>{1024, 2048, 4096}));

    offeredSizes.clear();
    failure = EACCES;
    EXPECT_TRUE(platform::currentDirectory().empty());
    EXPECT_EQ(offeredSizes, (std::vector<int>{1024}));
}

DWORD tempPathResult = 0;
DWORD tempPathCapacity = 0;
DWORD WINAPI fixedTempPath(DWORD capacity, LPWSTR buffer) {
    tempPathCapacity = capacity;
    wcscpy(buffer, L"C:\\temp\\");
    return tempPathResult;
}

TEST(Win32Runtime, ATemporaryPathThatDoesNotFitMaxPathIsNone) {
    TableOverride table;
    table->GetTempPathW = &fixedTempPath;
    struct Row {
        DWORD result;
        bool found;
    } const rows[] = {{8, true}, {259, true}, {260, false}, {0, false}};
    for (Row const& row : rows) {
        tempPathResult = row.result;
        EXPECT_EQ(platform::temporaryDirectory().empty(), !row.found) << row.result;
        EXPECT_EQ(tempPathCapacity, static_cast<DWORD>(MAX_PATH));
    }
}

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

TEST(Win32TextMode, FilesOfEqualSizeThatReadAlikeInTextModeAreEqual) {
    struct Row {
        char const* what;
        std::string a;
        std::string b;
        bool equal;
    } const rows[] = {
        {"CR LF reads as LF, and 0x1A ends the input", "a\r\nb", std::string("a\nb\x1a", 4), true},
        {"bytes after 0x1A are never read",
         std::string("ab\x1a"
                     "x",
                     4),
         std::string("ab\x1a"
                     "y",
                     4),
         true},
        {"a lone CR stays", "a\rb\n", "a\nb\n", false},
        {"different bytes before 0x1A", std::string("ab\x1a", 3), std::string("ac\x1a", 3), false},
    };
    ScratchDirectory scratch;
    for (Row const& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(row.a.size(), row.b.size());
        writeFile(scratch / "a", row.a);
        writeFile(scratch / "b", row.b);
        EXPECT_EQ(platform::compareFiles(platform::atPath((scratch / "a").nativeString()),
                                         platform::atPath((scratch / "b").nativeString())),
                  row.equal);
    }
}

} // namespace
} // namespace koril::testing::win32
