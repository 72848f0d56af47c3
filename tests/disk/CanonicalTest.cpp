// Native strings and their length limits, dot resolution and final paths.

#include "disk/DiskTest.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace koril::filesystem::disktest {
namespace {

struct TextCase {
    char const* input;
    char const* expected;
};

// Names that exist nowhere, so that these cases stay textual on any machine.
TEST(CanonicalTest, NativeStringOfStoredTexts) {
    std::vector<TextCase> const cases = {
        {"C:\\dir\\file", "\\\\?\\C:\\dir\\file"},
        {"C:/dir/file", "\\\\?\\C:\\dir\\file"},
        {"C:file", "\\\\?\\C:file"},
        {"\\\\server\\share\\x", "\\\\?\\UNC\\server\\share\\x"},
        {"\\\\ab", "\\\\?\\UNC\\ab"},
        // Three code points only: not a UNC text, but absolute.
        {"\\\\a", "\\\\?\\\\\\a"},
        {"\\dir\\file", "\\dir\\file"},
        {"dir\\..\\file", "dir\\..\\file"},
        {"..\\x\\.\\y", "..\\x\\.\\y"},
        {"", ""},
        // The stored text has lost its prefix; the native string gets it back.
        {"\\\\?\\C:\\x", "\\\\?\\C:\\x"},
        {"\\\\?\\UNC\\server\\share", "\\\\?\\UNC\\server\\share"},
        {"C:\\koril-nowhere-4711\\..\\b", "\\\\?\\C:\\b"},
        {"C:\\koril-nowhere-4711\\.\\b\\.", "\\\\?\\C:\\koril-nowhere-4711\\b"},
        {"C:\\koril-nowhere-4711\\a\\..\\", "\\\\?\\C:\\koril-nowhere-4711\\"},
        {"C:\\.hidden\\x", "\\\\?\\C:\\.hidden\\x"},
        {"\\\\server\\share\\a\\..\\b", "\\\\?\\UNC\\server\\share\\b"},
    };
    for (TextCase const& c : cases) {
        Path const path(c.input);
        EXPECT_EQ(path.nativeString(), String(c.expected).toNativeString()) << c.input;
        // The second answer comes from the cache and must agree.
        EXPECT_EQ(path.nativeString(), String(c.expected).toNativeString()) << c.input;
    }
}

TEST(CanonicalTest, NativeStringFollowsChangesOfTheText) {
    Path path("C:\\a");
    ASSERT_EQ(path.nativeString(), std::wstring(L"\\\\?\\C:\\a"));
    path /= Path("b");
    EXPECT_EQ(path.nativeString(), std::wstring(L"\\\\?\\C:\\a\\b"));
    path.replaceExtension(Path(".md"));
    EXPECT_EQ(path.nativeString(), std::wstring(L"\\\\?\\C:\\a\\b.md"));
    path = Path("rel");
    EXPECT_EQ(path.nativeString(), std::wstring(L"rel"));
    path.clear();
    EXPECT_EQ(path.nativeString(), std::wstring());
    // UTF-16, with surrogate pairs beyond the BMP.
    path = Path(String(String::storage_type{'C', ':', '\\', 0xE9, 0x1D11E, 'x'}));
    EXPECT_EQ(path.nativeString(),
              (std::wstring{L'\\', L'\\', L'?', L'\\', L'C', L':', L'\\', wchar_t(0xE9),
                            wchar_t(0xD834), wchar_t(0xDD1E), L'x'}));
}

TEST(CanonicalTest, ResolveDotsOnTextsThatNameNothing) {
    std::vector<TextCase> const cases = {
        {"koril-nx\\b\\..\\c", "koril-nx\\c"},
        {"koril-nx\\.\\b\\.", "koril-nx\\b"},
        {"..\\..\\koril-nx", "koril-nx"},
        {"koril-nx\\b\\..\\", "koril-nx\\"},
        {"..\\", "\\"},
        {".", ""},
        {"", ""},
        {"koril-nx\\..\\..\\y", "y"},
        {"koril-nx\\b\\c\\..\\..\\d", "koril-nx\\d"},
        // A bare root name keeps its place.
        {"C:\\koril-nx\\..\\b", "C:\\b"},
        {"C:\\koril-nx\\.\\b", "C:\\koril-nx\\b"},
        {"\\\\server\\share\\a\\..\\b", "\\\\server\\share\\b"},
    };
    for (TextCase const& c : cases)
        EXPECT_EQ(resolveDots(Path(c.input)).string(), String(c.expected)) << c.input;
}

TEST(CanonicalTest, ResolveDotsUsesTheDisk) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "Real/inner");
    Path const inner = scratch / "Real/inner";
    EXPECT_EQ(text(resolveDots(inner / ".." / "x")), text(scratch / "Real/x"));
    EXPECT_EQ(text(resolveDots(inner / "." / ".." / "..")), text(scratch.path()));
    EXPECT_EQ(text(resolveDots(inner / "missing" / ".." / "." / "y")), text(inner / "y"));
    if (onWindows()) {
        // The stored spelling of each existing prefix replaces the given one.
        EXPECT_EQ(text(resolveDots(scratch / "REAL/INNER/../x")), text(scratch / "Real/x"));
        // A path that begins with a separator but has no root name names nothing through the
        // long-path prefix, so it resolves as text, as Windows itself reads ".." in it. On POSIX
        // the scratch directory's path is such a path (`\tmp\...`) and names an object.
        Path const rooted(scratch.path().string().substr(scratch.path().rootName().size()));
        ASSERT_TRUE(rooted.rootName().empty());
        EXPECT_EQ(text(resolveDots(rooted / "REAL/INNER/../x")), text(rooted / "REAL/x"));
    }
}

TEST(CanonicalTest, CanonicalGivesTheFinalPathOrNothing) {
    ScratchDirectory scratch;
    makeDirectories(scratch / "Dir");
    writeFile(scratch / "Dir/File.txt", "x");
    EXPECT_EQ(text(canonical(scratch / "Dir/File.txt")), text(scratch / "Dir/File.txt"));
    EXPECT_EQ(text(canonical(scratch / "Dir")), text(scratch / "Dir"));
    EXPECT_EQ(text(canonical(scratch / "Dir/./../Dir/File.txt")), text(scratch / "Dir/File.txt"));
    if (onWindows()) {
        // The stored spelling, where names ignore case.
        EXPECT_EQ(text(canonical(scratch / "dir/file.TXT")), text(scratch / "Dir/File.txt"));
        expectStatus(status(scratch / "dir/file.TXT"), RegularFile, 0600, "other case");
        EXPECT_EQ(text(canonical(scratch / "DIR")), text(scratch / "Dir"));
    }
    std::vector<Path> const nothing = {
        Path(),
        scratch / "missing",
        scratch / "Dir/File.txt/child",
        scratch.path() / Path(std::string(4000, 'c')),
        scratch / "Dir" / Path(String(String::storage_type{'q', 0, 'z'})),
    };
    for (Path const& path : nothing)
        EXPECT_TRUE(canonical(path).empty()) << text(path).substr(0, 100);
}

// Both follow links. Where a prefix names an object, ".." leaves the real parent of what a link
// leads to, as the kernel reads it.
TEST(CanonicalTest, CanonicalAndResolveDotsFollowLinks) {
    if (!platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform does not create symbolic links";
    ScratchDirectory scratch;
    makeDirectories(scratch / "far/away/target");
    writeFile(scratch / "far/t", "x");
    fs::create_symlink(toStd(scratch / "far/t"), toStd(scratch / "l1"));
    fs::create_symlink(toStd(scratch / "l1"), toStd(scratch / "l2"));
    fs::create_directory_symlink(toStd(scratch / "far"), toStd(scratch / "dl"));
    fs::create_symlink(toStd(scratch / "none"), toStd(scratch / "dangling"));
    fs::create_directory_symlink(toStd(scratch / "far/away/target"), toStd(scratch / "link"));
    EXPECT_EQ(text(canonical(scratch / "l2")), text(scratch / "far/t"));
    EXPECT_EQ(text(canonical(scratch / "dl/t")), text(scratch / "far/t"));
    EXPECT_TRUE(canonical(scratch / "dangling").empty());
    EXPECT_EQ(text(resolveDots(scratch / "link/../z")), text(scratch / "far/away/z"));
}

// Every test leaves the process-wide switch as it found it: off.
class LengthLimitsTest : public ::testing::Test {
protected:
    void TearDown() override { setUseLongPathNames(false); }
};

// `base` followed by a separator and as many 'n' as make its native string `units` long.
Path withNativeLength(Path const& base, std::size_t units) {
    std::size_t const baseUnits = base.nativeString().size() + 1;
    return base / Path(std::string(units - baseUnits, 'n'));
}

// The switch selects the limits and nothing else; a volume that cannot be asked falls back.
TEST_F(LengthLimitsTest, TheSwitchSelectsTheLimits) {
    int const classic = getMaxNativeStringPathLength();
    EXPECT_EQ(getMaxNativeStringDirectoryLength(), classic - 25);
    EXPECT_EQ(classic, onWindows() ? 260 : std::max(classic, 4096))
        << "must not refuse what the kernel accepts";
    std::vector<std::wstring> natives;
    char const* const texts[] = {"C:\\x\\..\\y", "\\\\server\\share", "rel\\x", "C:\\a"};
    for (char const* text : texts)
        natives.push_back(Path(text).nativeString());
    setUseLongPathNames(true);
    EXPECT_EQ(getMaxNativeStringPathLength(), 32767);
    EXPECT_EQ(getMaxNativeStringDirectoryLength(), 32742);
    for (std::size_t i = 0; i < natives.size(); ++i)
        EXPECT_EQ(Path(texts[i]).nativeString(), natives[i]) << texts[i];
    int const fallback = onWindows() ? 248 : 255;
    EXPECT_EQ(getMaxNativeStringNameLength(Path("\\\\koril-no-server\\share\\x")), fallback);
    EXPECT_EQ(getMaxNativeStringNameLength(Path(std::string(3000, 'v') + ":\\x")), fallback);
}

TEST_F(LengthLimitsTest, DirectoryLimitOfClassicWindowsPaths) {
    if (!onWindows())
        GTEST_SKIP() << "POSIX limits are the kernel's";
    ScratchDirectory scratch;
    Path const fits = withNativeLength(scratch.path(), 235);
    Path const tooLong = withNativeLength(scratch.path(), 236);
    ASSERT_EQ(tooLong.nativeString().size(), 236u);
    EXPECT_TRUE(isValidPathLength(fits));
    EXPECT_TRUE(isValidDirectoryPathLength(fits));
    EXPECT_FALSE(isValidPathLength(tooLong));
    EXPECT_FALSE(isValidDirectoryPathLength(tooLong));
    setUseLongPathNames(true);
    EXPECT_TRUE(isValidPathLength(tooLong));
    EXPECT_TRUE(isValidDirectoryPathLength(tooLong));
}

TEST_F(LengthLimitsTest, RelativeTextsOf260CodePointsFailOnWindows) {
    std::string relative;
    while (relative.size() < 260)
        relative += "rrr\\";
    relative.resize(260);
    for (bool longNames : {false, true}) {
        setUseLongPathNames(longNames);
        EXPECT_EQ(isValidPathLength(Path(relative)), !onWindows()) << longNames;
    }
    // One code point less passes the text test; only the long limits let it through.
    relative.resize(259);
    EXPECT_TRUE(isValidPathLength(Path(relative)));
    setUseLongPathNames(false);
    EXPECT_EQ(isValidPathLength(Path(relative)), !onWindows());
    relative.resize(200);
    EXPECT_TRUE(isValidPathLength(Path(relative)));
}

TEST_F(LengthLimitsTest, EachNewElementMustFitTheVolume) {
    setUseLongPathNames(true);
    ScratchDirectory scratch;
    int const nameLimit = getMaxNativeStringNameLength(scratch.path());
    ASSERT_GE(nameLimit, 200);
    std::string const longest(static_cast<std::size_t>(nameLimit), 'a');
    std::string const tooLong(static_cast<std::size_t>(nameLimit) + 1, 'a');
    EXPECT_TRUE(isValidPathLength(scratch / longest));
    EXPECT_TRUE(isValidDirectoryPathLength(scratch / longest));
    EXPECT_FALSE(isValidPathLength(scratch / tooLong));
    EXPECT_FALSE(isValidDirectoryPathLength(scratch / tooLong));
    // Below a missing ancestor every element is checked.
    EXPECT_FALSE(isValidPathLength(scratch / "missing" / tooLong / "x"));
    EXPECT_TRUE(isValidPathLength(scratch / "missing" / longest / "x"));
    // Huge and broken paths are refused without throwing.
    EXPECT_FALSE(isValidPathLength(scratch.path() / Path(std::string(40000, 'h'))));
    EXPECT_FALSE(isValidDirectoryPathLength(scratch.path() / Path(std::string(40000, 'h'))));
    Path const withNul = scratch / "a" / Path(String(String::storage_type{'b', 0, 'c'}));
    EXPECT_NO_THROW(isValidPathLength(withNul));
    EXPECT_NO_THROW(isValidDirectoryPathLength(withNul));
}

// Beyond the classic Windows limit every call needs the long-path prefix.
// A chain of nested directories below a scratch directory, beyond the classic Windows path
// limit. Everything is made and removed one object at a time, with the long-path prefix on
// Windows, because the recursive helpers of std::filesystem give up on such paths there.
class DeepDirectories {
public:
    DeepDirectories(ScratchDirectory const& scratch, std::string const& name, int levels)
        : native_(scratch.native()), path_(scratch.path()) {
        for (int level = 0; level < levels; ++level) {
            add(name, nullptr);
            native_ /= name;
            path_ /= Path(name);
        }
    }
    ~DeepDirectories() {
        std::error_code ignored;
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            fs::remove(*it, ignored);
    }

    // The deepest directory.
    Path const& path() const { return path_; }
    // Adds a directory below the deepest one, or a file when there are `contents`.
    Path add(std::string const& name, char const* contents) {
        fs::path const native = (onWindows() ? fs::path(L"\\\\?\\") += native_ : native_) / name;
        if (contents != nullptr)
            std::ofstream(native) << contents;
        else
            fs::create_directory(native);
        made_.push_back(native);
        return path_ / Path(name);
    }

private:
    fs::path native_;
    Path path_;
    std::vector<fs::path> made_;
};

TEST_F(LengthLimitsTest, LongAbsolutePathsReachTheDiskAndAreValidWithLongNames) {
    ScratchDirectory scratch;
    // About 2000 units below the scratch directory.
    DeepDirectories deep(scratch, std::string(200, 'k'), 10);
    deep.add("inner", nullptr);
    Path const file = deep.add("leaf.cmd", "abc");
    ASSERT_GT(file.size(), 2000u);
    EXPECT_EQ(isValidPathLength(deep.path() / "file"), !onWindows());
    setUseLongPathNames(true);
    EXPECT_TRUE(isValidPathLength(deep.path() / "file"));
    EXPECT_TRUE(isValidDirectoryPathLength(deep.path() / "subdirectory"));
    EXPECT_TRUE(exists(file));
    EXPECT_TRUE(isDirectory(deep.path()));
    expectStatus(symbolicLinkStatus(file), RegularFile, 0700, "symbolicLinkStatus");

    // The library's own tree calls take the prefix too.
    ASSERT_TRUE(createDirectories(deep.path() / Path("made/more")));
    EXPECT_TRUE(removeAll(deep.path() / Path("made")));
    std::vector<DirectoryEntry> const entries = listEntries(deep.path());
    ASSERT_EQ(entries.size(), 2u);
    for (DirectoryEntry const& entry : entries) {
        bool const isFile = text(entry.getPath()) == text(file);
        EXPECT_TRUE(isFile || text(entry.getPath()) == text(deep.path() / Path("inner")));
        expectStatus(entry.getStatus(), isFile ? RegularFile : DirectoryFile, isFile ? 0700 : 0600,
                     text(entry.getPath().filename()));
    }

    std::FILE* const writer = fopenWrapper(file, "ab");
    ASSERT_NE(writer, nullptr);
    std::fputs("def", writer);
    std::fclose(writer);
    std::fstream reader;
    fstreamWrapper(reader, file, std::ios_base::in);
    std::string word;
    EXPECT_TRUE(reader >> word);
    EXPECT_EQ(word, "abcdef");

    if (canonical(deep.path()).empty())
        GTEST_SKIP() << "this platform's final-path query fails beyond the classic limit";
    expectStatus(status(file), RegularFile, 0700, "status");
    EXPECT_EQ(fileSize(file), 6);
    EXPECT_EQ(text(canonical(file)), text(file));
}

} // namespace
} // namespace koril::filesystem::disktest
