// 8.3 short names, numbered past the names that already exist.

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace kfs = koril::filesystem;
using koril::testing::existsOnDisk;
using koril::testing::ScratchDirectory;
using koril::testing::writeFile;

// Exact text: path equality would ignore the case that the rules produce.
std::string text(kfs::Path const& path) {
    return path.string().toUTF8String();
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
        {"Report.txt", {"REPORT.TXT", "REPORT~1.TXT"}, "REPORT~2.TXT"},
        {"ab.txt", {"AB.TXT"}, "AB____~1.TXT"},
        {"ABCDEFGH", {"ABCDEFGH"}, "ABCDEF~1"},
        {"verylongfilename.html", {}, "VERYLO~1.HTM"},
        {"verylongfilename.html", {"VERYLO~1.HTM"}, "VERYLO~2.HTM"},
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
        {"archive.2024.backup", {}, "ARCHIV~1.BAC"},
        {".bashrc", {}, "FILE.BAS"},
        {"readme.", {}, "README"},
        {"...", {}, "FILE"},
        {"a+b=c.txt", {}, "ABC.TXT"},
        {"file[1].txt", {}, "FILE1.TXT"},
        {u8"\u00dcn\u00efcode.doc", {}, "NCODE.DOC"},
        {"!#$&'()-@^_`{}~.x", {}, "!#$&'(~1.X"},
        {"x.e.", {}, "X.E"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.longName);
        ScratchDirectory scratch;
        for (std::string const& name : c.existing)
            writeFile(scratch / name, "");
        kfs::Path const result = kfs::toDos8Dot3(scratch / c.longName);
        EXPECT_EQ(text(result), text(scratch / c.expected));
        EXPECT_FALSE(existsOnDisk(result));
    }
}

TEST(ToDos8Dot3Test, ParentIsKeptAndATrailingSeparatorGivesTheDefaultName) {
    ScratchDirectory scratch;
    koril::testing::makeDirectories(scratch / "Long Directory Name");
    EXPECT_EQ(text(kfs::toDos8Dot3(scratch / "Long Directory Name/notes.text")),
              text(scratch / "Long Directory Name/NOTES.TEX"));

    kfs::Path withSeparator = scratch / "Long Directory Name";
    withSeparator.appendSeparator();
    EXPECT_EQ(text(kfs::toDos8Dot3(withSeparator)), text(scratch / "Long Directory Name/FILE"));
    writeFile(scratch / "Long Directory Name/FILE", "");
    EXPECT_EQ(text(kfs::toDos8Dot3(withSeparator)), text(scratch / "Long Directory Name/FILE__~1"));
}

} // namespace
