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
        {"C:file", "\\\\?\\C:file"},
        {"\\\\server\\share\\x", "\\\\?\\UNC\\server\\share\\x"},
        {"\\\\ab", "\\\\?\\UNC\\ab"},
        // Three code points only: not a UNC text, but absolute.
        {"\\\\a", "\\\\?\\\\\\a"},
        {"\\dir\\file", "\\dir\\file"},
        {"dir\\..\\file", "dir\\..\\file"},
        {"", ""},
        // The stored text has lost its prefix; the native string gets it back.
        {"\\\\?\\C:\\x", "\\\\?\\C:\\x"},
        {"\\\\?\\UNC\\server\\share", "\\\\?\\UNC\\server\\share"},
        {"C:\\koril-nowhere-4711\\..\\b", "\\\\?\\C:\\b"},
        {"C:\\koril-nowhere-4711\\.\\b\\.", "\\\\?\\C:\\koril-nowhere-4711\\b"},
        {"C:\\koril-nowhere-4711\\a\\..\\", "\\\\?\\C:\\koril-nowhere-4711\\"},
        {"\\\\server\\share\\a\\..\\b", "\\\\?\\UNC\\server\\share\\b"},
    };
    for (TextCase const& c : cases) {
        Path const path(c.input);
        EXPECT_EQ(path.nativeString(), String(c.expected).toNativeString()) << c.input;
        // The second answer comes from the cache and must agree.
        EXPECT_EQ(path.nativeString(), String(c.expected).toNativeString()) << c.input;
    }
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
        // A bare root name keeps its place.
        {"C:\\koril-nx\\..\\b", "C:\\b"},
        {"C:\\koril-nx\\.\\b", "C:\\koril-nx\\b"},
        {"\\\\server\\share\\a\\..\\b", "\\\\server\\share\\b"},
    };
    for (TextCase const& c : cases)
        EXPECT_EQ(resolveDots(Path(c.input)).string(), String(c.expected)) << c.input;
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

// The switch selects the limits and nothing else; a volume that cannot be asked falls back.
TEST_F(LengthLimitsTest, TheSwitchSelectsTheLimits) {
    int const classic = getMaxNativeStringPathLength();
    EXPECT_EQ(classic, onWindows() ? 260 : std::max(classic, 4096))
        << "must not refuse what the kernel accepts";
    char const* const texts[] = {"C:\\x\\..\\y", "\\\\server\\share", "rel\\x"};
    std::vector<std::wstring> natives;
    for (char const* text : texts)
        natives.push_back(Path(text).nativeString());
    setUseLongPathNames(true);
    EXPECT_EQ(getMaxNativeStringPathLength(), 32767);
    EXPECT_EQ(getMaxNativeStringDirectoryLength(), 32742);
    for (std::size_t i = 0; i < natives.size(); ++i)
        EXPECT_EQ(Path(texts[i]).nativeString(), natives[i]) << texts[i];
    EXPECT_EQ(getMaxNativeStringNameLength(Path("\\\\koril-no-server\\share\\x")),
              onWindows() ? 248 : 255);
}

TEST_F(LengthLimitsTest, EachNewElementMustFitTheVolume) {
    setUseLongPathNames(true);
    ScratchDirectory scratch;
    int const nameLimit = getMaxNativeStringNameLength(scratch.path());
    ASSERT_GE(nameLimit, 200);
    std::string const longest(static_cast<std::size_t>(nameLimit), 'a');
    std::string const tooLong(static_cast<std::size_t>(nameLimit) + 1, 'a');
    EXPECT_TRUE(isValidPathLength(scratch / longest));
    EXPECT_FALSE(isValidPathLength(scratch / tooLong));
    EXPECT_FALSE(isValidDirectoryPathLength(scratch / tooLong));
    // Below a missing ancestor every element is checked.
    EXPECT_FALSE(isValidPathLength(scratch / "missing" / tooLong / "x"));
    EXPECT_TRUE(isValidPathLength(scratch / "missing" / longest / "x"));
    EXPECT_FALSE(isValidPathLength(scratch.path() / Path(std::string(40000, 'h'))));
}

} // namespace
} // namespace koril::filesystem::disktest
