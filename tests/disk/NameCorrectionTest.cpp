// Correction of a path's case and composition from the names stored on disk.
//
// The Windows target runs under Wine, whose file system ignores case: a path spelled in the
// wrong case exists there, and without `fromRoot` it comes back unchanged. The native file
// system is case-sensitive, so the same path does not exist and is corrected. Neither ignores
// composition: a precomposed spelling of a decomposed stored name names nothing on both.

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

namespace {

namespace kfs = koril::filesystem;
using koril::testing::onWindows;
using koril::testing::ScratchDirectory;
using koril::testing::writeFile;

std::string text(kfs::Path const& path) {
    return path.string().toUTF8String();
}

class NameCorrectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        koril::testing::makeDirectories(scratch / "Data");
        writeFile(scratch / "Data/Report.txt", "x");
    }
    ScratchDirectory scratch;
};

TEST_F(NameCorrectionTest, StoredCaseIsReturned) {
    kfs::Path const asked = scratch / "data/report.TXT";
    kfs::Path const stored = scratch / "Data/Report.txt";
    EXPECT_EQ(text(kfs::findSimilarName(asked, false)), text(onWindows() ? asked : stored));

    kfs::Path corrected = asked;
    EXPECT_TRUE(kfs::correctFileCaseAndComposition(corrected, false));
    EXPECT_EQ(text(corrected), text(onWindows() ? asked : stored));
}

TEST_F(NameCorrectionTest, ExistingPathWithoutFromRootIsReturnedAsItIs) {
    // The dot element would not survive a rebuild from the disk.
    kfs::Path const asked = scratch / "Data/./Report.txt";
    EXPECT_EQ(text(kfs::findSimilarName(asked, false)), text(asked));
}

TEST_F(NameCorrectionTest, StoredCompositionIsReturned) {
    std::string const decomposed = u8"Cafe\u0301.txt";
    writeFile(scratch / "Data" / decomposed, "x");
    ASSERT_TRUE(
        std::filesystem::exists(scratch.native() / "Data" / std::filesystem::u8path(decomposed)));

    kfs::Path const asked = scratch / "Data" / u8"Caf\u00e9.txt";
    EXPECT_EQ(text(kfs::findSimilarName(asked, false)), text(scratch / "Data" / decomposed));
}

TEST_F(NameCorrectionTest, FromRootUpperCasesTheRootAndCorrectsEveryElement) {
#ifdef _WIN32
    // The scratch directory lies below a drive root; ask with the drive letter in lower case.
    std::string asked = text(scratch / "data/report.TXT");
    ASSERT_EQ(asked.at(1), ':');
    asked[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(asked[0])));
    kfs::Path const result = kfs::findSimilarName(kfs::Path(asked), true);
    ASSERT_FALSE(result.empty());
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(text(result).at(0))));
    EXPECT_EQ(result, scratch / "Data/Report.txt");
    EXPECT_EQ(text(result.filename()), "Report.txt");
    EXPECT_EQ(text(result.parentPath().filename()), "Data");
#else
    // A mapped drive gives this target a root with a letter to upper-case.
    ASSERT_TRUE(kfs::setDriveMapping("K:", scratch.path()));
    kfs::Path const result = kfs::findSimilarName("k:\\data\\report.TXT", true);
    kfs::setDriveMapping("K:", kfs::Path());
    EXPECT_EQ(text(result), "K:\\Data\\Report.txt");

    // Every element of an absolute path is looked up, down from the file system's root.
    EXPECT_EQ(text(kfs::findSimilarName(scratch / "data/report.TXT", true)),
              text(scratch / "Data/Report.txt"));
#endif
}

TEST_F(NameCorrectionTest, MissingElementGivesEmptyAndLeavesTheArgument) {
    for (char const* missing : {"Data/missing.txt", "nothere/Report.txt", "data/missing.txt"}) {
        for (bool fromRoot : {false, true}) {
            SCOPED_TRACE(std::string(missing) + (fromRoot ? " from the root" : ""));
            kfs::Path const asked = scratch / missing;
            EXPECT_TRUE(kfs::findSimilarName(asked, fromRoot).empty());
            kfs::Path argument = asked;
            EXPECT_FALSE(kfs::correctFileCaseAndComposition(argument, fromRoot));
            EXPECT_EQ(text(argument), text(asked));
        }
    }
}

TEST_F(NameCorrectionTest, EmptyPathGivesEmpty) {
    for (bool fromRoot : {false, true}) {
        EXPECT_TRUE(kfs::findSimilarName(kfs::Path(), fromRoot).empty());
        kfs::Path argument;
        EXPECT_FALSE(kfs::correctFileCaseAndComposition(argument, fromRoot));
        EXPECT_TRUE(argument.empty());
    }
}

} // namespace
