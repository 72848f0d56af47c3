// Tour: copying a tree, comparing it (equal, then after a change), moving and renaming.

#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/Operations.h>

namespace kfs {

using namespace koril::filesystem;

void tourCopyAndMove(Tour& tour) {
    tour.section("Copy, compare, move");
    Path const original = tour.at("Donn\u00e9es");
    Path const copied = tour.at("Copy");
    tour.expect("copy(" + tour.show(original) + ", " + tour.show(copied) + ")",
                copy(original, copied), true, "a directory is copied as a whole tree");
    tour.expect("compareDirectories(" + tour.show(original) + ", " + tour.show(copied) + ")",
                compareDirectories(original, copied), true,
                "same names, kinds and contents at every level");
    tour.expect("copy(" + tour.show(original / Path("ReadMe.TXT")) + ", " +
                    tour.show(copied / Path("ReadMe.TXT")) + ")",
                copy(original / Path("ReadMe.TXT"), copied / Path("ReadMe.TXT")), false,
                "copy never overwrites an existing file");
    tour.expect("copyFile(" + tour.show(original / Path("setup.exe")) + ", " +
                    tour.show(copied / Path("ReadMe.TXT")) + ", false)",
                copyFile(original / Path("setup.exe"), copied / Path("ReadMe.TXT"), false) &&
                    readTextFile(copied / Path("ReadMe.TXT")) == "setup.exe",
                true, "with failIfExists false an existing file is replaced, as asked");
    tour.expect("copyFile(" + tour.show(original / Path("ReadMe.TXT")) + ", " +
                    tour.show(copied / Path("ReadMe.TXT")) + ", false)",
                copyFile(original / Path("ReadMe.TXT"), copied / Path("ReadMe.TXT"), false), true,
                "and back, so that the trees are equal again");
    Path const deepCopy = copied / Path("Sub\\Deep\\notes.txt");
    tour.expect("appending \"!\" to " + tour.show(deepCopy), writeTextFile(deepCopy, "!", "ab"),
                true, "one byte changes three levels down");
    tour.expect("compareDirectories(" + tour.show(original) + ", " + tour.show(copied) + ")",
                compareDirectories(original, copied), false,
                "the walk goes down in sorted order and stops at the first difference");
    tour.expect("compareFiles(<original>\\Sub\\Deep\\notes.txt, <copy>\\Sub\\Deep\\notes.txt)",
                compareFiles(original / Path("Sub\\Deep\\notes.txt"), deepCopy), false,
                "sizes differ, so the contents are not even read");
    tour.expect("compareFiles(" + tour.show(original / Path("setup.exe")) + ", " +
                    tour.show(copied / Path("setup.exe")) + ")",
                compareFiles(original / Path("setup.exe"), copied / Path("setup.exe")), true,
                "equal sizes and equal bytes");
    Path const flat = tour.at("Flat");
    tour.expect("copyDirectory(" + tour.show(original) + ", " + tour.show(flat) + ", false)",
                copyDirectory(original, flat, false), true,
                "without recursion the files are copied and subdirectories made empty");
    tour.expect("exists(<Flat>\\Sub), exists(<Flat>\\Sub\\Deep)",
                boolText(exists(flat / Path("Sub"))) + ", " +
                    boolText(exists(flat / Path("Sub\\Deep"))),
                "true, false", "Sub was recreated, but nothing inside it");
    Path const moved = tour.at("Moved");
    tour.expect("move(" + tour.show(copied) + ", " + tour.show(moved) + ")", move(copied, moved),
                true, "on one volume a move is a rename");
    tour.expect("exists(" + tour.show(copied) + "), exists(" +
                    tour.show(moved / Path("ReadMe.TXT")) + ")",
                boolText(exists(copied)) + ", " + boolText(exists(moved / Path("ReadMe.TXT"))),
                "false, true", "the tree is under its new name");
    tour.expect("rename(" + tour.show(moved) + ", " + tour.show(flat) + ")", rename(moved, flat),
                false, "rename never replaces an existing destination");
}

} // namespace kfs
