// Status queries against real files: types, owner permissions, executable extensions, sizes, the
// failure values for paths that name nothing, what setting permissions changes, and last-write
// times exact to 100 ns (across time zones, where POSIX lets a test switch them, in
// PosixPortTest).

#include "disk/DiskTest.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <limits>

namespace koril::filesystem::disktest {
namespace {

TEST(StatusTest, OwnerBitsComeFromTypeReadOnlyStateAndExtension) {
    struct Case {
        char const* name;
        bool readOnly;
        unsigned permissions;
        bool directory = false;
    };
    std::vector<Case> const cases = {
        {"notes.txt", false, 0600},
        {"notes-ro.txt", true, 0400},
        {"setup.exe", false, 0700},
        {"tool.exE", false, 0700},
        {"run.cmd", true, 0500},
        {"batch.bat", false, 0700},
        // The last letter passes the quick filter, but there is no extension.
        {"notebat", false, 0600},
        // Ends like an executable extension without being one.
        {"archive.exd", false, 0600},
        {"script.exe.txt", false, 0600},
        {"exe", false, 0600},
        // A name that is all extension.
        {".exe", false, 0700},
        // Beyond ASCII only simple case folding could match, and nothing folds to these letters.
        {"tool.\xC3\x89XE", false, 0600},
        // Composed, decomposed and beyond the BMP: each name reaches the disk as it is.
        {"caf\xC3\xA9.exe", false, 0700},
        {"\xF0\x9D\x84\x9E-clef.bat", true, 0500},
        // Directories never get the execute bit.
        {"tools.exe", false, 0600, true},
    };
    ScratchDirectory scratch;
    for (Case const& c : cases) {
        Path const path = scratch / c.name;
        if (c.directory)
            makeDirectories(path);
        else
            writeFile(path, "contents");
        if (c.readOnly)
            makeReadOnly(path);
        FileType const type = c.directory ? DirectoryFile : RegularFile;
        expectStatus(status(path), type, c.permissions, std::string("status ") + c.name);
        expectStatus(symbolicLinkStatus(path), type, c.permissions,
                     std::string("symbolicLinkStatus ") + c.name);
        EXPECT_TRUE(exists(path)) << c.name;
        EXPECT_EQ(isDirectory(path), c.directory) << c.name;
    }
}

TEST(StatusTest, PathsThatNameNothingGiveTheFailureValues) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
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
        std::string const what = text(path).substr(0, 120);
        expectStatus(status(path), FileNotFound, PermissionsUnknown, what);
        expectStatus(symbolicLinkStatus(path), StatusUnknown, PermissionsUnknown, what);
        EXPECT_FALSE(exists(path)) << what;
        EXPECT_FALSE(isDirectory(path)) << what;
        EXPECT_EQ(fileSize(path), -1) << what;
    }
}

TEST(StatusTest, FileSizeIsTheFull64BitSize) {
    ScratchDirectory scratch;
    writeFile(scratch / "empty", "");
    writeFile(scratch / "small", std::string(1234, 'x'));
    writeFile(scratch / "huge", "");
    makeDirectories(scratch / "dir");
    EXPECT_EQ(fileSize(scratch / "empty"), 0);
    EXPECT_EQ(fileSize(scratch / "small"), 1234);
    EXPECT_EQ(fileSize(scratch / "dir"), 0);
    // Beyond 4 GiB and not a multiple of it: both halves of the size count.
    constexpr std::uintmax_t hugeSize = (std::uintmax_t{5} << 30) + 3;
    std::error_code error;
    fs::resize_file(toStd(scratch / "huge"), hugeSize, error);
    if (error)
        GTEST_SKIP() << "cannot make a sparse file here: " << error.message();
    EXPECT_EQ(fileSize(scratch / "huge"), static_cast<long long>(hugeSize));
}

TEST(StatusTest, LinksAreFollowedOnlyByStatus) {
    if (!platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform does not create symbolic links";
    ScratchDirectory scratch;
    Path const link = scratch / "link.txt";
    Path const directoryLink = scratch / "dirlink";
    Path const dangling = scratch / "dangling";
    writeFile(scratch / "prog.bat", "123456");
    makeDirectories(scratch / "dir");
    fs::create_symlink(toStd(scratch / "prog.bat"), toStd(link));
    fs::create_directory_symlink(toStd(scratch / "dir"), toStd(directoryLink));
    fs::create_symlink(toStd(scratch / "nowhere"), toStd(dangling));

    // The target's name decides the execute bit.
    expectStatus(status(link), RegularFile, 0700, "status link");
    expectStatus(symbolicLinkStatus(link), SymbolicLinkFile, 0600, "symbolicLinkStatus link");
    EXPECT_EQ(fileSize(link), 6);
    EXPECT_FALSE(isDirectory(link));

    expectStatus(status(directoryLink), DirectoryFile, 0600, "status dirlink");
    expectStatus(symbolicLinkStatus(directoryLink), SymbolicLinkFile, 0600,
                 "symbolicLinkStatus dirlink");
    EXPECT_TRUE(isDirectory(directoryLink));

    expectStatus(status(dangling), FileNotFound, PermissionsUnknown, "status dangling");
    expectStatus(symbolicLinkStatus(dangling), SymbolicLinkFile, 0600,
                 "symbolicLinkStatus dangling");
    EXPECT_EQ(fileSize(dangling), -1);
    EXPECT_TRUE(exists(dangling));
    EXPECT_FALSE(isDirectory(dangling));
}

TEST(SetPermissions, OnlyTheOwnerWriteBitCounts) {
    struct Case {
        Permissions given;
        Permissions plain;      // what status reports then for notes.txt
        Permissions executable; // and for setup.exe
    } const cases[] = {
        {OwnerRead, OwnerRead, OwnerRead | OwnerExecute},
        {OwnerRead | OwnerWrite, OwnerRead | OwnerWrite, OwnerRead | OwnerWrite | OwnerExecute},
        {NoPermissions, OwnerRead, OwnerRead | OwnerExecute},
        {OwnerWrite, OwnerRead | OwnerWrite, OwnerRead | OwnerWrite | OwnerExecute},
        {OwnerRead | OwnerExecute, OwnerRead, OwnerRead | OwnerExecute},
        {PermissionsUnknown, OwnerRead | OwnerWrite, OwnerRead | OwnerWrite | OwnerExecute},
    };
    ScratchDirectory scratch;
    Path const plain = scratch / "notes.txt";
    Path const executable = scratch / "setup.exe";
    writeFile(plain, "x");
    writeFile(executable, "x");
    // Each case starts from the opposite state, so that a call that does nothing shows.
    for (Case const& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.given));
        Permissions const opposite =
            (c.plain & OwnerWrite) != NoPermissions ? OwnerRead : OwnerRead | OwnerWrite;
        for (Path const& path : {plain, executable})
            ASSERT_TRUE(setPermissions(path, opposite));
        EXPECT_TRUE(setPermissions(plain, c.given) && setPermissions(executable, c.given));
        EXPECT_EQ(status(plain).getPermissions(), c.plain);
        EXPECT_EQ(status(executable).getPermissions(), c.executable);
    }
    for (Permissions const given : {OwnerRead, OwnerRead | OwnerWrite})
        EXPECT_FALSE(setPermissions(scratch / "missing", given));
    EXPECT_FALSE(existsOnDisk(scratch / "missing"));
}

TimePoint at(long long ticks) {
    return TimePoint(Ticks(ticks));
}

long long ticksOf(Path const& path) {
    return getModificationTime(path).time_since_epoch().count();
}

// 2020-01-15 12:00:00.1234567 UTC and 2020-07-15 12:00:00.7654321 UTC: one date in each
// daylight-saving season of either hemisphere, with a fraction that needs every digit.
constexpr long long winter = 15790896001234567LL;
constexpr long long summer = 15948144007654321LL;

TEST(ModificationTime, RoundTripsExactlyAndAFreshFileReadsAsNow) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    auto const now = std::chrono::system_clock::now();
    EXPECT_LT(
        std::chrono::abs(std::chrono::duration_cast<std::chrono::seconds>(
            getModificationTime(scratch / "file").time_since_epoch() - now.time_since_epoch())),
        std::chrono::minutes(2));
    makeDirectories(scratch / "dir");
    for (Path const& path : {scratch / "file", scratch / "dir"}) {
        for (long long ticks : {winter, summer, 1LL}) {
            SCOPED_TRACE(ticks);
            ASSERT_TRUE(setModificationTime(path, at(ticks)));
            EXPECT_EQ(ticksOf(path), ticks);
        }
    }
    // Every handle was closed: nothing holds the file any more.
    EXPECT_TRUE(remove(scratch / "file"));
    EXPECT_TRUE(remove(scratch / "dir"));
    // A missing path reads as zero and cannot be set.
    EXPECT_EQ(ticksOf(scratch / "file"), 0);
    EXPECT_EQ(ticksOf(Path()), 0);
    EXPECT_FALSE(setModificationTime(scratch / "file", at(winter)));
    EXPECT_FALSE(existsOnDisk(scratch / "file"));
}

TEST(ModificationTime, RefusesTimesOutsideTheCalendarAndKeepsTheOldOne) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    ASSERT_TRUE(setModificationTime(scratch / "file", at(winter)));
    for (long long ticks : {-1LL, -10000000LL, -winter, std::numeric_limits<long long>::min()}) {
        SCOPED_TRACE(ticks);
        EXPECT_FALSE(setModificationTime(scratch / "file", at(ticks)));
        EXPECT_EQ(ticksOf(scratch / "file"), winter);
    }
    // Far in the future: refused where the calendar ends, exact where it goes on.
    long long const farAway = std::numeric_limits<long long>::max();
    bool const set = setModificationTime(scratch / "file", at(farAway));
    EXPECT_EQ(ticksOf(scratch / "file"), set ? farAway : winter);
    EXPECT_TRUE(remove(scratch / "file"));
}

} // namespace
} // namespace koril::filesystem::disktest
