// Tour: what a path is as text. Nothing here reaches the disk.

#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/Operations.h>

#include <algorithm>
#include <regex>
#include <vector>

namespace kfs {

using namespace koril::filesystem;

namespace {

std::string text(Path const& path) {
    return "\"" + utf8(path) + "\"";
}

void construction(Tour& tour) {
    tour.expect("Path(\"C:/Users/Guest/Documents/report.tar.gz\")",
                text(Path("C:/Users/Guest/Documents/report.tar.gz")),
                "\"C:\\Users\\Guest\\Documents\\report.tar.gz\"",
                "'/' is stored as the native '\\' once, when the path is built");
    tour.expect("Path(\"\\\\?\\C:\\x\")", text(Path("\\\\?\\C:\\x")), "\"C:\\x\"",
                "one long-path prefix is dropped from the text; the native form adds it back");
    Path const p("C:\\Users\\Guest\\Documents\\report.tar.gz");
    tour.expect("p = " + text(p) +
                    "; p.rootName(), p.rootDirectory(), p.parentPath(), p.filename(), "
                    "p.stem(), p.extension()",
                text(p.rootName()) + ", " + text(p.rootDirectory()) + ", " + text(p.parentPath()) +
                    ", " + text(p.filename()) + ", " + text(p.stem()) + ", " + text(p.extension()),
                "\"C:\", \"\\\", \"C:\\Users\\Guest\\Documents\", \"report.tar.gz\", "
                "\"report.tar\", \".gz\"",
                "decomposition works on the text alone; the extension starts at the last dot");
    tour.expect("Path(\"\\dir\").isComplete(), .isAbsolute()",
                boolText(Path("\\dir").isComplete()) + ", " + boolText(Path("\\dir").isAbsolute()),
                "true, false",
                "a root directory makes a path complete; only a root name makes it absolute");
    tour.expect("Path(\"C:dir\").isComplete(), .isAbsolute()",
                boolText(Path("C:dir").isComplete()) + ", " + boolText(Path("C:dir").isAbsolute()),
                "false, true", "a drive without a root directory is absolute but not complete");
    tour.expect("elements of \"C:\\dir\\file\"", elementList(Path("C:\\dir\\file")),
                "[C:, \\, dir, file]", "root name, root directory, then each name");
    tour.expect("elements of \"a\\b\\\"", elementList(Path("a\\b\\")), "[a, b, .]",
                "a trailing separator shows as a final \".\"");
}

void nativeForms(Tour& tour) {
    tour.expect("Path(\"C:\\dir\\file\").nativeString()",
                "\"" + utf8(Path("C:\\dir\\file").nativeString()) + "\"",
                "\"\\\\?\\C:\\dir\\file\"",
                "absolute paths reach the platform with the long-path prefix");
    tour.expect("Path(\"\\\\server\\share\\x\").nativeString()",
                "\"" + utf8(Path("\\\\server\\share\\x").nativeString()) + "\"",
                "\"\\\\?\\UNC\\server\\share\\x\"", "a UNC path gets the UNC form of the prefix");
    tour.expect("Path(\"dir\\..\\file\").nativeString()",
                "\"" + utf8(Path("dir\\..\\file").nativeString()) + "\"", "\"dir\\..\\file\"",
                "relative paths go to the platform as they are; dots are left to it");
}

void comparison(Tour& tour) {
    tour.expect("Path(\"C:\\Dir\\File\") == Path(\"c:\\dir\\file\")",
                Path("C:\\Dir\\File") == Path("c:\\dir\\file"), true,
                "paths compare without regard to letter case");
    tour.expect("Path(\"caf\u00e9\" precomposed) == Path(\"cafe\u0301\" decomposed)",
                Path("caf\u00e9") == Path("cafe\u0301"), true,
                "both sides are brought to NFD first, so U+00E9 equals e + U+0301");
    tour.expect("Path(\"\u03a9\") == Path(\"\u03c9\")", Path("\u03a9") == Path("\u03c9"), true,
                "beyond ASCII, letters fold with the Unicode simple case folding");
    tour.expect("Path(\"stra\u00dfe\") == Path(\"strasse\")",
                Path("stra\u00dfe") == Path("strasse"), false,
                "simple folding maps one character to one, so \u00df never equals ss");
    std::vector<Path> names = {Path("By"), Path("a"), Path("bx")};
    std::sort(names.begin(), names.end());
    tour.expect("sort [By, a, bx] with operator<",
                "[" + utf8(names[0]) + ", " + utf8(names[1]) + ", " + utf8(names[2]) + "]",
                "[a, bx, By]", "the order agrees with the case-blind equality");
}

void algorithms(Tour& tour) {
    tour.expect("sanitize(\"C:\\My Files\\report (2).txt\")",
                text(sanitize(Path("C:\\My Files\\report (2).txt"))),
                "\"C_\\My Files\\report (2).txt\"",
                "the colon is outside the safe set; spaces and parentheses are inside");
    tour.expect("sanitize(\"\u00fcber+men\u00fc?.txt\")",
                text(sanitize(Path("\u00fcber+men\u00fc?.txt"))), "\"_ber_men__.txt\"",
                "each unsafe character becomes one '_', so the length stays");
    tour.expect("complete(\"dir\\file\", \"C:\\base\")",
                text(complete(Path("dir\\file"), Path("C:\\base"))), "\"C:\\base\\dir\\file\"",
                "a relative path is joined to a complete base");
    tour.expect("complete(\"\\dir\\file\", \"C:\\base\")",
                text(complete(Path("\\dir\\file"), Path("C:\\base"))), "\"C:\\dir\\file\"",
                "a path with a root directory takes only the base's drive");
    tour.expect("complete(\"D:dir\", \"C:\\base\")",
                text(complete(Path("D:dir"), Path("C:\\base"))), "\"D:dir\"",
                "a path with a root name stays as it is");
    tour.expect("generateElidedPath(\"C:\\Users\\guest\\Documents\\Projects\\2024\\report.docx\", "
                "30, \"...\")",
                "\"" +
                    utf8(generateElidedPath(
                        Path("C:\\Users\\guest\\Documents\\Projects\\2024\\report.docx"), 30,
                        String("..."))) +
                    "\"",
                "\"C:\\Users\\...\\2024\\report.docx\"",
                "middle elements give way, taken alternately from the end and the front");
    tour.expect("generateElidedPath(same, 20, \"...\")",
                "\"" +
                    utf8(generateElidedPath(
                        Path("C:\\Users\\guest\\Documents\\Projects\\2024\\report.docx"), 20,
                        String("..."))) +
                    "\"",
                "\"C:\\...\\report.docx\"", "the first and the last element always stay");
}

void globs(Tour& tour) {
    tour.expect("matchesGlobPattern(\"notes.txt\", \"*.txt\")",
                matchesGlobPattern(Path("notes.txt"), String("*.txt")), true,
                "'*' is any run of characters");
    tour.expect("matchesGlobPattern(\"notes_txt\", \"*.txt\")",
                matchesGlobPattern(Path("notes_txt"), String("*.txt")), true,
                "only '*' and '?' are rewritten; '.' keeps its regular-expression meaning");
    tour.expect("matchesGlobPattern(\"NOTES.TXT\", \"*.txt\")",
                matchesGlobPattern(Path("NOTES.TXT"), String("*.txt")), false,
                "patterns are case-sensitive, unlike path comparison");
    tour.expect("matchesGlobPattern(\"data1.bin\", \"data?.bin\")",
                matchesGlobPattern(Path("data1.bin"), String("data?.bin")), true,
                "'?' is exactly one character");
    std::string thrown = "no exception";
    try {
        matchesGlobPattern(Path("x"), String("(log"));
    } catch (std::regex_error const&) {
        thrown = "std::regex_error";
    }
    tour.expect("matchesGlobPattern(\"x\", \"(log\")", thrown, "std::regex_error",
                "a pattern that does not compile is the caller's error and says so");
}

} // namespace

void tourPathText(Tour& tour) {
    tour.section("Paths as text: construction, decomposition, native form");
    construction(tour);
    nativeForms(tour);
    tour.section("Comparison without regard to case or composition");
    comparison(tour);
    tour.section("Text algorithms: sanitising, completing, eliding, glob patterns");
    algorithms(tour);
    globs(tour);
}

} // namespace kfs
