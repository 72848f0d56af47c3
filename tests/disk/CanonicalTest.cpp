// Native strings, dot resolution and final paths.

#include "support/Scratch.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDirectory;

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

TEST(CanonicalTest, NativeStringIsUtf16) {
    Path const path(String(String::storage_type{'C', ':', '\\', 0xE9, 0x1D11E, 'x'}));
    EXPECT_EQ(path.nativeString(),
              (std::wstring{L'\\', L'\\', L'?', L'\\', L'C', L':', L'\\', wchar_t(0xE9),
                            wchar_t(0xD834), wchar_t(0xDD1E), L'x'}));
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
    testing::makeDirectories(scratch / "Real/inner");
    Path const inner = scratch / "Real/inner";
    EXPECT_EQ(resolveDots(inner / ".." / "x").string(), (scratch / "Real/x").string());
    EXPECT_EQ(resolveDots(inner / "." / ".." / "..").string(), scratch.path().string());
    EXPECT_EQ(resolveDots(inner / "missing" / ".." / "." / "y").string(), (inner / "y").string());
    if (testing::onWindows()) {
        // The stored spelling of each existing prefix replaces the given one.
        EXPECT_EQ(resolveDots(scratch / "REAL/INNER/../x").string(), (scratch / "Real/x").string());
    }
}

// Where a prefix names an object, ".." leaves the real parent of what a link leads to. On POSIX
// the scratch directory's path begins with a separator and has no root name (`\tmp\...`): such a
// path names an object there, and ".." after a link leaves the link's target, as the kernel
// reads it.
TEST(CanonicalTest, ResolveDotsLeavesTheRealParentOfALink) {
    if (!testing::platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform does not create symbolic links";
    ScratchDirectory scratch;
    testing::makeDirectories(scratch / "far/away/target");
    fs::create_directory_symlink(testing::toStd(scratch / "far/away/target"),
                                 testing::toStd(scratch / "link"));
    EXPECT_EQ(resolveDots(scratch / "link/../z").string(), (scratch / "far/away/z").string());
}

// On Windows a path that begins with a separator but has no root name names nothing through the
// long-path prefix, so it resolves as text, as Windows itself reads ".." in it: the spelling
// given is kept where a drive path would take the stored one.
TEST(CanonicalTest, ResolveDotsOfARootedPathWithoutDriveStaysTextualOnWindows) {
    if (!testing::onWindows())
        GTEST_SKIP() << "on POSIX such a path names an object (see the test above)";
    ScratchDirectory scratch;
    testing::makeDirectories(scratch / "Real/inner");
    Path const rooted(scratch.path().string().substr(scratch.path().rootName().size()));
    ASSERT_TRUE(rooted.rootName().empty());
    EXPECT_EQ(resolveDots(rooted / "REAL/INNER/../x").string(), (rooted / "REAL/x").string());
    EXPECT_EQ(resolveDots(scratch / "REAL/INNER/../x").string(), (scratch / "Real/x").string());
}

TEST(CanonicalTest, CanonicalGivesTheFinalPathOrNothing) {
    ScratchDirectory scratch;
    testing::makeDirectories(scratch / "dir");
    testing::writeFile(scratch / "dir/file.txt", "x");
    EXPECT_EQ(canonical(scratch / "dir/file.txt").string(), (scratch / "dir/file.txt").string());
    EXPECT_EQ(canonical(scratch / "dir").string(), (scratch / "dir").string());
    EXPECT_EQ(canonical(scratch / "dir/./../dir/file.txt").string(),
              (scratch / "dir/file.txt").string());
    std::vector<Path> const nothing = {
        Path(),
        scratch / "missing",
        scratch / "dir/file.txt/child",
        scratch.path() / Path(std::string(4000, 'c')),
        scratch / "dir" / Path(String(String::storage_type{'q', 0, 'z'})),
    };
    for (Path const& path : nothing)
        EXPECT_TRUE(canonical(path).empty()) << path.string().toUTF8String().substr(0, 100);
}

TEST(CanonicalTest, CanonicalTakesTheStoredSpellingOnWindows) {
    if (!testing::onWindows())
        GTEST_SKIP() << "POSIX names are case-sensitive";
    ScratchDirectory scratch;
    testing::makeDirectories(scratch / "Folder");
    testing::writeFile(scratch / "Folder/File.TXT", "x");
    EXPECT_EQ(canonical(scratch / "folder/file.txt").string(),
              (scratch / "Folder/File.TXT").string());
    EXPECT_EQ(canonical(scratch / "FOLDER").string(), (scratch / "Folder").string());
}

TEST(CanonicalTest, CanonicalFollowsLinks) {
    if (!testing::platformCreatesSymbolicLinks())
        GTEST_SKIP() << "this platform does not create symbolic links";
    ScratchDirectory scratch;
    testing::makeDirectories(scratch / "d");
    testing::writeFile(scratch / "d/t", "x");
    fs::create_symlink(testing::toStd(scratch / "d/t"), testing::toStd(scratch / "l1"));
    fs::create_symlink(testing::toStd(scratch / "l1"), testing::toStd(scratch / "l2"));
    fs::create_directory_symlink(testing::toStd(scratch / "d"), testing::toStd(scratch / "dl"));
    fs::create_symlink(testing::toStd(scratch / "none"), testing::toStd(scratch / "dangling"));
    EXPECT_EQ(canonical(scratch / "l2").string(), (scratch / "d/t").string());
    EXPECT_EQ(canonical(scratch / "dl/t").string(), (scratch / "d/t").string());
    EXPECT_TRUE(canonical(scratch / "dangling").empty());
}

#ifndef _WIN32
// Drive-absolute paths take the long-path road (prefix, dot resolution, final paths); natively
// they reach the disk through a drive mapping.
TEST(CanonicalTest, DriveFormPathsThroughAMapping) {
    ScratchDirectory scratch;
    testing::makeDirectories(scratch / "Real/inner");
    testing::writeFile(scratch / "Real/inner/tool.exe", "1234");
    ASSERT_TRUE(setDriveMapping("T:", scratch.path()));
    struct Unmap {
        ~Unmap() { setDriveMapping("T:", Path()); }
    } const unmap;
    Path const tool("T:\\Real\\inner\\..\\inner\\.\\tool.exe");
    EXPECT_EQ(tool.nativeString(), std::wstring(L"\\\\?\\T:\\Real\\inner\\tool.exe"));
    EXPECT_EQ(canonical(tool).string(), String("T:\\Real\\inner\\tool.exe"));
    EXPECT_EQ(resolveDots(Path("T:\\Real\\inner\\..\\x")).string(), String("T:\\Real\\x"));
    EXPECT_EQ(resolveDots(Path("T:\\..\\Real")).string(), String("T:\\Real"));
    EXPECT_EQ(status(tool).getType(), RegularFile);
    EXPECT_EQ(status(tool).getPermissions(), 0700u);
    EXPECT_EQ(fileSize(tool), 4);
    DirectoryIterator it(Path("T:\\Real\\inner"));
    ASSERT_TRUE(it.canIterate());
    EXPECT_EQ(it->getPath().string(), String("T:\\Real\\inner\\tool.exe"));
    EXPECT_EQ(it->getStatus().getPermissions(), 0700u);
}
#endif

} // namespace
} // namespace koril::filesystem
