#include <koril/filesystem/Path.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using koril::filesystem::Path;
using koril::unicode::String;

struct StoredCase {
    char const* given;
    char const* stored;
};

TEST(PathConstruction, NormalisesSeparatorsAndOneLongPathPrefix) {
    StoredCase const cases[] = {
        {"C:/dir/file.txt", "C:\\dir\\file.txt"},
        {"//?/C:/x", "C:\\x"},
        {"\\\\?\\UNC\\server\\share\\x", "\\\\server\\share\\x"},
        {"\\\\?\\unc\\server", "unc\\server"},
        {"\\\\?\\", ""},
        {"\\\\?\\UNC", "\\"},
        {"\\\\?\\UN", "UN"},
        {"\\\\?\\\\\\?\\C:", "\\\\?\\C:"},
        {"\\\\?\\\\?\\C:", "\\?\\C:"},
        {"a//b/", "a\\\\b\\"},
        {"\\\\.\\pipe\\x", "\\\\.\\pipe\\x"},
        {"x\\\\?\\y", "x\\\\?\\y"},
        {"\\\\?", "\\\\?"},
        {"", ""},
    };
    for (auto const& c : cases) {
        std::string const given = c.given;
        String const expected(c.stored);
        EXPECT_EQ(Path(given).string(), expected) << given;
        EXPECT_EQ(Path(c.given).string(), expected) << given;
        EXPECT_EQ(Path(String(given)).string(), expected) << given;
        String movable(given);
        EXPECT_EQ(Path(std::move(movable)).string(), expected) << given;
    }
}

TEST(PathConstruction, DecodesUtf8AndCountsCodePoints) {
    Path const accented(std::string("\xC3\xA9"));
    ASSERT_EQ(accented.size(), 1u);
    EXPECT_EQ(accented.string()[0], 0xE9u);
    Path const astral(std::string("a\xF0\x9F\x98\x80"));
    EXPECT_EQ(astral.length(), 2u);
    EXPECT_EQ(astral.string()[1], 0x1F600u);
}

TEST(PathConstruction, NullPointerGivesTheEmptyPath) {
    char const* nothing = nullptr;
    EXPECT_TRUE(Path(nothing).empty());
}

struct JoinCase {
    char const* left;
    char const* right;
    char const* joined;
    char const* concatenated;
};

TEST(PathJoining, PutsExactlyOneSeparatorAtTheSeam) {
    JoinCase const cases[] = {
        {"C:\\a", "b", "C:\\a\\b", "C:\\ab"},
        {"C:\\a\\", "\\b", "C:\\a\\b", "C:\\a\\\\b"},
        {"C:\\a\\\\", "\\b", "C:\\a\\\\b", "C:\\a\\\\\\b"},
        {"C:\\a\\", "b", "C:\\a\\b", "C:\\a\\b"},
        {"C:\\a", "\\b", "C:\\a\\b", "C:\\a\\b"},
        {"", "b", "b", "b"},
        {"a", "", "a", "a"},
        {"", "", "", ""},
        {"\\", "\\", "\\", "\\\\"},
        {"C:", "x", "C:\\x", "C:x"},
    };
    for (auto const& c : cases) {
        Path const left(c.left);
        Path const right(c.right);
        SCOPED_TRACE(std::string(c.left) + " | " + c.right);
        EXPECT_EQ((left / right).string(), String(c.joined));
        EXPECT_EQ((Path(left) / right).string(), String(c.joined));
        Path joined(left);
        joined /= right;
        EXPECT_EQ(joined.string(), String(c.joined));
        EXPECT_EQ((left + right).string(), String(c.concatenated));
        EXPECT_EQ((Path(left) + right).string(), String(c.concatenated));
        Path concatenated(left);
        concatenated += right;
        EXPECT_EQ(concatenated.string(), String(c.concatenated));
    }
}

TEST(PathJoining, JoiningOrConcatenatingWithItselfUsesTheOldText) {
    Path p("a\\");
    p /= p;
    EXPECT_EQ(p.string(), String("a\\a\\"));
    Path q("ab");
    q += q;
    EXPECT_EQ(q.string(), String("abab"));
    Path r("x");
    EXPECT_EQ((std::move(r) / r).string(), String("x\\x"));
}

TEST(PathJoining, AppendSeparatorAddsOnlyAMissingOne) {
    Path p;
    p.appendSeparator();
    EXPECT_EQ(p.string(), String("\\"));
    Path drive("C:");
    drive.appendSeparator();
    EXPECT_EQ(drive.string(), String("C:\\"));
    drive.appendSeparator();
    EXPECT_EQ(drive.string(), String("C:\\"));
}

TEST(PathValue, CopiesAreIndependentAndSelfAssignmentKeepsTheText) {
    Path original("C:\\dir");
    Path copy(original);
    copy /= Path("x");
    EXPECT_EQ(original.string(), String("C:\\dir"));
    Path& self = copy;
    copy = self;
    copy = std::move(self);
    EXPECT_EQ(copy.string(), String("C:\\dir\\x"));
}

TEST(PathValue, SeparatorFunctions) {
    EXPECT_EQ(koril::filesystem::nativeSeparartor(), 92u);
    EXPECT_EQ(koril::filesystem::nonNativeSeparartor(), 47u);
}

} // namespace
