// Tour: temporary directories (unique names, the sweep of stale ones, nesting) and reapers.

#include "IsoTime.h"
#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Reapers.h>
#include <koril/filesystem/TemporaryDirectory.h>

#include <chrono>
#include <regex>

namespace kfs {

using namespace koril::filesystem;

namespace {

void uniqueNames(Tour& tour) {
    Path const system = getOSTemporaryDirectory();
    tour.check("getOSTemporaryDirectory()", tour.show(system), isDirectory(system),
               "the platform's temporary directory, where the tour's own guard was made",
               "an existing directory");
    Path const unique = TemporaryDirectory::makeUniqueTemporaryDirectory(tour.base(), "job");
    std::string const name = utf8(unique.filename());
    tour.check("TemporaryDirectory::makeUniqueTemporaryDirectory(<tour>, \"job\")",
               tour.show(unique) + ", exists: " + boolText(exists(unique)),
               std::regex_match(name, std::regex("job[0-9]{1,10}")) && !exists(unique) &&
                   unique.parentPath() == tour.base(),
               "the prefix and a random 32-bit number, a name that is free; nothing is created",
               "<tour>\\job<digits> that does not exist");
}

// Makes a directory whose modification time lies `age` in the past.
bool makeAgedDirectory(Path const& path, Ticks age) {
    return createDirectory(path) && setModificationTime(path, currentTime() - age);
}

void sweepAndNesting(Tour& tour) {
    Ticks const hour = std::chrono::hours(1);
    bool const made = makeAgedDirectory(tour.at("inner-old"), 2 * hour) &&
                      makeAgedDirectory(tour.at("other-old"), 2 * hour) &&
                      makeAgedDirectory(tour.at("inner-fresh"), Ticks(0));
    tour.expect("making <tour>\\inner-old and <tour>\\other-old two hours old, and "
                "<tour>\\inner-fresh now",
                made, true, "stale leftovers of earlier runs, and one that is still in use");
    Path innerPath;
    {
        TemporaryDirectory inner(String("inner-"), hour);
        innerPath = inner.get();
        tour.expect("TemporaryDirectory inner(\"inner-\", 1 h); exists: inner-old, "
                    "other-old, inner-fresh",
                    boolText(exists(tour.at("inner-old"))) + ", " +
                        boolText(exists(tour.at("other-old"))) + ", " +
                        boolText(exists(tour.at("inner-fresh"))),
                    "false, true, true",
                    "the sweep removes only entries with its prefix older than the maximum age");
        tour.check("inner.get()", tour.show(canonical(innerPath)),
                   canonical(innerPath.parentPath()) == tour.base() && isDirectory(innerPath),
                   "the new directory lies inside the temporary directory that was current",
                   "a new directory <tour>\\inner-<digits>");
        tour.expect("getTemporaryDirectory() == inner.get()", getTemporaryDirectory() == innerPath,
                    true, "the innermost live guard is the current temporary directory");
    }
    tour.expect("exists(inner directory) after ~TemporaryDirectory()", exists(innerPath), false,
                "the guard removed its own directory");
    tour.expect("canonical(getTemporaryDirectory()) == <tour>",
                canonical(getTemporaryDirectory()) == tour.base(), true,
                "the tour's own guard is current again");
}

void reapers(Tour& tour) {
    Path const reaped = tour.at("reaped");
    bool const made = createDirectories(reaped / Path("a")) &&
                      writeTextFile(reaped / Path("a\\b.txt"), "reap me\n");
    { DirectoryReaper reaper(reaped); }
    tour.expect("{ DirectoryReaper reaper(" + tour.show(reaped) + "); } exists(...)",
                made && !exists(reaped), true,
                "at the end of its scope the reaper removes the whole tree");
    Path const kept = tour.at("kept.txt");
    bool const written = writeTextFile(kept, "keep me\n");
    bool cancelledEmpty = false;
    {
        PathReaper reaper(kept);
        reaper.cancel();
        cancelledEmpty = reaper.get().empty();
    }
    tour.expect("{ PathReaper reaper(" + tour.show(kept) + "); reaper.cancel(); } exists(...)",
                written && cancelledEmpty && exists(kept), true,
                "a cancelled reaper removes nothing and holds no path");
    Path const full = tour.at("Flat");
    { PathReaper reaper(full); }
    tour.expect("{ PathReaper reaper(" + tour.show(full) + "); } exists(...)", exists(full), true,
                "a path reaper removes files and empty directories only; Flat is not empty");
}

} // namespace

void tourScratchStorage(Tour& tour) {
    tour.section("Temporary directories and reapers");
    uniqueNames(tour);
    sweepAndNesting(tour);
    reapers(tour);
}

} // namespace kfs
