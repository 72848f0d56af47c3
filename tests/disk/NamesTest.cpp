// Names derived from the disk: correction of a path's case and composition from the stored names,
// and 8.3 short names numbered past the names that already exist.
//
// The Windows target runs under Wine, whose file system ignores case: a path spelled in the
// wrong case exists there, and without `fromRoot` it comes back unchanged. The native file
// system is case-sensitive, so the same path does not exist and is corrected. Neither ignores
// composition: a precomposed spelling of a decomposed stored name names nothing on both.

#include "disk/DiskTest.h"

#include <cctype>

namespace koril::filesystem::disktest {
namespace {

class NameCorrectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        makeDirectories(scratch / "Data");
        writeFile(scratch / "Data/Report.txt", "x");
    }
    ScratchDirectory scratch;
};

TEST_F(NameCorrectionTest, StoredCaseAndCompositionAreReturned) {
    Path const asked = scratch / "data/report.TXT";
    Path const stored = scratch / "Data/Report.txt";
    EXPECT_EQ(text(findSimilarName(asked, false)), text(onWindows() ? asked : stored));
    Path corrected = asked;
    EXPECT_TRUE(correctFileCaseAndComposition(corrected, false));
    EXPECT_EQ(text(corrected), text(onWindows() ? asked : stored));

    std::string const decomposed = u8"Cafe\u0301.txt";
    writeFile(scratch / "Data" / decomposed, "x");
    ASSERT_TRUE(fs::exists(scratch.native() / "Data" / fs::u8path(decomposed)));
    EXPECT_EQ(text(findSimilarName(scratch / "Data" / u8"Caf\u00e9.txt", false)),
              text(scratch / "Data" / decomposed));

    // An existing path comes back as it is: its dot would not survive a rebuild from the disk.
    EXPECT_EQ(text(findSimilarName(scratch / "Data/./Report.txt", false)),
              text(scratch / "Data/./Report.txt"));
}

TEST_F(NameCorrectionTest, MissingElementGivesEmptyAndLeavesTheArgument) {
    for (Path const& asked : {scratch / "Data/missing.txt", scratch / "nothere/Report.txt",
                              scratch / "data/missing.txt", Path()}) {
        for (bool fromRoot : {false, true}) {
            SCOPED_TRACE(text(asked) + (fromRoot ? " from the root" : ""));
            EXPECT_TRUE(findSimilarName(asked, fromRoot).empty());
            Path argument = asked;
            EXPECT_FALSE(correctFileCaseAndComposition(argument, fromRoot));
            EXPECT_EQ(text(argument), text(asked));
        }
    }
}

// `prefix` followed by `first` to `last` in decimal, followed by `suffix`.
std::vector<std::string> numbered(std::string const& prefix, int first, int last,
                                  std::string const& suffix) {
    std::vector<std::string> names;
    for (int i = first; i <= last; ++i)
        names.push_back(prefix + std::to_string(i) + suffix);
    return names;
}

TEST(ToDos8Dot3Test, NamesAndTails) {
    struct Case {
        char const* longName;
        std::vector<std::string> existing;
        char const* expected;
    };
    Case const cases[] = {
        {"Report.txt", {}, "REPORT.TXT"},
        {"Report.txt", {"REPORT.TXT"}, "REPORT~1.TXT"},
        {"ab.txt", {"AB.TXT"}, "AB____~1.TXT"},
        {"ABCDEFGH", {"ABCDEFGH"}, "ABCDEF~1"},
        {"verylongfilename.html", {}, "VERYLO~1.HTM"},
        // The tail takes one more character of the base when it grows from ~9 to ~10.
        {"verylongfilename.html", numbered("VERYLO~", 1, 9, ".HTM"), "VERYL~10.HTM"},
        {"verylongfilename.html", numbered("VERYLO~", 1, 8, ".HTM"), "VERYLO~9.HTM"},
        {"ab.txt",
         [] {
             auto names = numbered("AB____~", 1, 9, ".TXT");
             names.push_back("AB.TXT");
             return names;
         }(),
         "AB___~10.TXT"},
        {"ab.txt",
         [] {
             auto names = numbered("AB____~", 1, 9, ".TXT");
             auto more = numbered("AB___~", 10, 11, ".TXT");
             names.insert(names.end(), more.begin(), more.end());
             names.push_back("AB.TXT");
             return names;
         }(),
         "AB___~12.TXT"},
        {"my file.tar.gz", {}, "MYFILE~1.GZ"},
        {".bashrc", {}, "FILE.BAS"},
        {"readme.", {}, "README"},
        {"...", {}, "FILE"},
        {"a+b=c.txt", {}, "ABC.TXT"},
        {u8"\u00dcn\u00efcode.doc", {}, "NCODE.DOC"},
        {"!#$&'()-@^_`{}~.x", {}, "!#$&'(~1.X"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.longName);
        ScratchDirectory scratch;
        for (std::string const& name : c.existing)
            writeFile(scratch / name, "");
        Path const result = toDos8Dot3(scratch / c.longName);
        EXPECT_EQ(text(result), text(scratch / c.expected));
        EXPECT_FALSE(existsOnDisk(result));
    }
    // The parent is kept, and a trailing separator gives the default name.
    ScratchDirectory scratch;
    makeDirectories(scratch / "Long Directory Name");
    EXPECT_EQ(text(toDos8Dot3(scratch / "Long Directory Name/notes.text")),
              text(scratch / "Long Directory Name/NOTES.TEX"));

    Path withSeparator = scratch / "Long Directory Name";
    withSeparator.appendSeparator();
    EXPECT_EQ(text(toDos8Dot3(withSeparator)), text(scratch / "Long Directory Name/FILE"));
    writeFile(scratch / "Long Directory Name/FILE", "");
    EXPECT_EQ(text(toDos8Dot3(withSeparator)), text(scratch / "Long Directory Name/FILE__~1"));
}

} // namespace
} // namespace koril::filesystem::disktest
