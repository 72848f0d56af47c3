// Tour: a small tree with non-ASCII, decomposed and mixed-case names; listing and statuses;
// permissions; the current directory.

#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <algorithm>
#include <vector>

namespace kfs {

using namespace koril::filesystem;

namespace {

// The tree every later section works on, below <tour>\Données (precomposed é).
char const* const treeDirectory = "Donn\u00e9es";
char const* const treeFiles[] = {
    "ReadMe.TXT",            // mixed case
    "Cafe\u0301.txt",        // decomposed: e followed by a combining acute accent
    "\u65e5\u672c\u8a9e.md", // outside the Latin script
    "\u00dcn\u00efcode.doc", // precomposed letters with diaeresis
    "setup.exe",             // an executable extension
    "data1.bin",
    "data2.bin",
};
char const* const readMeText = "Read me first.\n";

std::string statusText(FileStatus const& status) {
    return typeName(status.getType()) + " " + permissionsText(status.getPermissions());
}

void buildTree(Tour& tour) {
    Path const top = tour.at(treeDirectory);
    tour.expect("createDirectory(" + tour.show(top) + ")", createDirectory(top), true,
                "one directory whose parent exists; the name keeps its precomposed \u00e9");
    Path const deep = top / Path("Sub\\Deep");
    tour.expect("createDirectory(" + tour.show(deep) + ")", createDirectory(deep), false,
                "createDirectory makes one level only, and Sub does not exist yet");
    tour.expect("createDirectories(" + tour.show(deep) + ")", createDirectories(deep), true,
                "the missing parents are made from the top down");
    int written = 0;
    for (char const* name : treeFiles) {
        written += writeTextFile(top / Path(name), name == treeFiles[0] ? readMeText : name);
    }
    written += writeTextFile(deep / Path("notes.txt"), "deep notes\n");
    tour.expect("fopenWrapper(" + tour.show(top / Path("NAME")) + ", \"wb\") for 8 files",
                std::to_string(written) + " written", "8 written",
                "the files are opened through the native form of each name");
}

void listTree(Tour& tour) {
    Path const top = tour.at(treeDirectory);
    std::vector<String> listed;
    DirectoryEntry const end;
    tour.note("DirectoryIterator(" + tour.show(top) + "), in the platform's order:");
    for (DirectoryIterator it(top); *it != end; ++it) {
        String const name = it->getPath().filename().string();
        listed.push_back(name);
        std::string line = statusText(it->getStatus());
        line.resize(16, ' ');
        std::string const spelled = codePoints(name);
        tour.note("  " + line + utf8(name) + (spelled == utf8(name) ? "" : "  [" + spelled + "]"));
    }
    std::vector<String> wanted = {String("Sub")};
    for (char const* name : treeFiles) {
        wanted.emplace_back(name);
    }
    std::sort(listed.begin(), listed.end());
    std::sort(wanted.begin(), wanted.end());
    tour.expect("the names listed, each spelled exactly as created",
                std::to_string(listed.size()) + " names" +
                    (listed == wanted ? ", all spelled as created" : ", spelled differently"),
                "8 names, all spelled as created",
                "a listing gives the names as stored: the decomposed name stays decomposed");
}

void statuses(Tour& tour) {
    Path const top = tour.at(treeDirectory);
    Path const readMe = top / Path("ReadMe.TXT");
    Path const missing = top / Path("missing.txt");
    tour.expect("status(" + tour.show(readMe) + ")", statusText(status(readMe)), "file 0600",
                "a writable regular file: owner read and write");
    tour.expect("status(" + tour.show(top / Path("setup.exe")) + ")",
                statusText(status(top / Path("setup.exe"))), "file 0700",
                "an executable extension (.exe .bat .com .cmd) adds owner execute");
    tour.expect("status(" + tour.show(top / Path("Sub")) + ")",
                statusText(status(top / Path("Sub"))), "directory 0600",
                "directories never get the execute bit");
    tour.expect("status(" + tour.show(missing) + ")", statusText(status(missing)),
                "not found unknown", "a path that cannot be resolved is not found");
    tour.expect("symbolicLinkStatus(" + tour.show(missing) + ")",
                statusText(symbolicLinkStatus(missing)), "unknown unknown",
                "the link status does not resolve, so a missing path is merely unknown");
    tour.expect("fileSize(" + tour.show(readMe) + ")", std::to_string(fileSize(readMe)), "15",
                "the full 64-bit size of the file");
    tour.expect("fileSize(" + tour.show(missing) + ")", std::to_string(fileSize(missing)), "-1",
                "failures are folded into the result");
    tour.expect("setPermissions(" + tour.show(readMe) + ", OwnerRead)",
                setPermissions(readMe, OwnerRead), true,
                "without OwnerWrite the file becomes read-only");
    tour.expect("status(" + tour.show(readMe) + ")", statusText(status(readMe)), "file 0400",
                "the read-only attribute shows as a missing owner write bit");
    tour.expect("remove(" + tour.show(readMe) + ")", remove(readMe), false,
                "a read-only file is refused, never removed behind the owner's back");
    tour.expect("setPermissions(" + tour.show(readMe) + ", OwnerRead | OwnerWrite)",
                setPermissions(readMe, OwnerRead | OwnerWrite), true,
                "with OwnerWrite it is writable again");
    tour.expect("status(" + tour.show(readMe) + ")", statusText(status(readMe)), "file 0600",
                "back to read and write");
}

void currentDirectory(Tour& tour) {
    Path const top = tour.at(treeDirectory);
    Path const before = getCurrentDirectory();
    tour.expect("setCurrentDirectory(" + tour.show(top) + ")", setCurrentDirectory(top), true,
                "the process's current directory can be any existing directory");
    Path const now = getCurrentDirectory();
    tour.check("getCurrentDirectory()", tour.show(now), now == top, "the directory just set",
               tour.show(top));
    Path const completed = systemComplete(Path("Sub\\Deep"));
    tour.check("systemComplete(\"Sub\\Deep\")", tour.show(completed),
               completed == top / Path("Sub\\Deep"),
               "a relative path is completed against the current directory",
               tour.show(top / Path("Sub\\Deep")));
    tour.expect("exists(\"Sub\\Deep\\notes.txt\")", exists(Path("Sub\\Deep\\notes.txt")), true,
                "relative paths go to the platform as they are and resolve there");
    tour.expect("setCurrentDirectory(" + tour.show(top / Path("missing")) + ")",
                setCurrentDirectory(top / Path("missing")), false,
                "a missing directory is refused");
    tour.expect("setCurrentDirectory(the previous directory)", setCurrentDirectory(before), true,
                "the tour gives the current directory back before it removes its tree");
}

} // namespace

void tourTree(Tour& tour) {
    tour.section("A tree with non-ASCII, decomposed and mixed-case names");
    buildTree(tour);
    tour.section("Listing with statuses, and permissions");
    listTree(tour);
    statuses(tour);
    tour.section("The current directory");
    currentDirectory(tour);
}

} // namespace kfs
