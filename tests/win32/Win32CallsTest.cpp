// What the Win32 backend hands to Windows and makes of its answers: the access, sharing and flags
// of every open, the shape of every directory search, the flags of links and modes, the loops
// and limits around buffer queries, and what an operation answers when one of its calls fails.
// Each test replaces entries of the system-call table; none tests what Windows itself does.

#include "support/Scratch.h"

#include "platform/Platform.h"
#include "platform/win32/SystemCalls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace koril::testing::win32 {
namespace {

namespace calls = koril::filesystem::platform::win32;
namespace platform = koril::filesystem::platform;
using koril::filesystem::FileStatus;
using koril::filesystem::FileType;
using koril::filesystem::Path;
using platform::DirectoryUse;

// Puts the real calls back when a test ends, however it ends.
struct TableOverride {
    ~TableOverride() { calls::systemCalls = calls::realSystemCalls; }

    calls::SystemCalls& operator*() const { return calls::systemCalls; }
    calls::SystemCalls* operator->() const { return &calls::systemCalls; }
};

struct CreateFileCall {
    std::wstring path;
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags;
};
// Every open and search, and the handles and searches the backend has not closed yet.
std::vector<CreateFileCall> opens;
int openHandles = 0;
int openSearches = 0;
HANDLE WINAPI recordOpen(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                         DWORD disposition, DWORD flags, HANDLE templateFile) {
    opens.push_back({path, access, share, disposition, flags});
    HANDLE const handle = calls::realSystemCalls.CreateFileW(path, access, share, security,
                                                             disposition, flags, templateFile);
    openHandles += handle != INVALID_HANDLE_VALUE;
    return handle;
}

std::vector<std::wstring> searchPatterns;
bool searchesWereBasic = true;
HANDLE WINAPI recordSearch(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data,
                           FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    searchPatterns.emplace_back(pattern);
    searchesWereBasic = searchesWereBasic && level == FindExInfoBasic &&
                        search == FindExSearchNameMatch && filter == nullptr && flags == 0;
    HANDLE const handle =
        calls::realSystemCalls.FindFirstFileExW(pattern, level, data, search, filter, flags);
    openSearches += handle != INVALID_HANDLE_VALUE;
    return handle;
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

BOOL WINAPI countClose(HANDLE handle) {
    --openHandles;
    return calls::realSystemCalls.CloseHandle(handle);
}
BOOL WINAPI countSearchClose(HANDLE handle) {
    --openSearches;
    return calls::realSystemCalls.FindClose(handle);
}

void countHandles(TableOverride& table) {
    openHandles = 0;
    openSearches = 0;
    table->CreateFileW = &recordOpen;
    table->CloseHandle = &countClose;
    table->FindFirstFileExW = &recordSearch;
    table->FindClose = &countSearchClose;
}

DWORD reportedAttributes = 0;
BOOL WINAPI reportAttributes(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information) {
    BOOL const answered = calls::realSystemCalls.GetFileInformationByHandle(handle, information);
    information->dwFileAttributes = reportedAttributes;
    return answered;
}

TEST(Win32Directories, OnlyTheWalksThatFollowLinksAcceptAReparsePoint) {
    struct Row {
        DirectoryUse use;
        DWORD attributes;
        bool opens;
    } const rows[] = {
        {DirectoryUse::walk, FILE_ATTRIBUTE_DIRECTORY, true},
        {DirectoryUse::walk, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, false},
        {DirectoryUse::walk, FILE_ATTRIBUTE_NORMAL, false},
        {DirectoryUse::target, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, false},
        {DirectoryUse::target, FILE_ATTRIBUTE_ARCHIVE, false},
        {DirectoryUse::walkFollowingLinks, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT,
         true},
        {DirectoryUse::walkFollowingLinks, FILE_ATTRIBUTE_NORMAL, false},
    };
    ScratchDirectory scratch;
    makeDirectories(scratch / "directory");
    TableOverride table;
    countHandles(table);
    table->GetFileInformationByHandle = &reportAttributes;
    for (Row const& row : rows) {
        SCOPED_TRACE(std::to_string(static_cast<int>(row.use)) + " of attributes " +
                     std::to_string(row.attributes));
        reportedAttributes = row.attributes;
        {
            platform::Directory directory;
            EXPECT_EQ(platform::openDirectory(scratch / "directory", row.use, directory),
                      row.opens);
            EXPECT_EQ(directory.isOpen(), row.opens);
        }
        EXPECT_EQ(openHandles, 0);
        EXPECT_EQ(openSearches, 0);
    }
}

std::map<std::wstring, platform::EntryKind> readAll(platform::Directory& directory,
                                                    platform::ReadResult& last) {
    std::map<std::wstring, platform::EntryKind> entries;
    platform::DirectoryRecord record;
    while ((last = platform::readDirectory(directory, record)) == platform::ReadResult::entry) {
        EXPECT_TRUE(record.hasAttributes);
        entries[record.name] = record.kind;
    }
    return entries;
}

// The call that would have said "no more files" fails otherwise.
bool failAtTheEnd = false;
BOOL WINAPI failInsteadOfEnding(HANDLE search, LPWIN32_FIND_DATAW data) {
    BOOL const found = calls::realSystemCalls.FindNextFileW(search, data);
    if (!found && failAtTheEnd && GetLastError() == ERROR_NO_MORE_FILES)
        SetLastError(ERROR_ACCESS_DENIED);
    return found;
}

TEST(Win32Directories, AListingEndsOnlyWhenWindowsSaysNoMoreFiles) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "directory/sub");
    writeFile(scratch / "directory/a.txt", "a");
    writeFile(scratch / "directory/b.txt", "bb");
    std::map<std::wstring, platform::EntryKind> const expected = {
        {L"a.txt", platform::EntryKind::file},
        {L"b.txt", platform::EntryKind::file},
        {L"sub", platform::EntryKind::directory}};
    TableOverride table;
    countHandles(table);
    table->FindNextFileW = &failInsteadOfEnding;
    for (DirectoryUse const use : {DirectoryUse::list, DirectoryUse::walk}) {
        SCOPED_TRACE(static_cast<int>(use));
        failAtTheEnd = false;
        platform::Directory directory;
        ASSERT_TRUE(platform::openDirectory(scratch / "directory", use, directory));
        platform::ReadResult last = platform::ReadResult::entry;
        EXPECT_EQ(readAll(directory, last), expected);
        EXPECT_EQ(last, platform::ReadResult::end);
        // The search is over; a walk still holds the directory.
        EXPECT_EQ(openSearches, 0);
        EXPECT_EQ(openHandles, use == DirectoryUse::walk ? 1 : 0);
        platform::DirectoryRecord record;
        EXPECT_EQ(platform::readDirectory(directory, record), platform::ReadResult::end);

        failAtTheEnd = true;
        ASSERT_TRUE(platform::openDirectory(scratch / "directory", use, directory));
        EXPECT_EQ(readAll(directory, last), expected);
        EXPECT_EQ(last, platform::ReadResult::failed);
        EXPECT_EQ(openSearches, 0);
    }
}

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

} // namespace
} // namespace koril::testing::win32
