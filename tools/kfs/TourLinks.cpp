// Tour: symbolic links, where the platform makes them.

#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/Operations.h>

#include <stdexcept>

namespace kfs {

using namespace koril::filesystem;

void tourLinks(Tour& tour) {
    tour.section("Symbolic links");
    Path const target = tour.at("Donn\u00e9es\\Sub");
    Path const link = tour.at("SubLink");
    std::string const call =
        "createSymbolicLink(" + tour.show(target) + ", " + tour.show(link) + ")";
    try {
        createSymbolicLink(target, link);
    } catch (std::logic_error const& error) {
        tour.skip(call, std::string("the platform refused: ") + error.what());
        return;
    }
    if (symbolicLinkStatus(link).getType() != SymbolicLinkFile) {
        tour.skip(call, "the platform reported success but made no link (it has no symbolic "
                        "links)");
        return;
    }
    tour.expect(call, true, true, "a link to a directory; it throws rather than return false");
    tour.expect("symbolicLinkStatus(" + tour.show(link) + ").getType()",
                typeName(symbolicLinkStatus(link).getType()), "symlink",
                "the link status describes the link itself");
    tour.expect("status(" + tour.show(link) + ").getType()", typeName(status(link).getType()),
                "directory", "status follows the link to what it names");
    tour.expect("canonical(" + tour.show(link) + ")", tour.show(canonical(link)), tour.show(target),
                "the canonical form resolves links");
    Path const second = tour.at("SubLink2");
    tour.expect("copySymbolicLink(" + tour.show(link) + ", " + tour.show(second) + ", true)",
                copySymbolicLink(link, second, true), true,
                "the copy points at the fully resolved target, not at the old link's text");
    tour.expect("canonical(" + tour.show(second) + ")", tour.show(canonical(second)),
                tour.show(target), "both links lead to the same directory");
    tour.expect("remove(" + tour.show(second) + ")", remove(second), true,
                "remove takes a link away like a file");
    tour.expect("removeAll(" + tour.show(link) + ")", removeAll(link), true,
                "removeAll never follows a link: the link goes, the tree it names stays");
    tour.expect("exists(" + tour.show(link) + "), exists(" +
                    tour.show(target / Path("Deep\\notes.txt")) + ")",
                boolText(exists(link)) + ", " + boolText(exists(target / Path("Deep\\notes.txt"))),
                "false, true", "the target's files are untouched");
}

} // namespace kfs
