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
