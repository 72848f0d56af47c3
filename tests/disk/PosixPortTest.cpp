// The POSIX port's emulation of Windows behaviour, seen through the public interface: drive
// mapping, WTF-8 names, share modes and locks, no-replace renames, read-only refusals, link
// removal, copies and time-zone handling.

#ifndef _WIN32

#include <koril/filesystem.h>

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using koril::testing::existsOnDisk;
using koril::testing::makeDirectories;
using koril::testing::readFile;
using koril::testing::ScratchDirectory;
using koril::testing::writeFile;

// Removes the drive mappings a test made, whatever happens in it.
class DriveMappings {
public:
    DriveMappings() = default;
    DriveMappings(DriveMappings const&) = delete;
    DriveMappings& operator=(DriveMappings const&) = delete;
    ~DriveMappings() {
        for (String const& drive : drives_)
            setDriveMapping(drive, Path());
    }
    bool map(String const& drive, Path const& directory) {
        drives_.push_back(drive);
        return setDriveMapping(drive, directory);
    }

private:
    std::vector<String> drives_;
};

// Sets an environment variable for one scope and restores it (and the time zone) afterwards.
class EnvironmentVariable {
public:
    EnvironmentVariable(char const* name, std::string const& value) : name_(name) {
        char const* const old = std::getenv(name);
        hadValue_ = old != nullptr;
        if (hadValue_)
            old_ = old;
        ::setenv(name, value.c_str(), 1);
        ::tzset();
    }
    EnvironmentVariable(EnvironmentVariable const&) = delete;
    EnvironmentVariable& operator=(EnvironmentVariable const&) = delete;
    ~EnvironmentVariable() {
        if (hadValue_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
        ::tzset();
    }

private:
    char const* name_;
    bool hadValue_ = false;
    std::string old_;
};

class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() : saved_(fs::current_path()) {}
    CurrentDirectoryGuard(CurrentDirectoryGuard const&) = delete;
    CurrentDirectoryGuard& operator=(CurrentDirectoryGuard const&) = delete;
    ~CurrentDirectoryGuard() {
        std::error_code ignored;
        fs::current_path(saved_, ignored);
    }

private:
    fs::path saved_;
};

String codePoints(std::initializer_list<unsigned int> values) {
    return String(String::storage_type(values));
}

std::set<std::string> namesOnDisk(fs::path const& directory) {
    std::set<std::string> names;
    for (auto const& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

std::vector<String> listedNames(Path const& directory) {
    std::vector<String> names;
    DirectoryIterator const end;
    for (DirectoryIterator it(directory); *it != *end; ++it)
        names.push_back(it->getPath().filename().string());
    return names;
}

long long ticksOf(TimePoint time) {
    return time.time_since_epoch().count();
}

// The last-write time on disk, in 100-ns ticks since 1970, read without the library.
long long ticksOnDisk(Path const& path) {
    struct stat info;
    if (::stat(koril::testing::toStd(path).c_str(), &info) != 0)
        return -1;
    return static_cast<long long>(info.st_mtim.tv_sec) * 10000000 + info.st_mtim.tv_nsec / 100;
}

// Runs `probe` in a forked child and returns its exit status (0..255), or -1. The child ends
// with _exit so that it removes nothing of the parent's scratch directories.
template <typename Probe> int inChildProcess(Probe probe) {
    std::fflush(nullptr);
    pid_t const child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0)
        ::_exit(probe());
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// --- Drive mapping --------------------------------------------------------------------------

TEST(PosixPortTest, DriveMappingRejectsWhatIsNoRootName) {
    ScratchDirectory scratch;
    DriveMappings drives;
    for (char const* name : {"", "T", "TT:", "1:", "T:\\", ":T", "\xC3\xA9:"})
        EXPECT_FALSE(drives.map(String(name), scratch.path())) << name;
    EXPECT_TRUE(drives.map(String("t:"), scratch.path()));
    EXPECT_TRUE(drives.map(String("Z:"), scratch.path()));
}

TEST(PosixPortTest, MappedDriveReachesItsDirectoryInEveryCase) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "sub");
    writeFile(scratch / "sub/file.txt", "x");
    DriveMappings drives;
    ASSERT_TRUE(drives.map(String("T:"), scratch.path()));

    for (char const* text : {"T:\\sub\\file.txt", "t:\\sub\\file.txt", "T:/sub/file.txt",
                             "T:sub\\file.txt", "\\\\?\\T:\\sub\\file.txt", "T:\\", "T:"})
        EXPECT_TRUE(exists(Path(text))) << text;
    EXPECT_EQ(fileSize(Path("T:\\sub\\file.txt")), 1);
    EXPECT_TRUE(isDirectory(Path("T:\\sub")));
    EXPECT_FALSE(exists(Path("T:\\sub\\missing.txt")));

    // Creating through the drive lands in the mapped directory.
    ASSERT_TRUE(createDirectory(Path("T:\\made")));
    EXPECT_TRUE(fs::is_directory(scratch.native() / "made"));
}

TEST(PosixPortTest, UnmappedDrivesAndUncFormsNameNothing) {
    ScratchDirectory scratch;
    writeFile(scratch / "file.txt", "x");
    DriveMappings drives;
    ASSERT_TRUE(drives.map(String("T:"), scratch.path()));
    ASSERT_TRUE(drives.map(String("T:"), Path())); // removed again

    for (char const* text :
         {"T:\\file.txt", "Q:\\file.txt", "\\\\server\\share\\file.txt",
          "\\\\?\\UNC\\server\\share\\file.txt", "\\\\.\\pipe\\file.txt", "//server/share/x"}) {
        Path const path(text);
        EXPECT_FALSE(exists(path)) << text;
        EXPECT_EQ(status(path).getType(), FileNotFound) << text;
        EXPECT_EQ(fileSize(path), -1) << text;
        EXPECT_FALSE(createDirectory(path / Path("new"))) << text;
        EXPECT_EQ(fopenWrapper(path, "wb"), nullptr) << text;
        EXPECT_FALSE(DirectoryIterator(path).canIterate()) << text;
    }
    EXPECT_EQ(namesOnDisk(scratch.native()), (std::set<std::string>{"file.txt"}));
}

TEST(PosixPortTest, FinalPathsComeBackInDriveFormUnderAMappedRoot) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "sub");
    writeFile(scratch / "sub/file.txt", "x");
    Path const plain = scratch / "sub/file.txt";

    // Unmapped: the POSIX absolute path with a leading separator.
    EXPECT_EQ(canonical(plain).string(), plain.string());

    DriveMappings drives;
    ASSERT_TRUE(drives.map(String("T:"), scratch.path()));
    ASSERT_TRUE(drives.map(String("U:"), scratch / "sub"));
    // The deepest mapping wins, whichever way the file is named.
    EXPECT_EQ(canonical(Path("T:\\sub\\file.txt")).string(), String("U:\\file.txt"));
    EXPECT_EQ(canonical(plain).string(), String("U:\\file.txt"));
    EXPECT_EQ(canonical(Path("T:\\sub")).string(), String("U:\\"));
    ASSERT_TRUE(drives.map(String("U:"), Path()));
    EXPECT_EQ(canonical(plain).string(), String("T:\\sub\\file.txt"));
    EXPECT_EQ(status(Path("T:\\sub\\file.txt")).getType(), RegularFile);
}

TEST(PosixPortTest, LongFinalAndTemporaryPathsReportTheSizeTheyNeed) {
    ScratchDirectory scratch;
    std::string const name(100, 'n');
    std::string const deep = name + "/" + name + "/" + name;
    makeDirectories(scratch / deep);
    writeFile(scratch / (deep + "/file.txt"), "x");
    // Longer than the first buffer that the final-path query offers.
    Path const file = scratch / (deep + "/file.txt");
    ASSERT_GT(file.size(), 300u);
    EXPECT_EQ(canonical(file).string(), file.string());

    EnvironmentVariable temporary("TMPDIR", koril::testing::toStd(scratch / deep).string());
    EXPECT_TRUE(getOSTemporaryDirectory().empty());
}

TEST(PosixPortTest, CurrentDirectoryAndTemporaryDirectoryUseTheDriveForm) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "sub/tmp");
    CurrentDirectoryGuard restore;
    DriveMappings drives;
    ASSERT_TRUE(drives.map(String("T:"), scratch.path()));

    ASSERT_TRUE(setCurrentDirectory(Path("T:\\sub")));
    EXPECT_EQ(fs::current_path(), scratch.native() / "sub");
    EXPECT_EQ(getCurrentDirectory().string(), String("T:\\sub"));
    // A relative path now resolves against the mapped directory.
    writeFile(scratch / "sub/here.txt", "x");
    EXPECT_TRUE(exists(Path("here.txt")));

    EnvironmentVariable temporary("TMPDIR", (scratch.native() / "sub/tmp").string());
    EXPECT_EQ(getOSTemporaryDirectory().string(), String("T:\\sub\\tmp\\"));
    ASSERT_TRUE(drives.map(String("T:"), Path()));
    EXPECT_EQ(getOSTemporaryDirectory().string(), (scratch / "sub\\tmp\\").string());
    EXPECT_EQ(getCurrentDirectory().string(), (scratch / "sub").string());
}

// --- Names ----------------------------------------------------------------------------------

TEST(PosixPortTest, NamesTravelAsWtf8AndBack) {
    struct Case {
        String name;
        std::string bytes;
    };
    std::vector<Case> const cases = {
        {codePoints({'a', 0xD800, 'b'}), "a\xED\xA0\x80"
                                         "b"},
        {codePoints({0xDC00, '.', 't'}), "\xED\xB0\x80.t"},
        {codePoints({'x', 0xDBFF}), "x\xED\xAF\xBF"},
        {codePoints({0x1F600}), "\xF0\x9F\x98\x80"},
        {codePoints({0xE9, 't', 0xE9}), "\xC3\xA9t\xC3\xA9"},
    };
    ScratchDirectory scratch;
    for (Case const& c : cases) {
        std::FILE* const file = fopenWrapper(scratch.path() / Path(c.name), "wb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
        EXPECT_TRUE(fs::exists(scratch.native() / c.bytes)) << c.bytes;
        EXPECT_TRUE(exists(scratch.path() / Path(c.name))) << c.bytes;
    }
    std::vector<String> const listed = listedNames(scratch.path());
    ASSERT_EQ(listed.size(), cases.size());
    for (Case const& c : cases)
        EXPECT_EQ(std::count(listed.begin(), listed.end(), c.name), 1) << c.bytes;
}

TEST(PosixPortTest, NamesThatAreNotUtf8ListWithReplacementCharacters) {
    ScratchDirectory scratch;
    std::ofstream(scratch.native() / "bad\xFF") << "x";
    std::ofstream(scratch.native() / "\xC3(") << "x";
    std::vector<String> listed = listedNames(scratch.path());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<String>{codePoints({'b', 'a', 'd', 0xFFFD}),
                                           codePoints({0xFFFD, '('})}));
}

// --- Attributes -----------------------------------------------------------------------------

TEST(PosixPortTest, ListingReportsKindsAndReadOnlyState) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "dir");
    writeFile(scratch / "plain.txt", "x");
    writeFile(scratch / "locked.txt", "x");
    writeFile(scratch / "tool.cmd", "x");
    koril::testing::makeReadOnly(scratch / "locked.txt");
    fs::create_directory_symlink(scratch.native() / "dir", scratch.native() / "dirLink");
    fs::create_symlink(scratch.native() / "plain.txt", scratch.native() / "fileLink");
    fs::create_symlink(scratch.native() / "missing", scratch.native() / "dangling");

    struct Expected {
        FileType type;
        Permissions permissions;
        bool directory;
    };
    std::map<std::string, Expected> const expected = {
        {"dir", {DirectoryFile, OwnerRead | OwnerWrite, true}},
        {"plain.txt", {RegularFile, OwnerRead | OwnerWrite, false}},
        {"locked.txt", {RegularFile, OwnerRead, false}},
        {"tool.cmd", {RegularFile, OwnerRead | OwnerWrite | OwnerExecute, false}},
        // Links are never read-only; a link to a directory counts as a directory.
        {"dirLink", {SymbolicLinkFile, OwnerRead | OwnerWrite, true}},
        {"fileLink", {SymbolicLinkFile, OwnerRead | OwnerWrite, false}},
        {"dangling", {SymbolicLinkFile, OwnerRead | OwnerWrite, false}},
    };
    std::size_t seen = 0;
    DirectoryIterator const end;
    for (DirectoryIterator it(scratch.path()); *it != *end; ++it, ++seen) {
        std::string const name = it->getPath().filename().string().toUTF8String();
        auto const found = expected.find(name);
        ASSERT_NE(found, expected.end()) << name;
        EXPECT_EQ(it->getStatus().getType(), found->second.type) << name;
        EXPECT_EQ(it->getStatus().getPermissions(), found->second.permissions) << name;
        EXPECT_EQ(symbolicLinkStatus(it->getPath()).getType(), found->second.type) << name;
        EXPECT_EQ(isDirectory(it->getPath()), found->second.directory) << name;
        EXPECT_TRUE(exists(it->getPath())) << name; // also the dangling link
    }
    EXPECT_EQ(seen, expected.size());
    EXPECT_EQ(status(scratch / "dirLink").getType(), DirectoryFile);
    EXPECT_EQ(status(scratch / "dangling").getType(), FileNotFound);
}

// --- Removing and renaming ------------------------------------------------------------------

TEST(PosixPortTest, ReadOnlyFilesAreNotDeleted) {
    ScratchDirectory scratch;
    Path const file = scratch / "keep.txt";
    writeFile(file, "precious");
    ASSERT_TRUE(setPermissions(file, OwnerRead));
    EXPECT_EQ(status(file).getPermissions(), OwnerRead);
    EXPECT_FALSE(remove(file));
    EXPECT_FALSE(removeAll(file));
    EXPECT_EQ(readFile(file), "precious");

    ASSERT_TRUE(setPermissions(file, OwnerRead | OwnerWrite));
    EXPECT_TRUE(remove(file));
    EXPECT_FALSE(existsOnDisk(file));
}

TEST(PosixPortTest, RemovingALinkToADirectoryLeavesTheTarget) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "target/inner");
    writeFile(scratch / "target/inner/file.txt", "x");
    fs::create_directory_symlink(scratch.native() / "target", scratch.native() / "link");
    fs::create_directory_symlink(scratch.native() / "target", scratch.native() / "link2");

    EXPECT_TRUE(remove(scratch / "link"));
    EXPECT_TRUE(removeAll(scratch / "link2"));
    EXPECT_FALSE(existsOnDisk(scratch / "link"));
    EXPECT_FALSE(existsOnDisk(scratch / "link2"));
    EXPECT_EQ(readFile(scratch / "target/inner/file.txt"), "x");
}

TEST(PosixPortTest, RenameNeverReplaces) {
    ScratchDirectory scratch;
    writeFile(scratch / "a.txt", "a");
    writeFile(scratch / "b.txt", "b");
    makeDirectories(scratch / "emptyDir");
    makeDirectories(scratch / "otherDir");

    EXPECT_FALSE(rename(scratch / "a.txt", scratch / "b.txt"));
    EXPECT_FALSE(rename(scratch / "otherDir", scratch / "emptyDir")); // POSIX would replace it
    EXPECT_FALSE(rename(scratch / "a.txt", scratch / "emptyDir"));
    EXPECT_EQ(readFile(scratch / "a.txt"), "a");
    EXPECT_EQ(readFile(scratch / "b.txt"), "b");
    EXPECT_TRUE(fs::is_directory(scratch.native() / "otherDir"));

    EXPECT_TRUE(rename(scratch / "a.txt", scratch / "c.txt"));
    EXPECT_EQ(readFile(scratch / "c.txt"), "a");
    EXPECT_FALSE(existsOnDisk(scratch / "a.txt"));
}

// --- Copying --------------------------------------------------------------------------------

TEST(PosixPortTest, CopyKeepsModificationTimeAndReadOnlyState) {
    ScratchDirectory scratch;
    Path const source = scratch / "source.txt";
    writeFile(source, "contents");
    TimePoint const when{Ticks(15790896001234567)};
    ASSERT_TRUE(setModificationTime(source, when));
    ASSERT_TRUE(setPermissions(source, OwnerRead));

    Path const copy = scratch / "copy.txt";
    ASSERT_TRUE(copyFile(source, copy, true));
    EXPECT_EQ(readFile(copy), "contents");
    EXPECT_EQ(ticksOnDisk(copy), 15790896001234567);
    EXPECT_EQ(status(copy).getPermissions(), OwnerRead);
    EXPECT_EQ(namesOnDisk(scratch.native()), (std::set<std::string>{"source.txt", "copy.txt"}));
}

TEST(PosixPortTest, CopyRefusesWhatWindowsRefuses) {
    ScratchDirectory scratch;
    writeFile(scratch / "source.txt", "new");
    writeFile(scratch / "existing.txt", "old");
    writeFile(scratch / "readOnly.txt", "old");
    ASSERT_TRUE(setPermissions(scratch / "readOnly.txt", OwnerRead));
    makeDirectories(scratch / "dir");
    fs::create_symlink(scratch.native() / "dir", scratch.native() / "dirLink");

    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "existing.txt", true));
    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "readOnly.txt", false));
    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "source.txt", false));
    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "dir", false));
    EXPECT_FALSE(copyFile(scratch / "dirLink", scratch / "fromLink.txt", true));
    EXPECT_FALSE(copyFile(scratch / "missing.txt", scratch / "fromMissing.txt", true));
    EXPECT_EQ(readFile(scratch / "existing.txt"), "old");
    EXPECT_EQ(readFile(scratch / "readOnly.txt"), "old");
    EXPECT_EQ(readFile(scratch / "source.txt"), "new");

    ASSERT_TRUE(copyFile(scratch / "source.txt", scratch / "existing.txt", false));
    EXPECT_EQ(readFile(scratch / "existing.txt"), "new");
    // No temporary copy is left behind by any of the refusals.
    EXPECT_EQ(
        namesOnDisk(scratch.native()),
        (std::set<std::string>{"source.txt", "existing.txt", "readOnly.txt", "dir", "dirLink"}));
}

// --- Share modes and locks ------------------------------------------------------------------

TEST(PosixPortTest, SharedReadersCoexistAndExclusiveOpensDoNot) {
    ScratchDirectory scratch;
    Path const file = scratch / "shared.txt";
    writeFile(file, "x");
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(file));

    // Readers that share reading open beside the lock's handle; writing attributes is no write.
    EXPECT_EQ(canonical(file).string(), file.string());
    EXPECT_NE(ticksOf(getModificationTime(file)), 0);
    EXPECT_TRUE(setModificationTime(file, TimePoint{Ticks(15790896000000000)}));
    // An exclusive open, and removal without delete sharing, are refused.
    EXPECT_TRUE(FileLock::isFileLocked(file));
    EXPECT_FALSE(remove(file));
    EXPECT_FALSE(rename(file, scratch / "moved.txt"));
    FileLock second;
    EXPECT_FALSE(second.lockFile(file));
    second.unlockFile(); // a failed lock keeps its open handle until then

    lock.unlockFile();
    EXPECT_FALSE(FileLock::isFileLocked(file));
    EXPECT_TRUE(second.lockFile(file));
    second.unlockFile();
    EXPECT_TRUE(remove(file));
}

TEST(PosixPortTest, OpenStreamsMakeAFileLocked) {
    ScratchDirectory scratch;
    Path const file = scratch / "stream.txt";
    writeFile(file, "x");
    {
        std::ifstream reader(koril::testing::toStd(file));
        ASSERT_TRUE(reader.is_open());
        EXPECT_TRUE(FileLock::isFileLocked(file));
        EXPECT_EQ(fopenWrapperWithLockCheck(file, "w"), nullptr);
    }
    std::FILE* const stream = fopenWrapper(file, "r");
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(FileLock::isFileLocked(file));
    std::fclose(stream);
    EXPECT_FALSE(FileLock::isFileLocked(file));
    EXPECT_EQ(readFile(file), "x");
}

TEST(PosixPortTest, LocksAreSeenFromAnotherProcess) {
    ScratchDirectory scratch;
    Path const file = scratch / "locked.txt";
    writeFile(file, "x");
    // Exit status: bit 0 the child saw the file locked, bit 1 the child could lock it.
    auto const probe = [&file] {
        int const seen = FileLock::isFileLocked(file) ? 1 : 0;
        FileLock lock;
        int const locked = lock.lockFile(file) ? 2 : 0;
        return seen | locked;
    };

    EXPECT_EQ(inChildProcess(probe), 2);
    {
        FileLock lock;
        ASSERT_TRUE(lock.lockFile(file));
        EXPECT_EQ(inChildProcess(probe), 1);
        // A read-only file is locked as well.
        ASSERT_TRUE(setPermissions(file, OwnerRead));
        EXPECT_EQ(inChildProcess(probe), 1);
    }
    EXPECT_EQ(inChildProcess(probe), 2);
}

// --- Times ----------------------------------------------------------------------------------

TEST(PosixPortTest, ModificationTimesAreUtcInEveryTimeZone) {
    struct Instant {
        long long ticks;
        char const* label;
    };
    std::vector<Instant> const instants = {
        {15790896001234567, "2020-01-15 12:00:00.1234567"},
        {15948144005000000, "2020-07-15 12:00:00.5"},
        {9466847999999999, "1999-12-31 23:59:59.9999999"},
        {10000001, "1970-01-01 00:00:01.0000001"},
        {9517824000000000, "2000-02-29 00:00:00"},
    };
    ScratchDirectory scratch;
    Path const file = scratch / "timed.txt";
    writeFile(file, "x");
    for (char const* zone : {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "NZST-12NZDT,M9.5.0,M4.1.0/3",
                             "<+0530>-5:30", "<-0330>3:30"}) {
        EnvironmentVariable timeZone("TZ", zone);
        for (Instant const& instant : instants) {
            ASSERT_TRUE(setModificationTime(file, TimePoint{Ticks(instant.ticks)}))
                << zone << ' ' << instant.label;
            EXPECT_EQ(ticksOnDisk(file), instant.ticks) << zone << ' ' << instant.label;
            EXPECT_EQ(ticksOf(getModificationTime(file)), instant.ticks)
                << zone << ' ' << instant.label;
        }
        EXPECT_FALSE(setModificationTime(file, TimePoint{Ticks(-10000000)})) << zone;
    }
}

} // namespace
} // namespace koril::filesystem

#endif
