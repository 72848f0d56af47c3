// The POSIX port through the public interface: drive mapping, names that hold `\` or bytes that
// are not UTF-8, read-only refusals as root, locks between fresh processes, copies and times.

#ifndef _WIN32

#include <koril/filesystem.h>

#include "disk/ChildProcess.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using koril::testing::existsOnDisk;
using koril::testing::makeDirectories;
using koril::testing::readFile;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
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

std::vector<Path> listed(Path const& directory) {
    std::vector<Path> paths;
    DirectoryIterator const end;
    for (DirectoryIterator it(directory); *it != *end; ++it)
        paths.push_back(it->getPath());
    return paths;
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

TEST(PosixPortTest, DriveMappingRejectsWhatIsNoRootName) {
    ScratchDirectory scratch;
    DriveMappings drives;
    for (char const* name : {"", "T", "TT:", "1:", "T:\\", ":T", "\xC3\xA9:"})
        EXPECT_FALSE(drives.map(String(name), scratch.path())) << name;
    EXPECT_FALSE(drives.map(String("T:"), Path("\\\\server\\share")));
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
        EXPECT_FALSE(FileLock::isFileLocked(path)) << text;
    }
    EXPECT_EQ(namesOnDisk(scratch.native()), (std::set<std::string>{"file.txt"}));
}

TEST(PosixPortTest, FinalPathsComeBackInDriveFormUnderAMappedRoot) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "sub");
    writeFile(scratch / "sub/file.txt", "x");
    Path const plain = scratch / "sub/file.txt";
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

TEST(PosixPortTest, CurrentDirectoryAndTemporaryDirectoryUseTheDriveForm) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "sub/tmp");
    CurrentDirectoryGuard restore;
    DriveMappings drives;
    ASSERT_TRUE(drives.map(String("T:"), scratch.path()));

    ASSERT_TRUE(setCurrentDirectory(Path("T:\\sub")));
    EXPECT_EQ(fs::current_path(), scratch.native() / "sub");
    EXPECT_EQ(getCurrentDirectory().string(), String("T:\\sub"));
    writeFile(scratch / "sub/here.txt", "x");
    EXPECT_TRUE(exists(Path("here.txt")));

    EnvironmentVariable temporary("TMPDIR", (scratch.native() / "sub/tmp").string());
    EXPECT_EQ(getOSTemporaryDirectory().string(), String("T:\\sub\\tmp\\"));
    ASSERT_TRUE(drives.map(String("T:"), Path()));
    EXPECT_EQ(getOSTemporaryDirectory().string(), (scratch / "sub\\tmp\\").string());
    EXPECT_EQ(getCurrentDirectory().string(), (scratch / "sub").string());
    // A relative TMPDIR is made absolute against the current directory.
    EnvironmentVariable relative("TMPDIR", "tmp");
    EXPECT_EQ(getOSTemporaryDirectory().string(), (scratch / "sub\\tmp\\").string());
}

// --- Names ----------------------------------------------------------------------------------

// A POSIX name may hold `\`. Read as a separator, `d/..\victim.txt` would reach the sibling of
// `d`; every operation on the listed path must act on the entry itself.
TEST(PosixPortTest, NamesHoldingABackslashNameTheirOwnEntry) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "d");
    std::ofstream(scratch.native() / "d" / "..\\victim.txt") << "inside, longer";
    writeFile(scratch / "victim.txt", "outside");

    std::vector<Path> const entries = listed(scratch / "d");
    ASSERT_EQ(entries.size(), 1u);
    Path const& entry = entries.front();
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
// escapes that lead back to exactly those bytes.
TEST(PosixPortTest, NamesThatAreNotUtf8RoundTripThroughListingAndOperations) {
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
        std::ofstream(scratch.native() / cases[i].bytes) << std::string(i + 1, 'x');

    std::vector<Path> const entries = listed(scratch.path());
    ASSERT_EQ(entries.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto const found = std::find_if(entries.begin(), entries.end(), [&](Path const& entry) {
            return entry.filename().string() == cases[i].text;
        });
        ASSERT_NE(found, entries.end()) << i;
        EXPECT_EQ(fileSize(*found), static_cast<long long>(i + 1)) << i;
        EXPECT_EQ(status(*found).getType(), RegularFile) << i;
        ASSERT_TRUE(rename(*found, scratch / ("renamed" + std::to_string(i)))) << i;
        ASSERT_TRUE(rename(scratch / ("renamed" + std::to_string(i)), *found)) << i;
        EXPECT_TRUE(remove(*found)) << i;
    }
    EXPECT_TRUE(fs::is_empty(scratch.native()));
}

// Patterns see a listed name as its library text in UTF-16 units, whatever its bytes: a code
// point beyond the BMP is two units, a byte that is not UTF-8 one, a `\` byte one. The walks
// match names without building that text; they must agree with `matchesGlobPattern` on it.
TEST(PosixPortTest, PatternsMatchListedNamesAsTheirUtf16Text) {
    ScratchDirectory scratch;
    std::vector<std::string> const names = {"\xF0\x9F\x98\x80.txt", "bad\xFF.txt", "a\\b.txt",
                                            "caf\xC3\xA9.txt", "plain.txt"};
    for (std::string const& name : names)
        std::ofstream(scratch.native() / name) << "x";
    // Each visited entry must match by its text too, so a count that agrees means the same set.
    struct Case {
        char const* pattern;
        int matched;
    };
    std::vector<Case> const cases = {
        {"??.txt", 1},  {"?.txt", 0},    {"bad?.txt", 1},
        {"a?b.txt", 1}, {"caf?.txt", 1}, {"*.txt", static_cast<int>(names.size())},
    };
    for (Case const& c : cases) {
        int visited = 0;
        forEachMatching(scratch.path(), String(c.pattern), [&](Path const& child) {
            EXPECT_TRUE(matchesGlobPattern(child.filename(), String(c.pattern))) << c.pattern;
            ++visited;
            return true;
        });
        EXPECT_EQ(visited, c.matched) << c.pattern;
    }
}

// Library text that holds lone surrogates (legal in Windows names) reaches the disk in the
// three-byte form and lists as the same text.
TEST(PosixPortTest, LoneSurrogatesInLibraryTextRoundTrip) {
    std::vector<std::pair<String, std::string>> const cases = {
        {codePoints({'a', 0xD800, 'b'}), "a\xED\xA0\x80"
                                         "b"},
        {codePoints({0xDC00, '.', 't'}), "\xED\xB0\x80.t"},
        {codePoints({'x', 0xDBFF}), "x\xED\xAF\xBF"},
        {codePoints({0xE9, 't', 0xE9}), "\xC3\xA9t\xC3\xA9"},
    };
    ScratchDirectory scratch;
    for (auto const& [text, bytes] : cases) {
        std::FILE* const file = fopenWrapper(scratch.path() / Path(text), "wb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
        EXPECT_TRUE(fs::exists(scratch.native() / bytes)) << bytes;
    }
    std::vector<Path> const entries = listed(scratch.path());
    for (auto const& c : cases)
        EXPECT_EQ(
            std::count_if(entries.begin(), entries.end(),
                          [&](Path const& entry) { return entry.filename().string() == c.first; }),
            1)
            << c.second;
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
        // Links are never read-only; `isDirectory` follows them.
        {"dirLink", {SymbolicLinkFile, OwnerRead | OwnerWrite, true}},
        {"fileLink", {SymbolicLinkFile, OwnerRead | OwnerWrite, false}},
        {"dangling", {SymbolicLinkFile, OwnerRead | OwnerWrite, false}},
    };
    std::size_t seen = 0;
    for (Path const& entry : listed(scratch.path())) {
        std::string const name = entry.filename().string().toUTF8String();
        auto const found = expected.find(name);
        ASSERT_NE(found, expected.end()) << name;
        ++seen;
        EXPECT_EQ(symbolicLinkStatus(entry).getType(), found->second.type) << name;
        EXPECT_EQ(symbolicLinkStatus(entry).getPermissions(), found->second.permissions) << name;
        EXPECT_EQ(isDirectory(entry), found->second.directory) << name;
        EXPECT_TRUE(exists(entry)) << name; // also the dangling link
    }
    EXPECT_EQ(seen, expected.size());
    EXPECT_EQ(status(scratch / "dirLink").getType(), DirectoryFile);
    EXPECT_EQ(status(scratch / "dangling").getType(), FileNotFound);
    EXPECT_EQ(fileSize(scratch / "dir"), 0);
}

// --- Removing and renaming ------------------------------------------------------------------

TEST(PosixPortTest, ReadOnlyFilesAndDirectoriesAreNotRemoved) {
    ScratchDirectory scratch;
    Path const file = scratch / "keep.txt";
    writeFile(file, "precious");
    makeDirectories(scratch / "frozen");
    ASSERT_TRUE(setPermissions(file, OwnerRead));
    ASSERT_TRUE(setPermissions(scratch / "frozen", OwnerRead));
    EXPECT_EQ(status(file).getPermissions(), OwnerRead);
    EXPECT_FALSE(remove(file));
    EXPECT_FALSE(removeAll(file));
    EXPECT_FALSE(remove(scratch / "frozen"));
    EXPECT_EQ(readFile(file), "precious");
    EXPECT_TRUE(fs::is_directory(scratch.native() / "frozen"));

    ASSERT_TRUE(setPermissions(file, OwnerRead | OwnerWrite));
    EXPECT_TRUE(remove(file));
    EXPECT_FALSE(existsOnDisk(file));
}

// POSIX's own rename replaces an empty directory; the library's never does.
TEST(PosixPortTest, RenameNeverReplacesAnEmptyDirectory) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "emptyDir");
    makeDirectories(scratch / "otherDir");
    writeFile(scratch / "otherDir/inside", "inside");
    EXPECT_FALSE(rename(scratch / "otherDir", scratch / "emptyDir"));
    EXPECT_TRUE(fs::is_empty(scratch.native() / "emptyDir"));
    EXPECT_EQ(readFile(scratch / "otherDir/inside"), "inside");
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
    EXPECT_EQ(namesOnDisk(scratch.native()),
              (std::set<std::string>{"source.txt", "new.txt", "replaced.txt"}));
}

TEST(PosixPortTest, CopyRefusesWhatWindowsRefuses) {
    ScratchDirectory scratch;
    writeFile(scratch / "source.txt", "new");
    writeFile(scratch / "existing.txt", "old");
    writeFile(scratch / "readOnly.txt", "old");
    ASSERT_TRUE(setPermissions(scratch / "readOnly.txt", OwnerRead));
    makeDirectories(scratch / "dir");
    fs::create_symlink(scratch.native() / "dir", scratch.native() / "dirLink");
    fs::create_hard_link(scratch.native() / "source.txt", scratch.native() / "alias.txt");

    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "existing.txt", true));
    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "readOnly.txt", false));
    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "source.txt", false));
    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "alias.txt", false));
    EXPECT_FALSE(copyFile(scratch / "source.txt", scratch / "dir", false));
    EXPECT_FALSE(copyFile(scratch / "dirLink", scratch / "fromLink.txt", true));
    EXPECT_FALSE(copyFile(scratch / "missing.txt", scratch / "fromMissing.txt", true));
    EXPECT_EQ(readFile(scratch / "existing.txt"), "old");
    EXPECT_EQ(readFile(scratch / "readOnly.txt"), "old");
    EXPECT_EQ(readFile(scratch / "source.txt"), "new");

    ASSERT_TRUE(copyFile(scratch / "source.txt", scratch / "existing.txt", false));
    EXPECT_EQ(readFile(scratch / "existing.txt"), "new");
    // No temporary copy is left behind by any of the refusals.
    EXPECT_EQ(namesOnDisk(scratch.native()),
              (std::set<std::string>{"source.txt", "alias.txt", "existing.txt", "readOnly.txt",
                                     "dir", "dirLink"}));
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
    FileSizeLimit(FileSizeLimit const&) = delete;
    FileSizeLimit& operator=(FileSizeLimit const&) = delete;
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

TEST(PosixPortTest, DirectoriesAreNeverOpenedAsFiles) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "dir");
    EXPECT_EQ(fopenWrapper(scratch / "dir", "r"), nullptr);
    EXPECT_EQ(errno, EACCES);
    std::fstream stream;
    fstreamWrapper(stream, scratch / "dir", static_cast<int>(std::ios_base::in));
    EXPECT_FALSE(stream.is_open());
}

TEST(PosixPortTest, WriteModesCreateTruncateAndAppendAsTheRuntimeDoes) {
    ScratchDirectory scratch;
    Path const file = scratch / "data.txt";
    struct Step {
        char const* mode;
        char const* text;
        char const* after;
    };
    for (Step const& step :
         {Step{"w", "one", "one"}, Step{"a", "+two", "one+two"}, Step{"wb", "three", "three"},
          Step{"r+", "T", "Three"}, Step{"a+b", "!", "Three!"}}) {
        std::FILE* const stream = fopenWrapper(file, step.mode);
        ASSERT_NE(stream, nullptr) << step.mode;
        std::fputs(step.text, stream);
        std::fclose(stream);
        EXPECT_EQ(readFile(file), step.after) << step.mode;
    }
    EXPECT_EQ(fopenWrapper(file, "wx"), nullptr);
    EXPECT_EQ(fopenWrapper(file, "q"), nullptr);
    EXPECT_EQ(readFile(file), "Three!");
}

// --- Locks between processes ----------------------------------------------------------------

// The child's half of the cross-process tests: a fresh process (started with exec, so it shares
// none of the parent's state) probes the file named in the environment and exits with
// 64 | 1 (saw it in use) | 2 (could lock it) | 4 (a lock-checking open let it in).
constexpr char const* probeVariable = "KORIL_POSIX_PROBE";
constexpr int probeBase = 64;

TEST(PosixPortChildRole, ProbesTheFile) {
    std::string const request = koril::testing::environmentVariable(probeVariable);
    if (request.empty())
        GTEST_SKIP() << "acts only as the child process of the cross-process lock tests";
    Path const file(request.substr(2));
    if (request[0] == 'n' &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
        std::_Exit(3);
    int answer = probeBase;
    if (FileLock::isFileLocked(file))
        answer |= 1;
    {
        FileLock lock;
        if (lock.lockFile(file))
            answer |= 2;
    }
    if (std::FILE* const stream = fopenWrapperWithLockCheck(file, "r")) {
        answer |= 4;
        std::fclose(stream);
    }
    std::fflush(nullptr);
    std::_Exit(answer);
}

// Runs the probe in a fresh process; `asNobody` makes it drop to uid and gid 65534 first.
int probeInAnotherProcess(Path const& file, bool asNobody = false) {
    koril::testing::ChildProcess child(
        koril::testing::currentExecutable(),
        {"--gtest_filter=PosixPortChildRole.ProbesTheFile", "--gtest_brief=1"}, probeVariable,
        std::string(asNobody ? "n:" : "r:") + file.string().toUTF8String());
    return child.started() ? child.wait() : -1;
}

constexpr int seenInUse = probeBase | 1;
constexpr int freeToTake = probeBase | 2 | 4;

TEST(PosixPortTest, FileLocksExcludeFreshProcesses) {
    ScratchDirectory scratch;
    Path const file = scratch / "locked.txt";
    Path const readOnly = scratch / "readOnly.txt";
    writeFile(file, "x");
    writeFile(readOnly, "x");
    ::chmod(toStd(readOnly).c_str(), 0444);

    EXPECT_EQ(probeInAnotherProcess(file), freeToTake);
    {
        FileLock lock(file);
        FileLock readOnlyLock(readOnly);
        EXPECT_EQ(probeInAnotherProcess(file), seenInUse);
        EXPECT_EQ(probeInAnotherProcess(readOnly), seenInUse);
    }
    EXPECT_EQ(probeInAnotherProcess(file), freeToTake);
    EXPECT_EQ(probeInAnotherProcess(readOnly), freeToTake);
}

TEST(PosixPortTest, FileLocksExcludeFreshProcessesOfAnotherUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "the child drops to another user, which only root may do";
    ScratchDirectory scratch;
    ::chmod(scratch.native().c_str(), 0755);
    Path const file = scratch / "shared.txt";
    Path const unreadable = scratch / "private.txt";
    writeFile(file, "x");
    writeFile(unreadable, "x");
    ::chmod(toStd(file).c_str(), 0444);
    ::chmod(toStd(unreadable).c_str(), 0600);

    EXPECT_EQ(probeInAnotherProcess(file, true), freeToTake);
    {
        FileLock lock(file);
        EXPECT_EQ(probeInAnotherProcess(file, true), seenInUse);
    }
    // What another user cannot read it cannot have for exclusive use either.
    EXPECT_EQ(probeInAnotherProcess(unreadable, true), seenInUse);
}

// A stream of `fopenWrapper` counts as in use everywhere: its process and fresh ones.
TEST(PosixPortTest, StreamsCountAsInUseInEveryProcess) {
    ScratchDirectory scratch;
    Path const file = scratch / "stream.txt";
    writeFile(file, "x");
    std::FILE* const stream = fopenWrapper(file, "r");
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(FileLock::isFileLocked(file));
    EXPECT_EQ(fopenWrapperWithLockCheck(file, "w"), nullptr);
    EXPECT_EQ(probeInAnotherProcess(file), seenInUse);
    std::fclose(stream);
    EXPECT_FALSE(FileLock::isFileLocked(file));
    EXPECT_EQ(probeInAnotherProcess(file), freeToTake);
    EXPECT_EQ(readFile(file), "x");
}

// --- Locks within the process ---------------------------------------------------------------

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

// What `isFileLocked` cannot see: a file buffer's descriptor cannot be marked, nor can what other
// code opens.
TEST(PosixPortTest, FilesOpenedOutsideTheMarkedStreamsAreNotSeenInUse) {
    ScratchDirectory scratch;
    Path const file = scratch / "open.txt";
    writeFile(file, "x");
    std::fstream buffered;
    fstreamWrapper(buffered, file, static_cast<int>(std::ios_base::in));
    ASSERT_TRUE(buffered.is_open());
    std::ifstream plain(toStd(file));
    ASSERT_TRUE(plain.is_open());
    EXPECT_FALSE(FileLock::isFileLocked(file));
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
    makeDirectories(scratch / "dir");
    for (char const* zone : {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "NZST-12NZDT,M9.5.0,M4.1.0/3",
                             "<+0530>-5:30", "<-0330>3:30"}) {
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

// Whole seconds before 1970, which the runtime's calendar cannot represent, read as -1 with the
// fraction kept. (Ext4 cannot store the far end, after the year 3000.)
TEST(PosixPortTest, TimesBefore1970ReadAsMinusOneSecond) {
    ScratchDirectory scratch;
    Path const file = scratch / "old.txt";
    writeFile(file, "x");
    struct timespec const times[2] = {{0, UTIME_OMIT}, {-2, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, toStd(file).c_str(), times, 0), 0);
    EXPECT_EQ(ticksOf(getModificationTime(file)), -10000000 + 5000000);
}

} // namespace
} // namespace koril::filesystem

#endif
