// The process's current directory, and relative paths resolved against it.

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace koril::filesystem {
namespace {

using koril::testing::existsOnDisk;
using koril::testing::makeDirectories;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
using koril::testing::writeFile;
namespace fs = std::filesystem;

// Paths are compared through their text: GoogleTest cannot print a `Path`.
std::string text(Path const& path) {
    return path.string().toUTF8String();
}

// Every test here changes the current directory; this puts it back, also when the test fails.
class CurrentDirectoryTest : public ::testing::Test {
protected:
    ~CurrentDirectoryTest() override {
        std::error_code ignored;
        fs::current_path(original_, ignored);
        // Deeper than std::filesystem reaches on Windows; the library's long paths do.
        if (!longTree.empty())
            removeAll(longTree);
    }

    fs::path const original_ = fs::current_path();
    ScratchDirectory scratch;
    Path longTree;
};

TEST_F(CurrentDirectoryTest, ReportsWhatItWasSetTo) {
    EXPECT_EQ(toStd(getCurrentDirectory()), fs::current_path());
    makeDirectories(scratch / "sub");
    ASSERT_TRUE(setCurrentDirectory(scratch.path()));
    EXPECT_EQ(fs::current_path(), scratch.native());
    EXPECT_EQ(text(getCurrentDirectory()), text(scratch.path()));
    // A relative path goes from where we are.
    ASSERT_TRUE(setCurrentDirectory(Path("sub")));
    EXPECT_EQ(text(getCurrentDirectory()), text(scratch / "sub"));
}

TEST_F(CurrentDirectoryTest, ReportsADirectoryLongerThanTheFirstBuffer) {
    // Wine reads the current directory into buffers of MAX_PATH characters and takes the
    // process down with a longer one.
    if (testing::runningUnderWine())
        GTEST_SKIP() << "Wine cannot hold a current directory longer than MAX_PATH";
    longTree = scratch / "long";
    Path deep = longTree;
    while (deep.size() <= 2100)
        deep /= Path(std::string(60, 'n'));
    ASSERT_TRUE(createDirectories(deep));
    if (!setCurrentDirectory(deep)) {
        ASSERT_TRUE(koril::testing::onWindows());
        GTEST_SKIP() << "the platform refuses a current directory of " << deep.size()
                     << " characters";
    }
    Path const reported = getCurrentDirectory();
    EXPECT_EQ(text(reported), text(deep));
}

TEST_F(CurrentDirectoryTest, RefusesWhatIsNoDirectory) {
    writeFile(scratch / "file", "x");
    ASSERT_TRUE(setCurrentDirectory(scratch.path()));
    EXPECT_FALSE(setCurrentDirectory(scratch / "missing"));
    EXPECT_FALSE(setCurrentDirectory(scratch / "file"));
    EXPECT_FALSE(setCurrentDirectory(Path()));
    EXPECT_EQ(text(getCurrentDirectory()), text(scratch.path()));
}

TEST_F(CurrentDirectoryTest, CreatesAndRemovesRelativeToIt) {
    ASSERT_TRUE(setCurrentDirectory(scratch.path()));
    EXPECT_TRUE(createDirectory(Path("one")));
    EXPECT_TRUE(fs::is_directory(scratch.native() / "one"));
    EXPECT_TRUE(createDirectories(Path("one\\two\\three")));
    EXPECT_TRUE(fs::is_directory(scratch.native() / "one" / "two" / "three"));
    // Without an existing ancestor the climb finds nowhere to start from.
    EXPECT_FALSE(createDirectories(Path("missing\\x")));
    EXPECT_FALSE(createDirectories(Path("alone")));
    EXPECT_FALSE(existsOnDisk(scratch / "missing"));
    EXPECT_FALSE(existsOnDisk(scratch / "alone"));
    EXPECT_TRUE(removeAll(Path("one")));
    EXPECT_FALSE(existsOnDisk(scratch / "one"));
}

} // namespace
} // namespace koril::filesystem
