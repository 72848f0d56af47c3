// Tour: traversal with callbacks, by glob pattern, and removal by pattern.

#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/Operations.h>

#include <algorithm>
#include <regex>
#include <vector>

namespace kfs {

using namespace koril::filesystem;

void tourPatterns(Tour& tour) {
    tour.section("Glob traversal and pattern removal");
    Path const dir = tour.at("Moved");
    std::vector<std::string> seen;
    auto const collect = [&seen](Path const& child) {
        seen.push_back(utf8(child.filename()));
        return true;
    };
    bool const all = forEach(dir, collect);
    tour.expect("forEach(" + tour.show(dir) + ", callback)",
                boolText(all) + ", " + std::to_string(seen.size()) + " children",
                "true, 9 children",
                "every child once, the subdirectory's own entries not included");
    seen.clear();
    bool const matching = forEachMatching(dir, String("data?.bin"), collect);
    std::sort(seen.begin(), seen.end());
    std::string names;
    for (std::string const& name : seen) {
        names += (names.empty() ? "" : ", ") + name;
    }
    tour.expect("forEachMatching(" + tour.show(dir) + ", \"data?.bin\", callback)",
                boolText(matching) + ", [" + names + "]", "true, [data1.bin, data2.bin]",
                "the pattern is tested against each child's file name");
    int calls = 0;
    bool const stopped = forEach(dir, [&calls](Path const&) { return ++calls < 2; });
    tour.expect("forEach(" + tour.show(dir) + ", stop at the second child)",
                boolText(stopped) + ", " + std::to_string(calls) + " calls", "false, 2 calls",
                "a callback that returns false ends the walk at once");
    tour.expect("removeMatching(" + tour.show(dir) + ", \"*.bin\")",
                removeMatching(dir, String("*.bin")), true, "every matching file is removed");
    tour.expect("exists(<Moved>\\data1.bin), exists(<Moved>\\ReadMe.TXT)",
                boolText(exists(dir / Path("data1.bin"))) + ", " +
                    boolText(exists(dir / Path("ReadMe.TXT"))),
                "false, true", "children that do not match stay");
    tour.expect("removeMatching(" + tour.show(dir) + ", \"Sub\")",
                removeMatching(dir, String("Sub")), false,
                "remove takes only empty directories, and Sub is not empty");
    tour.expect("removeAllMatching(" + tour.show(dir) + ", \"S*\")",
                removeAllMatching(dir, String("S*")), true,
                "removeAll takes a matching directory with everything in it");
    tour.expect("exists(<Moved>\\Sub\\Deep\\notes.txt)", exists(dir / Path("Sub\\Deep\\notes.txt")),
                false, "the whole subtree is gone");
    std::string thrown = "no exception";
    try {
        forEachMatching(dir, String("(log"), collect);
    } catch (std::regex_error const&) {
        thrown = "std::regex_error";
    }
    tour.expect("forEachMatching(" + tour.show(dir) + ", \"(log\", callback)", thrown,
                "std::regex_error", "a pattern that does not compile reaches the caller");
}

} // namespace kfs
