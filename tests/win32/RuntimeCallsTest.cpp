// The loops and limits around the runtime's and the system's directory queries.

#include "win32/TableOverride.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace koril::testing::win32 {
namespace {

namespace platform = koril::filesystem::platform;
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

} // namespace
} // namespace koril::testing::win32
