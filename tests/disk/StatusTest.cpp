// Status queries against real files: types, owner permissions, executable extensions, sizes, and
// the failure values for paths that name nothing.

#include "DeepDirectories.h"
#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using koril::testing::makeReadOnly;
using testing::ScratchDirectory;

void expectStatus(FileStatus actual, FileType type, unsigned permissions, std::string const& what) {
    EXPECT_EQ(actual.getType(), type) << what;
    EXPECT_EQ(actual.getPermissions(), permissions) << what;
}

struct FileCase {
    char const* name;
    bool readOnly;
    unsigned permissions;
};

TEST(StatusTest, RegularFilesCarryOwnerBitsFromReadOnlyAndExtension) {
    std::vector<FileCase> const cases = {
        {"notes.txt", false, 0600},
        {"notes-ro.txt", true, 0400},
        {"setup.exe", false, 0700},
        {"SETUP2.EXE", false, 0700},
        {"setup3.Exe", false, 0700},
        {"tool.exE", false, 0700},
        {"run.cmd", true, 0500},
        {"batch.bat", false, 0700},
        {"command.COM", false, 0700},
        // The last letter passes the quick filter, but there is no extension.
        {"notebat", false, 0600},
        {"notecmd", false, 0600},
        // Ends like an executable extension without being one.
        {"archive.exd", false, 0600},
        {"movie.mkdt", false, 0600},
        {"script.exe.txt", false, 0600},
        {"program.exe.bak", false, 0600},
        {"exe", false, 0600},
        {"tool.e.xe", false, 0600},
        // A name that is all extension.
        {".exe", false, 0700},
        // Beyond ASCII only simple case folding could match, and nothing folds to these letters.
        {"tool.\xC3\x89XE", false, 0600},
        {"tool.\xEF\xBC\xA5XE", false, 0600},
        // Composed, decomposed and beyond the BMP: each name reaches the disk as it is.
        {"caf\xC3\xA9.exe", false, 0700},
        {"cafe\xCC\x81.txt", false, 0600},
        {"\xF0\x9D\x84\x9E-clef.bat", true, 0500},
    };
    ScratchDirectory scratch;
    for (FileCase const& c : cases) {
        Path const path = scratch / c.name;
        testing::writeFile(path, "contents");
        if (c.readOnly)
            makeReadOnly(path);
        expectStatus(status(path), RegularFile, c.permissions, std::string("status ") + c.name);
        expectStatus(symbolicLinkStatus(path), RegularFile, c.permissions,
                     std::string("symbolicLinkStatus ") + c.name);
        EXPECT_TRUE(exists(path)) << c.name;
        EXPECT_FALSE(isDirectory(path)) << c.name;
    }
}

TEST(StatusTest, DirectoriesNeverGetTheExecuteBit) {
    ScratchDirectory scratch;
    Path const tools = scratch / "tools.exe";
    testing::makeDirectories(tools);
    expectStatus(status(tools), DirectoryFile, 0600, "status");
    expectStatus(symbolicLinkStatus(tools), DirectoryFile, 0600, "symbolicLinkStatus");
    EXPECT_TRUE(isDirectory(tools));
    EXPECT_TRUE(exists(tools));
}

TEST(StatusTest, PathsThatNameNothingGiveTheFailureValues) {
    ScratchDirectory scratch;
    testing::writeFile(scratch / "file", "x");
    std::vector<Path> const missing = {
        scratch / "missing",
        scratch / "missing/deeper/still",
        // A regular file cannot have children.
        scratch / "file/child",
        scratch.path() / Path(std::string(5000, 'n')),
        scratch.path() / Path(String(String::storage_type{'m', 'i', 's', 0, 'x'})),
        Path(std::string(3000, 'r') + "/x"),
    };
    for (Path const& path : missing) {
        std::string const what = path.string().toUTF8String().substr(0, 120);
        expectStatus(status(path), FileNotFound, PermissionsUnknown, what);
        expectStatus(symbolicLinkStatus(path), StatusUnknown, PermissionsUnknown, what);
        EXPECT_FALSE(exists(path)) << what;
        EXPECT_FALSE(isDirectory(path)) << what;
        EXPECT_EQ(fileSize(path), -1) << what;
    }
}

TEST(StatusTest, FileSizeIsTheFull64BitSize) {
    ScratchDirectory scratch;
    Path const empty = scratch / "empty";
    Path const small = scratch / "small";
    Path const huge = scratch / "huge";
    testing::writeFile(empty, "");
    testing::writeFile(small, std::string(1234, 'x'));
    testing::writeFile(huge, "");
    // Beyond 4 GiB and not a multiple of it: both halves of the size count.
    constexpr std::uintmax_t hugeSize = (std::uintmax_t{5} << 30) + 3;
    std::error_code error;
    fs::resize_file(testing::toStd(huge), hugeSize, error);
    EXPECT_EQ(fileSize(empty), 0);
    EXPECT_EQ(fileSize(small), 1234);
    if (error)
        GTEST_SKIP() << "cannot make a sparse file here: " << error.message();
    EXPECT_EQ(fileSize(huge), static_cast<long long>(hugeSize));
}

TEST(StatusTest, LinksAreFollowedOnlyByStatus) {
    if (!testing::platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform does not create symbolic links";
    ScratchDirectory scratch;
    Path const target = scratch / "prog.bat";
    Path const link = scratch / "link.txt";
    Path const directory = scratch / "dir";
    Path const directoryLink = scratch / "dirlink";
    Path const dangling = scratch / "dangling";
    testing::writeFile(target, "123456");
    testing::makeDirectories(directory);
    fs::create_symlink(testing::toStd(target), testing::toStd(link));
    fs::create_directory_symlink(testing::toStd(directory), testing::toStd(directoryLink));
    fs::create_symlink(testing::toStd(scratch / "nowhere"), testing::toStd(dangling));

    // The target's name decides the execute bit.
    expectStatus(status(link), RegularFile, 0700, "status link");
    expectStatus(symbolicLinkStatus(link), SymbolicLinkFile, 0600, "symbolicLinkStatus link");
    EXPECT_EQ(fileSize(link), 6);

    expectStatus(status(directoryLink), DirectoryFile, 0600, "status dirlink");
    expectStatus(symbolicLinkStatus(directoryLink), SymbolicLinkFile, 0600,
                 "symbolicLinkStatus dirlink");

    expectStatus(status(dangling), FileNotFound, PermissionsUnknown, "status dangling");
    expectStatus(symbolicLinkStatus(dangling), SymbolicLinkFile, 0600,
                 "symbolicLinkStatus dangling");
    EXPECT_EQ(fileSize(dangling), -1);
}

TEST(StatusTest, LookupsIgnoreCaseOnWindows) {
    if (!testing::onWindows())
        GTEST_SKIP() << "POSIX names are case-sensitive";
    ScratchDirectory scratch;
    testing::writeFile(scratch / "Setup.EXE", "x");
    Path const other = scratch / "setup.exe";
    EXPECT_TRUE(exists(other));
    expectStatus(status(other), RegularFile, 0700, "status");
    // Through the final path, which has the stored spelling.
    EXPECT_EQ(canonical(other).filename().string(), String("Setup.EXE"));
}

TEST(StatusTest, LongAbsolutePathsReachTheDisk) {
    ScratchDirectory scratch;
    testing::DeepDirectories deep(scratch, std::string(60, 'd'), 6);
    Path const file = deep.addFile("leaf.cmd", "abc");
    ASSERT_GT(file.size(), 360u);
    EXPECT_TRUE(exists(file));
    EXPECT_TRUE(isDirectory(deep.path()));
    expectStatus(symbolicLinkStatus(file), RegularFile, 0700, "symbolicLinkStatus");
    if (canonical(deep.path()).empty())
        GTEST_SKIP() << "this platform's final-path query fails beyond the classic limit";
    expectStatus(status(file), RegularFile, 0700, "status");
    EXPECT_EQ(fileSize(file), 3);
    EXPECT_EQ(canonical(file).string(), file.string());
}

} // namespace
} // namespace koril::filesystem
