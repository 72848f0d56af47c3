// The tour itself, meant to be read top to bottom: each chapter makes something in the scratch
// directory, calls the library on it and prints what came back.

#include "IsoTime.h"
#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Reapers.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace kfs {

using namespace koril::filesystem;

namespace {

std::string quote(Path const& path) {
    return "\"" + utf8(path) + "\"";
}

// Spells out what is not ASCII, so that two spellings of one name can be told apart.
std::string spelled(Path const& path) {
    std::string text;
    for (unsigned int c : path.string()) {
        char code[16];
        std::snprintf(code, sizeof code, "<U+%04X>", c);
        text += c < 128 ? std::string(1, static_cast<char>(c)) : std::string(code);
    }
    return text;
}

bool writeFile(Path const& path, std::string const& contents, char const* mode = "wb") {
    std::FILE* file = fopenWrapper(path, mode);
    if (file == nullptr) {
        return false;
    }
    bool const written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    return std::fclose(file) == 0 && written;
}

std::string joined(std::vector<std::string> words) {
    std::sort(words.begin(), words.end());
    std::string text;
    for (std::string const& word : words) {
        text += (text.empty() ? "" : ", ") + word;
    }
    return text;
}

// The names in a directory with their types, sorted.
std::string listing(Path const& directory) {
    std::vector<std::string> entries;
    for (DirectoryIterator it(directory), end; *it != *end; ++it) {
        entries.push_back(utf8(it->getPath().filename()) + " (" +
                          typeName(it->getStatus().getType()) + ")");
    }
    return joined(entries);
}

void pathsAreText(Tour& tour) {
    tour.chapter("A Path is text, normalised once and compared without regard to case");
    Path const p("C:/Users/Guest/report.tar.gz");
    tour.call("Path p(\"C:/Users/Guest/report.tar.gz\")", quote(p),
              "\"C:\\Users\\Guest\\report.tar.gz\"");
    tour.say("Taking it apart reads the text alone; the disk is never asked.");
    tour.call("p.parentPath()", quote(p.parentPath()), "\"C:\\Users\\Guest\"");
    tour.call("p.filename(), p.stem(), p.extension()",
              quote(p.filename()) + ", " + quote(p.stem()) + ", " + quote(p.extension()),
              "\"report.tar.gz\", \"report.tar\", \".gz\"");
    std::string elements;
    for (Path const& element : p) {
        elements += " " + quote(element);
    }
    tour.call("for (Path const& element : p)", elements,
              " \"C:\" \"\\\" \"Users\" \"Guest\" \"report.tar.gz\"");
    tour.call("p == Path(\"c:\\users\\GUEST\\Report.TAR.GZ\")",
              p == Path("c:\\users\\GUEST\\Report.TAR.GZ"), true);
    tour.say("Composition does not count either: \u00e9 as one code point equals e + U+0301.");
    tour.call("Path(\"caf<U+00E9>\") == Path(\"cafe<U+0301>\")",
              Path("caf\u00e9") == Path("cafe\u0301"), true);
    tour.say("The platform receives absolute paths with the long-path prefix.");
    tour.call("p.nativeString()", "\"" + utf8(p.nativeString()) + "\"",
              "\"\\\\?\\C:\\Users\\Guest\\report.tar.gz\"");
}

void textAlgorithms(Tour& tour) {
    tour.chapter("Algorithms on text: patterns, safe names, display forms");
    tour.call("matchesGlobPattern(\"notes.txt\", \"*.txt\")",
              matchesGlobPattern(Path("notes.txt"), String("*.txt")), true);
    tour.say("Patterns, unlike path comparison, tell letter case apart.");
    tour.call("matchesGlobPattern(\"NOTES.TXT\", \"*.txt\")",
              matchesGlobPattern(Path("NOTES.TXT"), String("*.txt")), false);
    tour.call("sanitize(\"report: draft?.txt\")", quote(sanitize(Path("report: draft?.txt"))),
              "\"report_ draft_.txt\"");
    Path const deep("C:\\Users\\guest\\Documents\\Projects\\2024\\report.docx");
    tour.call("generateElidedPath(" + quote(deep) + ", 30, \"...\")",
              "\"" + utf8(generateElidedPath(deep, 30, String("..."))) + "\"",
              "\"C:\\Users\\...\\2024\\report.docx\"");
}

void makingThings(Tour& tour) {
    tour.chapter("Creating directories and files, and asking about them");
    Path const data = tour.at("Donn\u00e9es");
    Path const deep = data / Path("Sub\\Deep");
    tour.call("createDirectory(" + tour.show(data) + ")", createDirectory(data), true);
    tour.say("createDirectory makes one level; createDirectories makes the missing parents too.");
    tour.call("createDirectory(" + tour.show(deep) + ")", createDirectory(deep), false);
    tour.call("createDirectories(" + tour.show(deep) + ")", createDirectories(deep), true);
    Path const readMe = data / Path("ReadMe.txt");
    tour.call("fopenWrapper(" + tour.show(readMe) + ", \"wb\"), then fwrite and fclose",
              writeFile(readMe, "Read me first.\n"), true);
    bool const more = writeFile(data / Path("Cafe\u0301.txt"), "decomposed name\n") &&
                      writeFile(data / Path("setup.exe"), "MZ") &&
                      writeFile(deep / Path("notes.txt"), "deep notes\n");
    tour.call("the same for Cafe\u0301.txt, setup.exe and Sub\\Deep\\notes.txt", more, true);
    tour.call("exists(" + tour.show(readMe) + "), isDirectory(...)",
              boolText(exists(readMe)) + ", " + boolText(isDirectory(readMe)), "true, false");
    tour.call("fileSize(" + tour.show(readMe) + ")", std::to_string(fileSize(readMe)), "15");
    tour.say("A status is a type and the owner's permissions; .exe files are executable.");
    FileStatus const text = status(readMe);
    FileStatus const program = status(data / Path("setup.exe"));
    tour.call("status(ReadMe.txt), status(setup.exe)",
              typeName(text.getType()) + " " + permissionsText(text.getPermissions()) + ", " +
                  typeName(program.getType()) + " " + permissionsText(program.getPermissions()),
              "file 0600, file 0700");
    tour.say("A DirectoryIterator lists one directory in the platform's order; sorted here.");
    tour.call("DirectoryIterator(" + tour.show(data) + ")", listing(data),
              "Cafe\u0301.txt (file), ReadMe.txt (file), Sub (directory), setup.exe (file)");
}

void namesOnDisk(Tour& tour) {
    tour.chapter("Names as the disk stores them");
    Path const data = tour.at("Donn\u00e9es");
    tour.say("findSimilarName walks the directories and takes each name as stored.");
    Path const asked = tour.at("DONN\u00c9ES\\readme.TXT");
    tour.call("findSimilarName(" + tour.show(asked) + ", true)",
              tour.show(findSimilarName(asked, true)), tour.show(data / Path("ReadMe.txt")));
    Path const composed = data / Path("Caf\u00e9.txt");
    tour.call("findSimilarName(" + spelled(composed.filename()) + ", true).filename()",
              spelled(findSimilarName(composed, true).filename()), "Cafe<U+0301>.txt");
    tour.say("toDos8Dot3 makes an 8.3 name that names nothing yet.");
    tour.call("toDos8Dot3(" + tour.show(data / Path("verylongfilename.html")) + ")",
              tour.show(toDos8Dot3(data / Path("verylongfilename.html"))),
              tour.show(data / Path("VERYLO~1.HTM")));
}

void timesAndPermissions(Tour& tour) {
    tour.chapter("Modification times and permissions");
    Path const readMe = tour.at("Donn\u00e9es\\ReadMe.txt");
    TimePoint const when = *parseIsoTime("2020-01-15T12:00:00.1234567Z");
    tour.say("Times are 100-nanosecond ticks since 1970, kept exactly.");
    tour.call("setModificationTime(ReadMe.txt, 2020-01-15T12:00:00.1234567Z)",
              setModificationTime(readMe, when), true);
    tour.call("getModificationTime(ReadMe.txt)", formatIsoTime(getModificationTime(readMe)),
              "2020-01-15T12:00:00.1234567Z");
    tour.say("Only the owner's write permission can change; a read-only file is never removed.");
    tour.call("setPermissions(ReadMe.txt, OwnerRead)", setPermissions(readMe, OwnerRead), true);
    tour.call("status(ReadMe.txt).getPermissions()",
              permissionsText(status(readMe).getPermissions()), "0400");
    tour.call("remove(ReadMe.txt)", remove(readMe), false);
    tour.call("setPermissions(ReadMe.txt, OwnerRead | OwnerWrite)",
              setPermissions(readMe, OwnerRead | OwnerWrite), true);
}

void copyingAndMoving(Tour& tour) {
    tour.chapter("Copying, comparing and moving; nothing is ever overwritten");
    Path const data = tour.at("Donn\u00e9es");
    Path const copied = tour.at("Copy");
    tour.call("copy(" + tour.show(data) + ", " + tour.show(copied) + ")", copy(data, copied), true);
    tour.call("compareDirectories(Donn\u00e9es, Copy)", compareDirectories(data, copied), true);
    tour.call("copy(Donn\u00e9es\\ReadMe.txt, Copy\\ReadMe.txt)",
              copy(data / Path("ReadMe.txt"), copied / Path("ReadMe.txt")), false);
    Path const notes = copied / Path("Sub\\Deep\\notes.txt");
    writeFile(notes, "one more line\n", "ab");
    tour.say("After a line is added to Copy\\Sub\\Deep\\notes.txt:");
    tour.call("compareFiles(Donn\u00e9es\\Sub\\Deep\\notes.txt, Copy\\Sub\\Deep\\notes.txt)",
              compareFiles(data / Path("Sub\\Deep\\notes.txt"), notes), false);
    tour.call("compareDirectories(Donn\u00e9es, Copy)", compareDirectories(data, copied), false);
    Path const moved = tour.at("Moved");
    tour.call("rename(" + tour.show(copied) + ", " + tour.show(moved) + ")", rename(copied, moved),
              true);
    tour.call("move(Moved\\setup.exe, " + tour.show(tour.at("setup.exe")) + ")",
              move(moved / Path("setup.exe"), tour.at("setup.exe")), true);
}

void walking(Tour& tour) {
    tour.chapter("Walking a directory with callbacks, and removing by pattern");
    Path const moved = tour.at("Moved");
    int children = 0;
    bool const all = forEach(moved, [&children](Path const&) { return ++children > 0; });
    tour.call("forEach(Moved, count the children)",
              boolText(all) + ", " + std::to_string(children) + " children", "true, 3 children");
    std::vector<std::string> names;
    forEachMatching(moved, String("*.txt"), [&names](Path const& child) {
        names.push_back(utf8(child.filename()));
        return true;
    });
    tour.call("forEachMatching(Moved, \"*.txt\", collect the names)", joined(names),
              "Cafe\u0301.txt, ReadMe.txt");
    tour.call("removeMatching(Moved, \"*.txt\")", removeMatching(moved, String("*.txt")), true);
    tour.say("remove takes empty directories only; removeAll takes a whole tree.");
    tour.call("removeMatching(Moved, \"Sub\")", removeMatching(moved, String("Sub")), false);
    tour.call("removeAllMatching(Moved, \"S*\")", removeAllMatching(moved, String("S*")), true);
    tour.call("DirectoryIterator(Moved)", "[" + listing(moved) + "]", "[]");
}

void locks(Tour& tour) {
    tour.chapter("Locks: a file in use is refused by the lock-checked openings");
    Path const readMe = tour.at("Donn\u00e9es\\ReadMe.txt");
    FileLock lock;
    tour.call("lock.lockFile(ReadMe.txt)", lock.lockFile(readMe), true);
    tour.call("FileLock::isFileLocked(ReadMe.txt)", FileLock::isFileLocked(readMe), true);
    std::FILE* file = fopenWrapperWithLockCheck(readMe, "rb");
    tour.call("fopenWrapperWithLockCheck(ReadMe.txt, \"rb\")",
              std::string(file != nullptr ? "a FILE*" : "nullptr"), "nullptr");
    if (file != nullptr) {
        std::fclose(file);
    }
    lock.unlockFile();
    tour.call("lock.unlockFile(); FileLock::isFileLocked(ReadMe.txt)",
              FileLock::isFileLocked(readMe), false);
    Path const missing = tour.at("missing.txt");
    tour.call("lock.lockFile(" + tour.show(missing) + "), exists(...)",
              boolText(lock.lockFile(missing)) + ", " + boolText(exists(missing)), "false, false");
}

void links(Tour& tour) {
    tour.chapter("Symbolic links");
    Path const target = tour.at("Donn\u00e9es\\Sub");
    Path const link = tour.at("SubLink");
    try {
        createSymbolicLink(target, link);
    } catch (std::logic_error const& error) {
        tour.skip("this chapter", std::string("the platform refused: ") + error.what());
        return;
    }
    // Some platforms (Wine 8) report success and make nothing.
    if (symbolicLinkStatus(link).getType() != SymbolicLinkFile) {
        tour.skip("this chapter", "the platform reported a link but made none");
        return;
    }
    tour.say("createSymbolicLink(Donn\u00e9es\\Sub, SubLink) made a link.");
    tour.call("symbolicLinkStatus(SubLink).getType(), status(SubLink).getType()",
              typeName(symbolicLinkStatus(link).getType()) + ", " +
                  typeName(status(link).getType()),
              "symlink, directory");
    tour.say("removeAll never follows a link: the link goes, what it names stays.");
    tour.call("removeAll(SubLink)", removeAll(link), true);
    tour.call("exists(Donn\u00e9es\\Sub\\Deep\\notes.txt)",
              exists(target / Path("Deep\\notes.txt")), true);
}

void scratchStorage(Tour& tour) {
    tour.chapter("Scratch storage that cleans up after itself");
    tour.say("<tour> itself is a TemporaryDirectory: it is the current temporary directory.");
    tour.call("canonical(getTemporaryDirectory())", tour.show(canonical(getTemporaryDirectory())),
              "\"<tour>\"");
    Path const reaped = tour.at("Donn\u00e9es");
    { DirectoryReaper reaper(reaped); }
    tour.call("{ DirectoryReaper reaper(" + tour.show(reaped) + "); } exists(...)", exists(reaped),
              false);
}

} // namespace

void tourChapters(Tour& tour) {
    pathsAreText(tour);
    textAlgorithms(tour);
    makingThings(tour);
    namesOnDisk(tour);
    timesAndPermissions(tour);
    copyingAndMoving(tour);
    walking(tour);
    locks(tour);
    links(tour);
    scratchStorage(tour);
}

} // namespace kfs
