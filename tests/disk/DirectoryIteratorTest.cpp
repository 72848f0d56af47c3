// Listing one directory: what the entries hold, the end states, shared searches, and entries.

#include "disk/DiskTest.h"

#include <map>

namespace koril::filesystem::disktest {
namespace {

// Every entry of a listing, by file name.
std::map<std::string, DirectoryEntry> listAll(Path const& directory) {
    std::map<std::string, DirectoryEntry> entries;
    for (DirectoryEntry const& entry : listEntries(directory)) {
        std::string const name = text(entry.getPath().filename());
        EXPECT_TRUE(entries.emplace(name, entry).second) << "listed twice: " << name;
    }
    return entries;
}

TEST(DirectoryIteratorTest, ListsEachEntryOnceWithItsFullPath) {
    ScratchDirectory scratch;
    for (char const* name : {"a", "b", "c"})
        writeFile(scratch / name, name);
    // A trailing separator on the directory must not double the one before each name.
    Path directory = scratch.path();
    directory.appendSeparator();
    DirectoryIterator it(directory);
    EXPECT_TRUE(it.canIterate());
    std::set<std::string> seen;
    for (DirectoryEntry const end; *it != end; ++it) {
        EXPECT_EQ(text(it->getPath().parentPath()), text(scratch.path()));
        EXPECT_EQ(text(it->getPath()), text(scratch.path() / it->getPath().filename()));
        seen.insert(text(it->getPath().filename()));
    }
    EXPECT_EQ(seen, (std::set<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(it->getPath().empty());
    EXPECT_TRUE(it.canIterate());
}

TEST(DirectoryIteratorTest, EndStatesTellUnlistableFromEmpty) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "empty");
    writeFile(scratch / "file", "x");
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
    DirectoryEntry const end;
    for (Case const& c : cases) {
        DirectoryIterator it(c.directory);
        std::string const what = text(c.directory).substr(0, 100);
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
        writeFile(scratch / name, "");
    DirectoryEntry const end;
    std::set<std::string> seen;
    auto note = [&](DirectoryIterator const& it) {
        EXPECT_NE(*it, end);
        EXPECT_TRUE(seen.insert(text(it->getPath())).second);
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

// Both fields of a listed link describe the link itself, never its target, and a link is never
// read-only.
TEST(DirectoryIteratorTest, StatusesComeFromTheListing) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "sub");
    writeFile(scratch / "tool.cmd", "x");
    writeFile(scratch / "plain.txt", "x");
    writeFile(scratch / "locked.txt", "x");
    makeReadOnly(scratch / "locked.txt");
    struct Expected {
        char const* name;
        FileType type;
        unsigned permissions;
    };
    std::vector<Expected> expected = {{"sub", DirectoryFile, 0600},
                                      {"tool.cmd", RegularFile, 0700},
                                      {"plain.txt", RegularFile, 0600},
                                      {"locked.txt", RegularFile, 0400}};
    if (platformCreatesSymbolicLinks()) {
        fs::create_directory_symlink(toStd(scratch / "sub"), toStd(scratch / "dl"));
        fs::create_symlink(toStd(scratch / "tool.cmd"), toStd(scratch / "fl.exe"));
        fs::create_symlink(toStd(scratch / "locked.txt"), toStd(scratch / "rl"));
        fs::create_symlink(toStd(scratch / "nowhere"), toStd(scratch / "dangling"));
        for (char const* link : {"dl", "fl.exe", "rl", "dangling"})
            expected.push_back({link, SymbolicLinkFile, 0600});
    }
    auto const entries = listAll(scratch.path());
    ASSERT_EQ(entries.size(), expected.size());
    for (Expected const& e : expected) {
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
    writeFile(file, "x");
    DirectoryEntry const listed = *DirectoryIterator(scratch.path());
    DirectoryEntry const byHand(file, FileStatus(), FileStatus());
    expectStatus(byHand.getStatus(), RegularFile, 0700, "byHand getStatus");
    expectStatus(byHand.getSymlinkStatus(), RegularFile, 0700, "byHand getSymlinkStatus");
    fs::remove(toStd(file));
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
        writeFile(scratch / name, "");
    auto const entries = listAll(scratch.path());
    std::set<std::string> seen;
    for (auto const& [name, entry] : entries) {
        seen.insert(name);
        EXPECT_EQ(entry.getStatus().getType(), RegularFile) << name;
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(entries.at("\xF0\x9D\x84\x9E.cmd").getStatus().getPermissions(), 0700u);
}

} // namespace
} // namespace koril::filesystem::disktest
