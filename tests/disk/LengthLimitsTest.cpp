// The reported limits and the two length checks.

#include "DeepDirectories.h"
#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDirectory;

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

TEST_F(LengthLimitsTest, TheSwitchSelectsTheLimits) {
    int const classic = getMaxNativeStringPathLength();
    EXPECT_EQ(getMaxNativeStringDirectoryLength(), classic - 25);
    setUseLongPathNames(true);
    EXPECT_EQ(getMaxNativeStringPathLength(), 32767);
    EXPECT_EQ(getMaxNativeStringDirectoryLength(), 32742);
    if (testing::onWindows())
        EXPECT_EQ(classic, 260);
    else
        EXPECT_GE(classic, 4096) << "must not refuse what the kernel accepts";
}

TEST_F(LengthLimitsTest, TheSwitchNeverChangesNativeStrings) {
    for (char const* text : {"C:\\x\\..\\y", "\\\\server\\share", "rel\\x", "C:\\a"}) {
        std::wstring const before = Path(text).nativeString();
        setUseLongPathNames(true);
        EXPECT_EQ(Path(text).nativeString(), before) << text;
        setUseLongPathNames(false);
    }
}

TEST_F(LengthLimitsTest, DirectoryLimitOfClassicWindowsPaths) {
    if (!testing::onWindows())
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
        EXPECT_EQ(isValidPathLength(Path(relative)), !testing::onWindows()) << longNames;
    }
    // One code point less passes the text test; only the long limits let it through.
    relative.resize(259);
    EXPECT_TRUE(isValidPathLength(Path(relative)));
    setUseLongPathNames(false);
    EXPECT_EQ(isValidPathLength(Path(relative)), !testing::onWindows());
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
}

TEST_F(LengthLimitsTest, DeepPathsThatTheSystemAccepts) {
    ScratchDirectory scratch;
    // About 2000 units below the scratch directory.
    testing::DeepDirectories deep(scratch, std::string(200, 'k'), 10);
    setUseLongPathNames(true);
    EXPECT_TRUE(isValidPathLength(deep.path() / "file"));
    EXPECT_TRUE(isValidDirectoryPathLength(deep.path() / "subdirectory"));
    setUseLongPathNames(false);
    EXPECT_EQ(isValidPathLength(deep.path() / "file"), !testing::onWindows());
}

TEST_F(LengthLimitsTest, NameLengthFallsBackWhenTheVolumeCannotBeAsked) {
    int const fallback = testing::onWindows() ? 248 : 255;
    EXPECT_EQ(getMaxNativeStringNameLength(Path("\\\\koril-no-server\\share\\x")), fallback);
    EXPECT_EQ(getMaxNativeStringNameLength(Path(std::string(3000, 'v') + ":\\x")), fallback);
}

TEST_F(LengthLimitsTest, HugeAndBrokenPathsAreRefusedWithoutThrowing) {
    setUseLongPathNames(true);
    ScratchDirectory scratch;
    EXPECT_FALSE(isValidPathLength(scratch.path() / Path(std::string(40000, 'h'))));
    EXPECT_FALSE(isValidDirectoryPathLength(scratch.path() / Path(std::string(40000, 'h'))));
    Path const withNul = scratch / "a" / Path(String(String::storage_type{'b', 0, 'c'}));
    EXPECT_NO_THROW(isValidPathLength(withNul));
    EXPECT_NO_THROW(isValidDirectoryPathLength(withNul));
}

} // namespace
} // namespace koril::filesystem
