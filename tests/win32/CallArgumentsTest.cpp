// The exact arguments the backend hands to Windows: the access, sharing and flags of every
// open, the shape of every directory search, and the flags of links and modes.

#include "support/Scratch.h"
#include "win32/TableOverride.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace koril::testing::win32 {
namespace {

namespace platform = koril::filesystem::platform;
using koril::filesystem::Path;

struct CreateFileCall {
    std::wstring path;
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags;
};
std::vector<CreateFileCall> opens;
HANDLE WINAPI recordOpen(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                         DWORD disposition, DWORD flags, HANDLE templateFile) {
    opens.push_back({path, access, share, disposition, flags});
    return calls::realSystemCalls.CreateFileW(path, access, share, security, disposition, flags,
                                              templateFile);
}

std::vector<std::wstring> searchPatterns;
bool searchesWereBasic = true;
HANDLE WINAPI recordSearch(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data,
                           FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    searchPatterns.emplace_back(pattern);
    searchesWereBasic = searchesWereBasic && level == FindExInfoBasic &&
                        search == FindExSearchNameMatch && filter == nullptr && flags == 0;
    return calls::realSystemCalls.FindFirstFileExW(pattern, level, data, search, filter, flags);
}

struct OpenRow {
    char const* operation;
    bool onDirectory;
    std::function<void(Path const&)> run;
    DWORD access;
    DWORD share;
    DWORD flags;
};

void holdDirectory(Path const& path, platform::DirectoryUse use) {
    platform::Directory directory;
    platform::openDirectory(path, use, directory);
}

TEST(Win32CallArguments, EveryOpenAsksForItsAccessSharingAndFlags) {
    constexpr DWORD backup = FILE_FLAG_BACKUP_SEMANTICS;
    constexpr DWORD noReparse = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    constexpr DWORD readWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
    constexpr DWORD writeTimes = GENERIC_READ | FILE_WRITE_ATTRIBUTES;
    auto const readTime = [](Path const& p) {
        long long ticks = 0;
        platform::lastWriteTime(platform::atPath(p.nativeString()), ticks);
    };
    auto const writeTime = [](Path const& p) {
        platform::setLastWriteTime(platform::atPath(p.nativeString()), 15790896001234567LL);
    };
    OpenRow const rows[] = {
        {"finalPath", false, [](Path const& p) { platform::finalPath(p.nativeString()); },
         GENERIC_READ, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL},
        {"finalPath", true, [](Path const& p) { platform::finalPath(p.nativeString()); },
         GENERIC_READ, FILE_SHARE_READ, backup},
        {"status", false, [](Path const& p) { platform::status(p); }, GENERIC_READ, FILE_SHARE_READ,
         FILE_ATTRIBUTE_NORMAL},
        {"fileSize", false, [](Path const& p) { platform::fileSize(p); }, GENERIC_READ,
         FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL},
        {"lastWriteTime", false, readTime, GENERIC_READ, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL},
        {"lastWriteTime", true, readTime, GENERIC_READ, FILE_SHARE_READ, backup},
        {"setLastWriteTime", false, writeTime, writeTimes, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL},
        {"setLastWriteTime", true, writeTime, writeTimes, FILE_SHARE_READ, backup},
        {"lockWholeFile", false,
         [](Path const& p) {
             void* handle = nullptr;
             platform::lockWholeFile(p, handle);
             platform::unlockWholeFile(handle);
         },
         GENERIC_READ, readWrite, FILE_ATTRIBUTE_NORMAL},
        {"isFileLocked", false, [](Path const& p) { platform::isFileLocked(p); }, GENERIC_READ, 0,
         0},
        {"walk", true, [](Path const& p) { holdDirectory(p, platform::DirectoryUse::walk); },
         GENERIC_READ, readWrite, noReparse},
        {"target", true, [](Path const& p) { holdDirectory(p, platform::DirectoryUse::target); },
         GENERIC_READ, readWrite, noReparse},
        {"walkFollowingLinks", true,
         [](Path const& p) { holdDirectory(p, platform::DirectoryUse::walkFollowingLinks); },
         GENERIC_READ, readWrite, backup},
    };
    ScratchDirectory scratch;
    writeFile(scratch / "file.txt", "contents");
    makeDirectories(scratch / "directory");
    TableOverride table;
    table->CreateFileW = &recordOpen;
    for (OpenRow const& row : rows) {
        SCOPED_TRACE(std::string(row.operation) + (row.onDirectory ? " of a directory" : ""));
        Path const path = scratch / (row.onDirectory ? "directory" : "file.txt");
        opens.clear();
        row.run(path);
        ASSERT_EQ(opens.size(), 1u);
        CreateFileCall const& call = opens[0];
        EXPECT_EQ(call.path, path.nativeString());
        EXPECT_EQ(call.access, row.access);
        EXPECT_EQ(call.share, row.share);
        EXPECT_EQ(call.disposition, static_cast<DWORD>(OPEN_EXISTING));
        EXPECT_EQ(call.flags, row.flags);
    }
}

TEST(Win32CallArguments, ListingsSearchTheDirectoryForEverythingWithBasicInformation) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "directory/sub");
    TableOverride table;
    table->CreateFileW = &recordOpen;
    table->FindFirstFileExW = &recordSearch;
    opens.clear();

    platform::Directory listing;
    ASSERT_TRUE(
        platform::openDirectory(scratch / "directory", platform::DirectoryUse::list, listing));
    // A listing holds nothing but its search.
    EXPECT_TRUE(opens.empty());
    platform::Directory walked;
    ASSERT_TRUE(
        platform::openDirectory(scratch / "directory", platform::DirectoryUse::walk, walked));
    platform::Directory child;
    ASSERT_TRUE(platform::openDirectory(walked, L"sub", platform::DirectoryUse::walk, child));
    platform::Directory target;
    ASSERT_TRUE(platform::openDirectory(walked, L"sub", platform::DirectoryUse::target, target));

    std::wstring const native = (scratch / "directory").nativeString();
    std::vector<std::wstring> const expected = {native + L"\\*", native + L"\\*",
                                                native + L"\\sub\\*"};
    EXPECT_EQ(searchPatterns, expected);
    EXPECT_TRUE(searchesWereBasic);
    // The child is named by its held parent's native path and the name as listed.
    EXPECT_EQ(opens.back().path, native + L"\\sub");
    EXPECT_EQ(platform::pathOf(child), scratch / "directory/sub");
}

DWORD linkFlags = 0;
BOOLEAN WINAPI refuseLink(LPCWSTR, LPCWSTR, DWORD flags) {
    linkFlags = flags;
    SetLastError(ERROR_PRIVILEGE_NOT_HELD);
    return FALSE;
}

TEST(Win32CallArguments, LinksToDirectoriesCarryTheDirectoryFlagAndFailuresTheirError) {
    ScratchDirectory scratch;
    writeFile(scratch / "file.txt", "x");
    makeDirectories(scratch / "directory");
    struct Row {
        char const* target;
        DWORD flags;
    } const rows[] = {{"directory", SYMBOLIC_LINK_FLAG_DIRECTORY}, {"file.txt", 0}, {"missing", 0}};
    TableOverride table;
    table->CreateSymbolicLinkW = &refuseLink;
    for (Row const& row : rows) {
        SCOPED_TRACE(row.target);
        linkFlags = 0xFFFF;
        std::uint32_t error = 0;
        EXPECT_FALSE(platform::createSymbolicLink(scratch / row.target, scratch / "link", error));
        EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_PRIVILEGE_NOT_HELD));
        EXPECT_EQ(linkFlags, row.flags);
    }
}

int chmodMode = -1;
int WINAPI recordMode(wchar_t const*, int mode) {
    chmodMode = mode;
    return 0;
}

TEST(Win32CallArguments, WritableIsTheRuntimeWriteBitAlone) {
    TableOverride table;
    table->_wchmod = &recordMode;
    std::wstring const name = L"x";
    EXPECT_TRUE(platform::setWritable(platform::atPath(name), true));
    EXPECT_EQ(chmodMode, _S_IWRITE);
    EXPECT_TRUE(platform::setWritable(platform::atPath(name), false));
    EXPECT_EQ(chmodMode, 0);
}

} // namespace
} // namespace koril::testing::win32
