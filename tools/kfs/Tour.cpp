// kfs tour: runs every section in one scratch directory and checks that it is gone afterwards.

#include "Tour.h"
#include "Commands.h"
#include "Output.h"

#include <koril/filesystem/Operations.h>
#include <koril/filesystem/TemporaryDirectory.h>
#include <koril/filesystem/Version.h>

#include <exception>

namespace kfs {

using namespace koril::filesystem;

namespace {

using Section = void (*)(Tour&);

struct NamedSection {
    char const* name;
    Section run;
};

NamedSection const sections[] = {
    {"path text", tourPathText},
    {"a tree of names", tourTree},
    {"a long path", tourLongPath},
    {"names on disk", tourNames},
    {"copy, compare and move", tourCopyAndMove},
    {"patterns", tourPatterns},
    {"symbolic links", tourLinks},
    {"locks", tourLocks},
    {"modification times", tourTimes},
    {"scratch storage", tourScratchStorage},
};

// Stale tour directories of crashed runs older than this are swept when the tour starts.
constexpr Ticks staleAfter = std::chrono::hours(24);

} // namespace

int runTour(Arguments& arguments) {
    arguments.operands(0, 0);
    Tour tour;
    printLine(std::string("kfs tour of koril::filesystem ") + KORIL_FILESYSTEM_VERSION_STRING +
              ": each step shows the call, its result, why, and whether it is the result "
              "stated.");
    Path scratch;
    {
        TemporaryDirectory guard(String("kfs-tour-"), staleAfter);
        scratch = guard.get();
        // Canonical, so that results that come back from the disk read like the paths built here.
        Path const base = canonical(scratch);
        tour.setBase(base.empty() ? scratch : base);
        printLine("scratch directory: " + utf8(tour.base()) + " (shown as <tour>)");
        tour.section("A scratch directory that cleans up after itself");
        tour.expect("TemporaryDirectory(\"kfs-tour-\", 24 h); isDirectory(" + tour.show(scratch) +
                        ")",
                    isDirectory(scratch), true,
                    "the guard swept tour directories older than a day, then made this one with "
                    "a random number after the prefix");
        tour.expect("getTemporaryDirectory() == guard.get()",
                    getTemporaryDirectory() == guard.get(), true,
                    "a live guard is the current temporary directory");
        for (NamedSection const& section : sections) {
            try {
                section.run(tour);
            } catch (std::exception const& error) {
                tour.broken(std::string("section ") + section.name, error.what());
            }
        }
    }
    tour.section("Leaving");
    tour.expect("exists(" + tour.show(scratch) + ") after ~TemporaryDirectory()", exists(scratch),
                false, "the guard's end removes the scratch tree with everything the tour made");
    return tour.summary();
}

} // namespace kfs
