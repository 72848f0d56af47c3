// Directories held by a walk, and the listing of one directory.

#include "support/Scratch.h"
#include "win32/TableOverride.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace koril::testing::win32 {
namespace {

namespace platform = koril::filesystem::platform;
using koril::filesystem::Path;
using platform::DirectoryUse;

TEST(Win32Directories, EntriesOfAHeldDirectoryCanBeRemovedThroughIt) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "tree/sub");
    writeFile(scratch / "tree/file.txt", "x");
    platform::Directory tree;
    ASSERT_TRUE(platform::openDirectory(scratch / "tree", DirectoryUse::walk, tree));
    EXPECT_TRUE(platform::removeFile(platform::at(tree, L"file.txt")));
    EXPECT_TRUE(platform::removeDirectory(platform::at(tree, L"sub")));
    EXPECT_FALSE(existsOnDisk(scratch / "tree/file.txt"));
    EXPECT_FALSE(existsOnDisk(scratch / "tree/sub"));
    EXPECT_FALSE(platform::removeDirectory(platform::atPath((scratch / "tree").nativeString())));
    tree.close();
    EXPECT_TRUE(platform::removeDirectory(platform::atPath((scratch / "tree").nativeString())));
}

// Handles and searches the backend opened and has not closed yet.
int openHandles = 0;
int openSearches = 0;
HANDLE WINAPI countOpen(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                        DWORD disposition, DWORD flags, HANDLE templateFile) {
    HANDLE const handle = calls::realSystemCalls.CreateFileW(path, access, share, security,
                                                             disposition, flags, templateFile);
    openHandles += handle != INVALID_HANDLE_VALUE;
    return handle;
}
BOOL WINAPI countClose(HANDLE handle) {
    --openHandles;
    return calls::realSystemCalls.CloseHandle(handle);
}
HANDLE WINAPI countSearch(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data,
                          FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    HANDLE const handle =
        calls::realSystemCalls.FindFirstFileExW(pattern, level, data, search, filter, flags);
    openSearches += handle != INVALID_HANDLE_VALUE;
    return handle;
}
BOOL WINAPI countSearchClose(HANDLE handle) {
    --openSearches;
    return calls::realSystemCalls.FindClose(handle);
}

void countHandles(TableOverride& table) {
    openHandles = 0;
    openSearches = 0;
    table->CreateFileW = &countOpen;
    table->CloseHandle = &countClose;
    table->FindFirstFileExW = &countSearch;
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

TEST(Win32Directories, AFileIsNoDirectoryForAnyUse) {
    ScratchDirectory scratch;
    writeFile(scratch / "file.txt", "x");
    for (DirectoryUse const use : {DirectoryUse::list, DirectoryUse::walk,
                                   DirectoryUse::walkFollowingLinks, DirectoryUse::target}) {
        platform::Directory directory;
        EXPECT_FALSE(platform::openDirectory(scratch / "file.txt", use, directory))
            << static_cast<int>(use);
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

TEST(Win32Directories, HeldDirectoriesKnowWhetherTheyAreTheSameObject) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "one");
    makeDirectories(scratch / "two");
    platform::Directory one;
    platform::Directory oneAgain;
    platform::Directory two;
    platform::Directory listed;
    ASSERT_TRUE(platform::openDirectory(scratch / "one", DirectoryUse::walkFollowingLinks, one));
    ASSERT_TRUE(platform::openDirectory(scratch.path(), DirectoryUse::walk, listed));
    ASSERT_TRUE(platform::openDirectory(listed, L"one", DirectoryUse::walk, oneAgain));
    ASSERT_TRUE(platform::openDirectory(scratch / "two", DirectoryUse::walk, two));
    platform::DirectoryIdentity a;
    platform::DirectoryIdentity b;
    platform::DirectoryIdentity c;
    ASSERT_TRUE(platform::identityOf(one, a));
    ASSERT_TRUE(platform::identityOf(oneAgain, b));
    ASSERT_TRUE(platform::identityOf(two, c));
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == c);
    platform::Directory listing;
    ASSERT_TRUE(platform::openDirectory(scratch / "one", DirectoryUse::list, listing));
    EXPECT_FALSE(platform::identityOf(listing, a));
}

} // namespace
} // namespace koril::testing::win32
