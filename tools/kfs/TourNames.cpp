// Tour: names and the disk. 8.3 short names numbered against what exists, and spelling
// corrected from what the directories store.

#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/Operations.h>

namespace kfs {

using namespace koril::filesystem;

namespace {

Path treeDirectory(Tour& tour) {
    return tour.at("Donn\u00e9es");
}

void shortNames(Tour& tour) {
    Path const dir = treeDirectory(tour);
    Path const longName = dir / Path("verylongfilename.html");
    Path const first = toDos8Dot3(longName);
    tour.expect("toDos8Dot3(" + tour.show(longName) + ")", tour.show(first),
                tour.show(dir / Path("VERYLO~1.HTM")),
                "a base longer than eight characters keeps six and gets the tail ~1");
    tour.expect("writing " + tour.show(first), writeTextFile(first, ""), true,
                "now that name is taken");
    tour.expect("toDos8Dot3(" + tour.show(longName) + ")", tour.show(toDos8Dot3(longName)),
                tour.show(dir / Path("VERYLO~2.HTM")),
                "the counter goes up while the candidate exists");
    Path const readMe = dir / Path("ReadMe.TXT");
    bool const caseBlind = exists(dir / Path("README.TXT"));
    tour.note(std::string("exists(") + tour.show(dir / Path("README.TXT")) +
              ") = " + boolText(caseBlind) +
              (caseBlind ? ": this platform ignores letter case in names"
                         : ": this platform tells letter case apart in names"));
    tour.expect("toDos8Dot3(" + tour.show(readMe) + ")", tour.show(toDos8Dot3(readMe)),
                tour.show(dir / Path(caseBlind ? "README~1.TXT" : "README.TXT")),
                caseBlind ? "README.TXT already names ReadMe.TXT here, so the tail ~1 is added"
                          : "README.TXT names nothing here, so no tail is needed");
    tour.expect("toDos8Dot3(" + tour.show(dir / Path("my file.tar.gz")) + ")",
                tour.show(toDos8Dot3(dir / Path("my file.tar.gz"))),
                tour.show(dir / Path("MYFILE~1.GZ")),
                "spaces and all but the last dot are dropped; the extension keeps three");
    tour.expect("toDos8Dot3(" + tour.show(dir / Path("\u00dcn\u00efcode.doc")) + ")",
                tour.show(toDos8Dot3(dir / Path("\u00dcn\u00efcode.doc"))),
                tour.show(dir / Path("NCODE.DOC")),
                "characters outside the 8.3 repertoire are dropped, not replaced");
}

// Asks for `asked`, which the disk stores as `stored`; `difference` names what differs.
void correctSpelling(Tour& tour, Path const& asked, Path const& stored,
                     std::string const& difference) {
    bool const seen = exists(asked);
    tour.note("exists(" + tour.show(asked) + ") = " + boolText(seen) +
              (seen ? ": the platform finds names without regard to " + difference
                    : ": the platform tells names apart by " + difference));
    Path const walked = findSimilarName(asked, false);
    if (seen) {
        tour.check("findSimilarName(" + tour.show(asked) + ", false)", tour.show(walked),
                   walked.string() == asked.string(),
                   "a path that exists comes back as given; only the walk from the root "
                   "corrects it",
                   tour.show(asked));
    } else {
        tour.check("findSimilarName(" + tour.show(asked) + ", false)",
                   tour.show(walked) + " [" + codePoints(walked.filename().string()) + "]",
                   walked.string() == stored.string(),
                   "the walk starts at the deepest existing ancestor and takes each stored "
                   "spelling",
                   tour.show(stored) + " [" + codePoints(stored.filename().string()) + "]");
    }
    Path const fromRoot = findSimilarName(asked, true);
    tour.check("findSimilarName(" + tour.show(asked) + ", true)",
               tour.show(fromRoot) + " [" + codePoints(fromRoot.filename().string()) + "]",
               fromRoot == stored && fromRoot.filename().string() == stored.filename().string(),
               "every element from the root down is looked up and spelled as stored",
               tour.show(stored) + " [" + codePoints(stored.filename().string()) + "]");
}

void nameCorrection(Tour& tour) {
    Path const dir = treeDirectory(tour);
    correctSpelling(tour, dir / Path("Caf\u00e9.txt"), dir / Path("Cafe\u0301.txt"),
                    "Unicode composition");
    correctSpelling(tour, tour.at("DONN\u00c9ES\\readme.txt"), dir / Path("ReadMe.TXT"),
                    "letter case");
    Path missing = dir / Path("nothing\\here.txt");
    Path const before = missing;
    bool const corrected = correctFileCaseAndComposition(missing, false);
    tour.check("correctFileCaseAndComposition(" + tour.show(before) + ", false)",
               boolText(corrected) + ", path now " + tour.show(missing),
               !corrected && missing.string() == before.string(),
               "no directory entry matches \"nothing\", so the path is left as it was",
               "false, path unchanged");
}

} // namespace

void tourNames(Tour& tour) {
    tour.section("8.3 short names and their counter");
    shortNames(tour);
    tour.section("Name correction from the disk");
    nameCorrection(tour);
}

} // namespace kfs
