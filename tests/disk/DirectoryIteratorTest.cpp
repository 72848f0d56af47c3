// Listing one directory: what the entries hold, the end states, shared searches, and entries.

#include "DeepDirectories.h"
#include "support/Scratch.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDirectory;

// Every entry of a listing, by file name.
std::map<std::string, DirectoryEntry> listAll(Path const& directory) {
    std::map<std::string, DirectoryEntry> entries;
    DirectoryEntry const end = *DirectoryIterator();
    for (DirectoryIterator it(directory); *it != end; ++it) {
        std::string const name = it->getPath().filename().string().toUTF8String();
        EXPECT_TRUE(entries.emplace(name, *it).second) << "listed twice: " << name;
    }
    return entries;
}

void expectStatus(FileStatus actual, FileType type, unsigned permissions, std::string const& what) {
    EXPECT_EQ(actual.getType(), type) << what;
    EXPECT_EQ(actual.getPermissions(), permissions) << what;
}

TEST(DirectoryIteratorTest, ListsEachEntryOnceWithItsFullPath) {
    ScratchDirectory scratch;
    for (char const* name : {"a", "b", "c"})
        testing::writeFile(scratch / name, name);
    DirectoryIterator it(scratch.path());
    EXPECT_TRUE(it.canIterate());
    std::set<std::string> seen;
    DirectoryEntry const end = *DirectoryIterator();
    for (; *it != end; ++it) {
        Path const& path = it->getPath();
        EXPECT_EQ(path.parentPath().string(), scratch.path().string());
        seen.insert(path.filename().string().toUTF8String());
    }
    EXPECT_EQ(seen, (std::set<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(it->getPath().empty());
    EXPECT_TRUE(it.canIterate());
}

TEST(DirectoryIteratorTest, DirectoryWithTrailingSeparatorJoinsWithOneSeparator) {
    ScratchDirectory scratch;
    testing::writeFile(scratch / "only", "");
    Path directory = scratch.path();
    directory.appendSeparator();
    DirectoryIterator it(directory);
    ASSERT_FALSE(it->getPath().empty());
    EXPECT_EQ(it->getPath().string(), (scratch / "only").string());
}

TEST(DirectoryIteratorTest, EndStatesTellUnlistableFromEmpty) {
    ScratchDirectory scratch;
    testing::makeDirectories(scratch / "empty");
    testing::writeFile(scratch / "file", "x");
    struct Case {
        Path directory;
        bool canIterate;
    };
    std::vector<Case> const cases = {
        {scratch / "empty", true},
        {scratch / "missing", false},
        {scratch / "file", false},
        {scratch / "missing/deeper", false},
        {scratch.path() / Path(std::string(4000, 'x')), false},
    };
    DirectoryEntry const end = *DirectoryIterator();
    for (Case const& c : cases) {
        DirectoryIterator it(c.directory);
        std::string const what = c.directory.string().toUTF8String().substr(0, 100);
        EXPECT_EQ(*it, end) << what;
        EXPECT_EQ(it.canIterate(), c.canIterate) << what;
        ++it;
        EXPECT_EQ(*it, end) << what;
        EXPECT_EQ(it.canIterate(), c.canIterate) << what;
    }
    DirectoryIterator defaultIterator;
    EXPECT_FALSE(defaultIterator.canIterate());
    ++defaultIterator;
    EXPECT_EQ(*defaultIterator, end);
}

TEST(DirectoryIteratorTest, CopiesShareOneSearch) {
    ScratchDirectory scratch;
    for (char const* name : {"a", "b", "c"})
        testing::writeFile(scratch / name, "");
    DirectoryEntry const end = *DirectoryIterator();
    std::set<std::string> seen;
    auto note = [&](DirectoryIterator const& it) {
        EXPECT_NE(*it, end);
        EXPECT_TRUE(seen.insert(it->getPath().string().toUTF8String()).second);
    };
    DirectoryIterator it(scratch.path());
    note(it);
    DirectoryIterator copy = it;
    EXPECT_EQ(*copy, *it);
    ++it;
    note(it);
    EXPECT_NE(*copy, *it);
    ++copy;
    note(copy);
    ++it;
    // All three are used up by the two copies together.
    EXPECT_EQ(*it, end);
    EXPECT_TRUE(it.canIterate());
    DirectoryIterator assigned;
    assigned = copy;
    ++assigned;
    EXPECT_EQ(*assigned, end);
    EXPECT_EQ(seen.size(), 3u);
}

TEST(DirectoryIteratorTest, StatusesComeFromTheListing) {
    ScratchDirectory scratch;
    testing::makeDirectories(scratch / "sub");
    testing::writeFile(scratch / "tool.cmd", "x");
    testing::writeFile(scratch / "plain.txt", "x");
    testing::writeFile(scratch / "locked.txt", "x");
    testing::makeReadOnly(scratch / "locked.txt");
    auto const entries = listAll(scratch.path());
    ASSERT_EQ(entries.size(), 4u);
    struct Expected {
        char const* name;
        FileType type;
        unsigned permissions;
    };
    for (Expected const& e :
         {Expected{"sub", DirectoryFile, 0600}, Expected{"tool.cmd", RegularFile, 0700},
          Expected{"plain.txt", RegularFile, 0600}, Expected{"locked.txt", RegularFile, 0400}}) {
        DirectoryEntry const& entry = entries.at(e.name);
        expectStatus(entry.getStatus(), e.type, e.permissions, e.name);
        expectStatus(entry.getSymlinkStatus(), e.type, e.permissions, e.name);
    }
}

// A listed entry answers from its cache; one with unknown statuses asks each time and keeps
// nothing.
TEST(DirectoryIteratorTest, GettersQueryOnlyForUnknownStatuses) {
    ScratchDirectory scratch;
    Path const file = scratch / "gone.exe";
    testing::writeFile(file, "x");
    DirectoryEntry const listed = *DirectoryIterator(scratch.path());
    DirectoryEntry const byHand(file, FileStatus(), FileStatus());
    expectStatus(byHand.getStatus(), RegularFile, 0700, "byHand getStatus");
    expectStatus(byHand.getSymlinkStatus(), RegularFile, 0700, "byHand getSymlinkStatus");
    fs::remove(testing::toStd(file));
    expectStatus(listed.getStatus(), RegularFile, 0700, "listed getStatus");
    expectStatus(listed.getSymlinkStatus(), RegularFile, 0700, "listed getSymlinkStatus");
    expectStatus(byHand.getStatus(), StatusUnknown, PermissionsUnknown, "byHand after removal");
    expectStatus(byHand.getSymlinkStatus(), StatusUnknown, PermissionsUnknown,
                 "byHand link status after removal");
    expectStatus(DirectoryEntry().getStatus(), StatusUnknown, PermissionsUnknown, "default");
}

TEST(DirectoryIteratorTest, EntriesCompareByPathStringAlone) {
    struct Case {
        char const* a;
        char const* b;
        int order; // sign of a compared with b
    };
    std::vector<Case> const cases = {
        {"dir\\a", "dir\\a", 0},
        {"dir\\a", "dir\\b", -1},
        {"dir\\b", "dir\\a", 1},
        // Code points, not the path comparison: case and composition count.
        {"dir\\A", "dir\\a", -1},
        {"dir\\\xC3\xA9", "dir\\e\xCC\x81", 1},
        {"", "x", -1},
    };
    for (Case const& c : cases) {
        DirectoryEntry const a(Path(c.a), FileStatus(RegularFile, OwnerRead), FileStatus());
        DirectoryEntry const b(Path(c.b), FileStatus(DirectoryFile), FileStatus(SymbolicLinkFile));
        std::string const what = std::string(c.a) + " vs " + c.b;
        EXPECT_EQ(a == b, c.order == 0) << what;
        EXPECT_EQ(a != b, c.order != 0) << what;
        EXPECT_EQ(a < b, c.order < 0) << what;
        EXPECT_EQ(a <= b, c.order <= 0) << what;
        EXPECT_EQ(a > b, c.order > 0) << what;
        EXPECT_EQ(a >= b, c.order >= 0) << what;
    }
}

TEST(DirectoryIteratorTest, ListsThousandsOfEntriesAndUnusualNames) {
    ScratchDirectory scratch;
    std::set<std::string> expected = {"\xC3\xA9t\xC3\xA9",
                                      "e\xCC\x81te\xCC\x81",
                                      "\xF0\x9D\x84\x9E.cmd",
                                      "with space",
                                      ".hidden",
                                      "..more"};
    for (int i = 0; i < 3000; ++i)
        expected.insert("entry" + std::to_string(i));
    for (std::string const& name : expected)
        testing::writeFile(scratch / name, "");
    auto const entries = listAll(scratch.path());
    std::set<std::string> seen;
    for (auto const& [name, entry] : entries) {
        seen.insert(name);
        EXPECT_EQ(entry.getStatus().getType(), RegularFile) << name;
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(entries.at("\xF0\x9D\x84\x9E.cmd").getStatus().getPermissions(), 0700u);
}

TEST(DirectoryIteratorTest, ListsBeyondTheClassicPathLimit) {
    ScratchDirectory scratch;
    testing::DeepDirectories deep(scratch, std::string(70, 'L'), 5);
    deep.addDirectory("inner");
    Path const file = deep.addFile("x.exe", "x");
    ASSERT_GT(file.size(), 360u);
    auto const entries = listAll(deep.path());
    ASSERT_EQ(entries.size(), 2u);
    expectStatus(entries.at("inner").getStatus(), DirectoryFile, 0600, "inner");
    expectStatus(entries.at("x.exe").getStatus(), RegularFile, 0700, "x.exe");
    EXPECT_EQ(entries.at("x.exe").getPath().string(), file.string());
}

TEST(DirectoryIteratorTest, LinksAreListedAsLinks) {
    if (!testing::platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform does not create symbolic links";
    ScratchDirectory scratch;
    testing::makeDirectories(scratch / "dir");
    testing::writeFile(scratch / "file.exe", "x");
    fs::create_directory_symlink(testing::toStd(scratch / "dir"), testing::toStd(scratch / "dl"));
    fs::create_symlink(testing::toStd(scratch / "file.exe"), testing::toStd(scratch / "fl.exe"));
    fs::create_symlink(testing::toStd(scratch / "nowhere"), testing::toStd(scratch / "dangling"));
    auto const entries = listAll(scratch.path());
    ASSERT_EQ(entries.size(), 5u);
    for (char const* link : {"dl", "fl.exe", "dangling"}) {
        // Both fields describe the link itself, never its target.
        expectStatus(entries.at(link).getStatus(), SymbolicLinkFile, 0600, link);
        expectStatus(entries.at(link).getSymlinkStatus(), SymbolicLinkFile, 0600, link);
    }
    expectStatus(entries.at("dir").getStatus(), DirectoryFile, 0600, "dir");
}

} // namespace
} // namespace koril::filesystem
