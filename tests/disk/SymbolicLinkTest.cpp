// Creating and copying symbolic links.

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace koril::filesystem {
namespace {

using koril::testing::existsOnDisk;
using koril::testing::makeDirectories;
using koril::testing::readFile;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
using koril::testing::writeFile;
namespace fs = std::filesystem;

TEST(CopySymbolicLink, FailsOnSomethingThatIsNoLink) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "data");
    makeDirectories(scratch / "dir");
    EXPECT_FALSE(copySymbolicLink(scratch / "file", scratch / "a", true));
    EXPECT_FALSE(copySymbolicLink(scratch / "dir", scratch / "b", true));
    EXPECT_FALSE(copySymbolicLink(scratch / "missing", scratch / "c", false));
    EXPECT_FALSE(existsOnDisk(scratch / "a"));
    EXPECT_FALSE(existsOnDisk(scratch / "b"));
    EXPECT_FALSE(existsOnDisk(scratch / "c"));
}

class SymbolicLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!koril::testing::platformCreatesSymbolicLinks())
            GTEST_SKIP() << "this platform creates no symbolic links";
    }

    ScratchDirectory scratch;
};

TEST_F(SymbolicLinkTest, CreatesLinksToFilesAndDirectories) {
    writeFile(scratch / "file", "data");
    makeDirectories(scratch / "dir");
    writeFile(scratch / "dir/inside", "inside");

    EXPECT_TRUE(createSymbolicLink(scratch / "file", scratch / "fileLink"));
    EXPECT_TRUE(createSymbolicLink(scratch / "dir", scratch / "dirLink"));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(toStd(scratch / "fileLink"))));
    EXPECT_EQ(readFile(scratch / "fileLink"), "data");
    EXPECT_EQ(readFile(scratch / "dirLink/inside"), "inside");
    EXPECT_EQ(symbolicLinkStatus(scratch / "dirLink").getType(), SymbolicLinkFile);
    EXPECT_EQ(status(scratch / "dirLink").getType(), DirectoryFile);
}

TEST_F(SymbolicLinkTest, ThrowsWithThePlatformErrorWhenTheLinkCannotBeMade) {
    writeFile(scratch / "file", "data");
    writeFile(scratch / "taken", "taken");
    for (Path const& link : {scratch / "taken", scratch / "missing/link"}) {
        SCOPED_TRACE(toStd(link).u8string());
        try {
            createSymbolicLink(scratch / "file", link);
            ADD_FAILURE() << "no exception";
        } catch (std::logic_error const& error) {
            std::string const prefix = "createSymbolicLink: GetLastError() = ";
            std::string const message = error.what();
            ASSERT_EQ(message.compare(0, prefix.size(), prefix), 0) << message;
            std::string const number = message.substr(prefix.size());
            EXPECT_FALSE(number.empty());
            EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << message;
        }
    }
    EXPECT_EQ(readFile(scratch / "taken"), "taken");
    EXPECT_FALSE(existsOnDisk(scratch / "missing"));
}

TEST_F(SymbolicLinkTest, CopyPointsAtTheEndOfTheChain) {
    writeFile(scratch / "file", "data");
    fs::create_symlink(toStd(scratch / "file"), toStd(scratch / "first"));
    // A relative link: the copy must not keep its text.
    fs::create_symlink("first", toStd(scratch / "second"));

    EXPECT_TRUE(copySymbolicLink(scratch / "second", scratch / "copy", true));
    ASSERT_TRUE(fs::is_symlink(fs::symlink_status(toStd(scratch / "copy"))));
    EXPECT_EQ(fs::read_symlink(toStd(scratch / "copy")), toStd(scratch / "file"));
    EXPECT_EQ(readFile(scratch / "copy"), "data");
}

TEST_F(SymbolicLinkTest, CopyRefusesOrReplacesAnExistingDestination) {
    writeFile(scratch / "file", "data");
    fs::create_symlink(toStd(scratch / "file"), toStd(scratch / "link"));
    writeFile(scratch / "taken", "taken");

    EXPECT_FALSE(copySymbolicLink(scratch / "link", scratch / "taken", true));
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(toStd(scratch / "taken"))));
    EXPECT_EQ(readFile(scratch / "taken"), "taken");

    EXPECT_TRUE(copySymbolicLink(scratch / "link", scratch / "taken", false));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(toStd(scratch / "taken"))));
    EXPECT_EQ(readFile(scratch / "taken"), "data");
}

TEST_F(SymbolicLinkTest, CopyFollowsLinksToTheirContents) {
    makeDirectories(scratch / "dir");
    writeFile(scratch / "dir/inside", "inside");
    writeFile(scratch / "file", "data");
    fs::create_directory_symlink(toStd(scratch / "dir"), toStd(scratch / "dirLink"));
    fs::create_symlink(toStd(scratch / "file"), toStd(scratch / "fileLink"));

    EXPECT_TRUE(copy(scratch / "dirLink", scratch / "dirCopy"));
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(toStd(scratch / "dirCopy"))));
    EXPECT_EQ(readFile(scratch / "dirCopy/inside"), "inside");
    EXPECT_TRUE(copy(scratch / "fileLink", scratch / "fileCopy"));
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(toStd(scratch / "fileCopy"))));
    EXPECT_EQ(readFile(scratch / "fileCopy"), "data");
}

} // namespace
} // namespace koril::filesystem
