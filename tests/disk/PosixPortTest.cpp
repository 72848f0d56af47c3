// The POSIX port through the public interface: drive mapping, names that hold `\` or bytes that
// are not UTF-8, read-only refusals as root, locks between fresh processes, copies and times.

#ifndef _WIN32

#include "disk/DiskTest.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace koril::filesystem::disktest {
namespace {

// Removes the drive mappings the tests make, whatever happens in them.
struct DriveMappings {
    ~DriveMappings() {
        for (char const* drive : {"T:", "t:", "U:", "Z:"})
            setDriveMapping(drive, Path());
    }
    bool map(String const& drive, Path const& directory) {
        return setDriveMapping(drive, directory);
    }
};

// Sets an environment variable for one scope and restores it (and the time zone) afterwards.
class EnvironmentVariable {
public:
    EnvironmentVariable(char const* name, std::string const& value) : name_(name) {
        if (char const* const old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
        ::tzset();
    }
    ~EnvironmentVariable() {
        old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_);
        ::tzset();
    }

private:
    char const* name_;
    std::optional<std::string> old_;
};

String codePoints(std::initializer_list<unsigned int> values) {
    return String(String::storage_type(values));
}

long long ticksOf(TimePoint time) {
    return time.time_since_epoch().count();
}

// The last-write time on disk, in 100-ns ticks since 1970, read without the library.
long long ticksOnDisk(Path const& path) {
    struct stat info;
    if (::stat(toStd(path).c_str(), &info) != 0)
        return -1;
    return static_cast<long long>(info.st_mtim.tv_sec) * 10000000 + info.st_mtim.tv_nsec / 100;
}

// --- Drive mapping --------------------------------------------------------------------------

TEST(PosixPortTest, MappedDrivesReachTheirDirectoryInEveryForm) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "sub");
    writeFile(scratch / "sub/tool.exe", "1234");
    DriveMappings drives;
    for (char const* name : {"", "T", "TT:", "1:", "T:\\", ":T", "\xC3\xA9:"})
        EXPECT_FALSE(drives.map(String(name), scratch.path())) << name;
    EXPECT_FALSE(drives.map(String("T:"), Path("\\\\server\\share")));
    EXPECT_TRUE(drives.map(String("Z:"), scratch.path()));
    EXPECT_TRUE(drives.map(String("Z:"), Path()));
    ASSERT_TRUE(drives.map(String("t:"), scratch.path()));

    for (char const* form : {"T:\\sub\\tool.exe", "t:\\sub\\tool.exe", "T:/sub/tool.exe",
                             "T:sub\\tool.exe", "\\\\?\\T:\\sub\\tool.exe", "T:\\", "T:"})
        EXPECT_TRUE(exists(Path(form))) << form;
    // Drive-absolute paths take the long-path road: prefix, dot resolution, final paths.
    Path const tool("T:\\sub\\..\\sub\\.\\tool.exe");
    EXPECT_EQ(tool.nativeString(), std::wstring(L"\\\\?\\T:\\sub\\tool.exe"));
    expectStatus(status(tool), RegularFile, 0700, "tool");
    EXPECT_EQ(fileSize(tool), 4);
    EXPECT_TRUE(isDirectory(Path("T:\\sub")));
    EXPECT_FALSE(exists(Path("T:\\sub\\missing.txt")));
    EXPECT_EQ(text(resolveDots(Path("T:\\sub\\..\\x"))), "T:\\x");
    EXPECT_EQ(text(resolveDots(Path("T:\\..\\sub"))), "T:\\sub");
    std::vector<DirectoryEntry> const entries = listEntries(Path("T:\\sub"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(text(entries[0].getPath()), "T:\\sub\\tool.exe");
    EXPECT_EQ(entries[0].getStatus().getPermissions(), 0700u);
    ASSERT_TRUE(createDirectory(Path("T:\\made")));
    EXPECT_TRUE(fs::is_directory(scratch.native() / "made"));

    // Final paths come back in drive form; the deepest mapping wins, whichever way the file is
    // named.
    Path const plain = scratch / "sub/tool.exe";
    ASSERT_TRUE(drives.map(String("U:"), scratch / "sub"));
    EXPECT_EQ(text(canonical(Path("T:\\sub\\tool.exe"))), "U:\\tool.exe");
    EXPECT_EQ(text(canonical(plain)), "U:\\tool.exe");
    EXPECT_EQ(text(canonical(Path("T:\\sub"))), "U:\\");
    ASSERT_TRUE(drives.map(String("U:"), Path()));
    EXPECT_EQ(text(canonical(plain)), "T:\\sub\\tool.exe");
    ASSERT_TRUE(drives.map(String("T:"), Path()));
    EXPECT_EQ(text(canonical(plain)), text(plain));

    // Unmapped drives and UNC forms name nothing, and nothing is made through them.
    for (char const* form :
         {"T:\\sub\\tool.exe", "Q:\\file.txt", "\\\\server\\share\\file.txt",
          "\\\\?\\UNC\\server\\share\\file.txt", "\\\\.\\pipe\\file.txt", "//server/share/x"}) {
        Path const path(form);
        EXPECT_FALSE(exists(path)) << form;
        EXPECT_EQ(status(path).getType(), FileNotFound) << form;
        EXPECT_EQ(fileSize(path), -1) << form;
        EXPECT_FALSE(createDirectory(path / Path("new"))) << form;
        EXPECT_FALSE(createDirectories(path / Path("new"))) << form;
        EXPECT_EQ(fopenWrapper(path, "wb"), nullptr) << form;
        EXPECT_FALSE(DirectoryIterator(path).canIterate()) << form;
        EXPECT_FALSE(FileLock::isFileLocked(path)) << form;
    }
    EXPECT_EQ(namesOnDisk(scratch.native()), (std::set<std::string>{"sub", "made"}));
}

// --- Names ----------------------------------------------------------------------------------

// A POSIX name may hold `\`. Read as a separator, `d/..\victim.txt` would reach the sibling of
// `d`; every operation on the listed path must act on the entry itself.
TEST(PosixPortTest, NamesHoldingABackslashNameTheirOwnEntry) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "d");
    writeRaw(scratch.native() / "d" / "..\\victim.txt", "inside, longer");
    writeFile(scratch / "victim.txt", "outside");

    std::vector<DirectoryEntry> const entries = listEntries(scratch / "d");
    ASSERT_EQ(entries.size(), 1u);
    Path const& entry = entries.front().getPath();
    EXPECT_EQ(entry.filename().string(),
              codePoints({'.', '.', 0xF05C, 'v', 'i', 'c', 't', 'i', 'm', '.', 't', 'x', 't'}));
    EXPECT_TRUE(exists(entry));
    EXPECT_EQ(status(entry).getType(), RegularFile);
    EXPECT_EQ(symbolicLinkStatus(entry).getType(), RegularFile);
    EXPECT_EQ(fileSize(entry), 14);

    ASSERT_TRUE(copyFile(entry, scratch / "copy.txt", true));
    EXPECT_EQ(readFile(scratch / "copy.txt"), "inside, longer");
    EXPECT_TRUE(compareFiles(entry, scratch / "copy.txt"));
    ASSERT_TRUE(setModificationTime(entry, TimePoint{Ticks(15790896001234567)}));
    EXPECT_EQ(ticksOf(getModificationTime(entry)), 15790896001234567);
    // Copying onto the listed name replaces the entry, not the sibling.
    writeFile(scratch / "other.txt", "other contents");
    ASSERT_TRUE(copyFile(scratch / "other.txt", entry, false));
    EXPECT_EQ(readFile(scratch / "victim.txt"), "outside");

    EXPECT_TRUE(remove(entry));
    EXPECT_TRUE(fs::is_empty(scratch.native() / "d"));
    EXPECT_EQ(readFile(scratch / "victim.txt"), "outside");
}

// Names that are not UTF-8, and the UTF-8 forms of the code points that stand for bytes, list as
// escapes that lead back to exactly those bytes; library text that holds lone surrogates (legal
// in Windows names) reaches the disk in the three-byte form. Either way round, the same pair.
TEST(PosixPortTest, NamesThatAreNotUtf8RoundTripBetweenBytesAndText) {
    struct Case {
        std::string bytes;
        String text;
    };
    std::vector<Case> const cases = {
        {"bad\xFF", codePoints({'b', 'a', 'd', 0xDCFF})},
        {"\xC3(", codePoints({0xDCC3, '('})},
        {"\xEF\x81\x9C", codePoints({0xDCEF, 0xDC81, 0xDC9C})}, // U+F05C itself
        {"\xED\xB2\x80", codePoints({0xDCED, 0xDCB2, 0xDC80})}, // U+DC80 itself
        {"\xED\xA0\x80\xED\xB0\x80", codePoints({0xDCED, 0xDCA0, 0xDC80, 0xDC00})},
        {"a\xED\xA0\x80"
         "b",
         codePoints({'a', 0xD800, 'b'})}, // a lone surrogate
        // A run of high surrogates is escaped whole when what follows it would pair with its
        // last one, and kept when not.
        {"\xED\xA0\xA0\xED\xA0\xBD\xFF",
         codePoints({0xDCED, 0xDCA0, 0xDCA0, 0xDCED, 0xDCA0, 0xDCBD, 0xDCFF})},
        {"\xED\xA0\xA0\xED\xA0\xBD!", codePoints({0xD820, 0xD83D, '!'})},
        {"\xF0\x9F\x98\x80", codePoints({0x1F600})},
        // Names of the longest length, with their last sequences where long text is cut into
        // pieces on its way to the library's form.
        {std::string(255, 'a'), String(std::string(255, 'a'))},
        {std::string(250, 'a') + "\xF0\x9F\x98\x80\xFF",
         String(std::string(250, 'a')) + codePoints({0x1F600, 0xDCFF})},
        {std::string(251, 'b') + "\xED\xB2\x80\xFF",
         String(std::string(251, 'b')) + codePoints({0xDCED, 0xDCB2, 0xDC80, 0xDCFF})},
    };
    ScratchDirectory scratch;
    for (std::size_t i = 0; i < cases.size(); ++i)
        writeRaw(scratch.native() / cases[i].bytes, std::string(i + 1, 'x'));

    std::vector<DirectoryEntry> const entries = listEntries(scratch.path());
    ASSERT_EQ(entries.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto const found = std::find_if(entries.begin(), entries.end(), [&](auto const& entry) {
            return entry.getPath().filename().string() == cases[i].text;
        });
        ASSERT_NE(found, entries.end()) << i;
        Path const path = found->getPath();
        EXPECT_EQ(fileSize(path), static_cast<long long>(i + 1)) << i;
        EXPECT_EQ(status(path).getType(), RegularFile) << i;
        ASSERT_TRUE(rename(path, scratch / ("renamed" + std::to_string(i)))) << i;
        ASSERT_TRUE(rename(scratch / ("renamed" + std::to_string(i)), path)) << i;
        EXPECT_TRUE(remove(path)) << i;
        EXPECT_FALSE(fs::exists(scratch.native() / cases[i].bytes)) << i;

        std::FILE* const file = fopenWrapper(scratch.path() / Path(cases[i].text), "wb");
        ASSERT_NE(file, nullptr) << i;
        std::fclose(file);
        EXPECT_TRUE(fs::exists(scratch.native() / cases[i].bytes)) << i;
        fs::remove(scratch.native() / cases[i].bytes);
    }
    EXPECT_TRUE(fs::is_empty(scratch.native()));
}

// --- Copying --------------------------------------------------------------------------------

TEST(PosixPortTest, CopyKeepsModificationTimeAndReadOnlyState) {
    ScratchDirectory scratch;
    Path const source = scratch / "source.txt";
    writeFile(source, "contents");
    ASSERT_TRUE(setModificationTime(source, TimePoint{Ticks(15790896001234567)}));
    ASSERT_TRUE(setPermissions(source, OwnerRead));

    for (bool const failIfExists : {true, false}) {
        Path const copy = scratch / (failIfExists ? "new.txt" : "replaced.txt");
        if (!failIfExists)
            writeFile(copy, "old");
        ASSERT_TRUE(copyFile(source, copy, failIfExists));
        EXPECT_EQ(readFile(copy), "contents");
        EXPECT_EQ(ticksOnDisk(copy), 15790896001234567);
        EXPECT_EQ(status(copy).getPermissions(), OwnerRead);
    }
}

// Restores the file-size limit and SIGXFSZ whatever happens in a test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

// The kernel copies up to the limit and then fails: a copy that stops at the first short answer
// or ignores the error would report a truncated file as copied.
TEST(PosixPortTest, CopyBeyondTheFileSizeLimitFailsAndLeavesNothing) {
    ScratchDirectory scratch;
    std::string const megabyte(1 << 20, 'm');
    writeFile(scratch / "large.bin", megabyte);
    writeFile(scratch / "existing.bin", "old");
    {
        FileSizeLimit const limit(rlim_t{64} * 1024);
        EXPECT_FALSE(copyFile(scratch / "large.bin", scratch / "copy.bin", true));
        EXPECT_FALSE(copyFile(scratch / "large.bin", scratch / "existing.bin", false));
    }
    EXPECT_EQ(namesOnDisk(scratch.native()), (std::set<std::string>{"large.bin", "existing.bin"}));
    EXPECT_EQ(readFile(scratch / "existing.bin"), "old");
    ASSERT_TRUE(copyFile(scratch / "large.bin", scratch / "copy.bin", true));
    EXPECT_EQ(readFile(scratch / "copy.bin"), megabyte);
}

// --- Opening read-only files ----------------------------------------------------------------

// Root may write any file, but Windows never opens a read-only file for writing: every mode that
// writes, appends or truncates is refused before the file changes.
TEST(PosixPortTest, ReadOnlyFilesAreNeverOpenedForWritingEvenByRoot) {
    ScratchDirectory scratch;
    Path const file = scratch / "readOnly.txt";
    writeFile(file, "precious");
    ::chmod(toStd(file).c_str(), 0444);

    for (char const* mode : {"w", "wb", "wt", "a", "ab", "r+", "rb+", "w+", "a+", "w,ccs=UTF-8"}) {
        EXPECT_EQ(fopenWrapper(file, mode), nullptr) << mode;
        EXPECT_EQ(errno, EACCES) << mode;
        EXPECT_EQ(fopenWrapperWithLockCheck(file, mode), nullptr) << mode;
    }
    using std::ios_base;
    for (ios_base::openmode const mode :
         {ios_base::out, ios_base::out | ios_base::trunc, ios_base::app,
          ios_base::in | ios_base::out, ios_base::in | ios_base::out | ios_base::trunc,
          ios_base::out | ios_base::binary}) {
        std::fstream stream;
        fstreamWrapper(stream, file, static_cast<int>(mode));
        EXPECT_FALSE(stream.is_open()) << mode;
        EXPECT_TRUE(stream.fail()) << mode;
        fstreamWrapperWithLockCheck(stream, file, static_cast<int>(mode));
        EXPECT_FALSE(stream.is_open()) << mode;
    }
    EXPECT_EQ(readFile(file), "precious");
    EXPECT_EQ(fs::status(toStd(file)).permissions() & fs::perms::all, fs::perms(0444));

    std::FILE* const reader = fopenWrapper(file, "rb");
    ASSERT_NE(reader, nullptr);
    std::fclose(reader);
    std::fstream stream;
    fstreamWrapper(stream, file, static_cast<int>(std::ios_base::in));
    EXPECT_TRUE(stream.is_open());
}

// --- Locks ----------------------------------------------------------------------------------

// Locks on read-only files, which root could open for writing, and the streams of `fopenWrapper`
// count as in use in fresh processes too, also of another user.
TEST(PosixPortTest, LocksAndStreamsExcludeFreshProcesses) {
    ScratchDirectory scratch;
    Path const file = scratch / "locked.txt";
    Path const readOnly = scratch / "readOnly.txt";
    writeFile(file, "x");
    writeFile(readOnly, "x");
    ::chmod(toStd(readOnly).c_str(), 0444);
    {
        FileLock readOnlyLock(readOnly);
        EXPECT_EQ(probeInAnotherProcess(readOnly), seenInUse);
    }
    EXPECT_EQ(probeInAnotherProcess(readOnly), freeToTake);

    std::FILE* const stream = fopenWrapper(file, "r");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(fopenWrapperWithLockCheck(file, "w"), nullptr);
    EXPECT_EQ(probeInAnotherProcess(file), seenInUse);
    std::fclose(stream);
    EXPECT_EQ(probeInAnotherProcess(file), freeToTake);
    EXPECT_EQ(readFile(file), "x");

    if (::geteuid() != 0)
        GTEST_SKIP() << "the child drops to another user, which only root may do";
    ::chmod(scratch.native().c_str(), 0755);
    EXPECT_EQ(probeInAnotherProcess(readOnly, true), freeToTake);
    {
        FileLock lock(readOnly);
        EXPECT_EQ(probeInAnotherProcess(readOnly, true), seenInUse);
    }
    // What another user cannot read it cannot have for exclusive use either.
    ::chmod(toStd(file).c_str(), 0600);
    EXPECT_EQ(probeInAnotherProcess(file, true), seenInUse);
}

TEST(PosixPortTest, ALockedFileIsNotRemovedRenamedOrCopiedOnto) {
    ScratchDirectory scratch;
    Path const file = scratch / "held.txt";
    writeFile(file, "held");
    writeFile(scratch / "other.txt", "other");
    FileLock lock;
    ASSERT_TRUE(lock.lockFile(file));

    EXPECT_FALSE(remove(file));
    EXPECT_FALSE(rename(file, scratch / "moved.txt"));
    EXPECT_FALSE(copyFile(scratch / "other.txt", file, false));
    EXPECT_FALSE(copyFile(file, scratch / "copy.txt", true));
    FileLock second;
    EXPECT_FALSE(second.lockFile(file));
    second.unlockFile();
    // Reading and changing its time are not refused.
    EXPECT_NE(ticksOf(getModificationTime(file)), 0);
    EXPECT_TRUE(setModificationTime(file, TimePoint{Ticks(15790896000000000)}));
    EXPECT_EQ(readFile(file), "held");

    lock.unlockFile();
    EXPECT_TRUE(rename(file, scratch / "moved.txt"));
    EXPECT_TRUE(remove(scratch / "moved.txt"));
}

// --- Times ----------------------------------------------------------------------------------

// Each zone writes and reads every instant: the disk, the independent witness, must hold UTC
// either way, so an offset applied on one side only shows.
TEST(PosixPortTest, ModificationTimesAreUtcInEveryTimeZone) {
    struct Instant {
        long long ticks;
        char const* label;
    };
    std::vector<Instant> const instants = {
        {15790896001234567, "2020-01-15 12:00:00.1234567"},
        {15948144005000000, "2020-07-15 12:00:00.5"},
        {1, "1970-01-01 00:00:00.0000001"},
        // Both 01:30:00.5 in New York, before and after the clocks went back: the reading must
        // not take one for the other.
        {16042086005000000, "2020-11-01 05:30:00.5"},
        {16042122005000000, "2020-11-01 06:30:00.5"},
    };
    ScratchDirectory scratch;
    Path const file = scratch / "timed.txt";
    writeFile(file, "x");
    makeDirectories(scratch / "dir");
    for (char const* zone : {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "<-0330>3:30"}) {
        EnvironmentVariable timeZone("TZ", zone);
        for (Instant const& instant : instants) {
            for (Path const& path : {file, scratch / "dir"}) {
                ASSERT_TRUE(setModificationTime(path, TimePoint{Ticks(instant.ticks)}))
                    << zone << ' ' << instant.label;
                EXPECT_EQ(ticksOnDisk(path), instant.ticks) << zone << ' ' << instant.label;
                EXPECT_EQ(ticksOf(getModificationTime(path)), instant.ticks)
                    << zone << ' ' << instant.label;
            }
        }
        EXPECT_FALSE(setModificationTime(file, TimePoint{Ticks(-10000000)})) << zone;
        EXPECT_FALSE(setModificationTime(file, TimePoint{Ticks(325352160000000000)})) << zone;
    }
}

} // namespace
} // namespace koril::filesystem::disktest

#endif
