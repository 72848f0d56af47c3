// Tour: a path longer than the classic 260-character limit, its native and canonical forms,
// the length checks, dot resolution and an elided display form.

#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/Operations.h>

namespace kfs {

using namespace koril::filesystem;

namespace {

std::string lengthOf(std::wstring const& native) {
    return std::to_string(native.size()) + " UTF-16 units";
}

// The start and the end of a long text, so that one line can show it.
std::string headAndTail(std::string const& text) {
    if (text.size() <= 70) {
        return text;
    }
    return text.substr(0, 34) + " ... " + text.substr(text.size() - 30);
}

// The directory the long path starts from. On POSIX a drive letter is mapped to the scratch
// directory, so that the path is absolute in drive form there too and shows the long-path prefix.
Path longPathRoot(Tour& tour) {
#if defined(_WIN32)
    return tour.base();
#else
    bool const mapped = setDriveMapping(String("T:"), tour.base());
    tour.expect("setDriveMapping(\"T:\", <tour>)", mapped, true,
                "on POSIX a drive root can stand for a directory, so drive paths work here too");
    return mapped ? Path("T:\\") : tour.base();
#endif
}

// Shows the classic limits, and whether this platform has them: POSIX knows no 260-unit limit,
// and a library there may report more.
bool hasClassicLimits(Tour& tour) {
    std::string const call = "getMaxNativeStringPathLength(), getMaxNativeStringDirectoryLength()";
    std::string const limits = std::to_string(getMaxNativeStringPathLength()) + ", " +
                               std::to_string(getMaxNativeStringDirectoryLength());
#if !defined(_WIN32)
    if (getMaxNativeStringPathLength() != 260) {
        tour.skip(call, "POSIX has no classic 260-unit limit; the limits here are " + limits +
                            ", so the refusals of the classic limits cannot be shown");
        return false;
    }
#endif
    return tour.expect(call, limits, "260, 235", "the classic limits are the default");
}

void forgetLongPathRoot() {
#if !defined(_WIN32)
    setDriveMapping(String("T:"), Path());
#endif
}

// The steps that need the platform's final path of the long path. Wine 8 cannot report a final
// path beyond 260 units; where the platform refuses even for a directory that exists, the steps
// say so instead of failing.
void finalPaths(Tour& tour, Path const& parent, Path const& deep, Path const& file) {
    std::string const calls[] = {"canonical(file)", "fileSize(file)",
                                 "resolveDots(deep\\..\\..\\x)"};
#if defined(_WIN32)
    if (canonical(deep).empty() && isDirectory(deep)) {
        for (std::string const& call : calls) {
            tour.skip(call, "this platform's final-path query refuses paths this long (Wine 8 "
                            "does): canonical(deep) is empty although deep is a directory");
        }
        return;
    }
#endif
    Path const stored = canonical(file);
    tour.check(calls[0], headAndTail(tour.show(stored)), stored.string() == file.string(),
               "the final path as the volume stores it, prefix removed, spelled as created",
               "the same text as the path itself");
    tour.expect(calls[1], std::to_string(fileSize(file)), "9",
                "status queries resolve the path first, beyond the classic limit too");
    Path const resolved = resolveDots(deep / Path("..\\..\\x"));
    Path const grandParent = parent.parentPath() / Path("x");
    tour.check(calls[2], headAndTail(tour.show(resolved)),
               resolved.string() == grandParent.string(),
               "each \"..\" leaves the real parent of what exists so far", tour.show(grandParent));
}

void elidedDisplay(Tour& tour, Path const& file) {
    String const ellipsis("\u2026");
    String const elided = generateElidedPath(file, 60, ellipsis);
    String const first = Path(*file.begin()).string();
    String const ending = String("\\") + file.filename().string();
    bool const shaped =
        elided.size() <= 60 && elided.find(first) == 0 && elided.find(ellipsis) != String::npos &&
        elided.size() >= ending.size() &&
        String(elided.end() - static_cast<long>(ending.size()), elided.end()) == ending;
    tour.check("generateElidedPath(file, 60, \"\u2026\")", "\"" + elided.toUTF8String() + "\"",
               shaped, "a display form: the first element and the file name stay, the middle goes",
               "at most 60 characters from " + first.toUTF8String() + " to " +
                   ending.toUTF8String() + " with an ellipsis");
}

} // namespace

void tourLongPath(Tour& tour) {
    tour.section("A path longer than 260 characters");
    Path const root = longPathRoot(tour);
    Path parent = root;
    for (char level = '1'; level <= '4'; ++level) {
        parent /= Path("long-path-level-" + std::string(1, level) + "-" + std::string(32, 'a'));
    }
    Path const deep = parent / Path("long-path-level-5-" + std::string(32, 'a'));
    Path const file = deep / Path("\u00dcn\u00efcode-report.txt");

    setUseLongPathNames(false);
    bool const classic = hasClassicLimits(tour);
    tour.note("deep = " + tour.show(deep) + ", native string " + lengthOf(deep.nativeString()));
    tour.expect("createDirectories(deep.parentPath())", createDirectories(parent), true,
                "createDirectories itself applies no length check");
    if (classic) {
        tour.expect("isValidDirectoryPathLength(deep)", isValidDirectoryPathLength(deep), false,
                    "the native string is longer than the 235 units left for a directory");
        tour.expect("createDirectory(deep)", createDirectory(deep), false,
                    "createDirectory refuses a directory that fails the length check");
    }
    setUseLongPathNames(true);
    tour.expect("setUseLongPathNames(true); getMaxNativeStringPathLength()",
                std::to_string(getMaxNativeStringPathLength()), "32767",
                "the switch selects the long-path limits");
    tour.expect("isValidDirectoryPathLength(deep)", isValidDirectoryPathLength(deep), true,
                "every element still fits the volume's component length");
    tour.expect("createDirectory(deep)", createDirectory(deep), true,
                "native strings always carry the long-path prefix, so the platform takes it");
    setUseLongPathNames(false);

    tour.expect("fopenWrapper(deep\\\u00dcn\u00efcode-report.txt, \"wb\")",
                writeTextFile(file, "far down\n"), true,
                "opening goes through the same prefixed native string");
    std::wstring const native = file.nativeString();
    String const nativeText(native);
    tour.check("file.nativeString()",
               "\"" + headAndTail(nativeText.toUTF8String()) + "\" (" + lengthOf(native) + ")",
               native.compare(0, 4, L"\\\\?\\") == 0 && native.size() > 260,
               "an absolute path is handed over with the \\\\?\\ prefix, beyond 260 units",
               "a native string starting with \\\\?\\ and longer than 260 units");
    tour.expect("exists(file)", exists(file), true, "existence is asked with the same string");
    if (classic) {
        tour.expect("isValidPathLength(file)", isValidPathLength(file), false,
                    "with the classic limits the file's path is too long to be reported valid");
    }
    finalPaths(tour, parent, deep, file);
    elidedDisplay(tour, file);
    forgetLongPathRoot();
}

} // namespace kfs
