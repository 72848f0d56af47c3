// kfs tour: the chapters run inside one scratch directory, which goes with everything in it.

#include "Tour.h"

#include "Commands.h"
#include "Output.h"

#include <koril/filesystem/Operations.h>
#include <koril/filesystem/TemporaryDirectory.h>
#include <koril/filesystem/Version.h>

#include <exception>

namespace kfs {

using namespace koril::filesystem;

std::string Tour::show(Path const& path) const {
    String const& text = path.string();
    String const& base = base_.string();
    if (!base.empty() && text.size() >= base.size() && Path(text.substr(0, base.size())) == base_) {
        return "\"<tour>" + utf8(text.substr(base.size())) + "\"";
    }
    return "\"" + utf8(text) + "\"";
}

void Tour::chapter(std::string const& title) {
    printLine("");
    printLine(std::to_string(++chapters_) + ". " + title);
}

void Tour::say(std::string const& text) {
    printLine("   " + text);
}

void Tour::call(std::string const& call, std::string const& returned, std::string const& said) {
    ++calls_;
    printLine("   " + call);
    printLine("      -> " + returned);
    if (returned != said) {
        ++different_;
        printLine("      !! the tour expected " + said);
    }
}

void Tour::skip(std::string const& what, std::string const& why) {
    ++skipped_;
    printLine("   (" + what + " skipped: " + why + ")");
}

int Tour::finish() const {
    printLine("");
    printLine("tour: " + std::to_string(calls_) + " calls, " + std::to_string(different_) +
              " not as described, " + std::to_string(skipped_) + " skipped");
    return different_ == 0 ? exitSuccess : exitFailure;
}

int runTour(Arguments& arguments) {
    arguments.operands(0, 0);
    printLine(std::string("A tour of koril::filesystem ") + KORIL_FILESYSTEM_VERSION_STRING +
              ": each call, and what it returned.");
    Tour tour;
    Path scratch;
    {
        // Tour directories that a crashed run left behind go first, if a day old.
        TemporaryDirectory guard(String("kfs-tour-"), std::chrono::hours(24));
        scratch = guard.get();
        // The disk's own spelling, so that paths read back from it look like the ones built.
        Path const stored = canonical(scratch);
        tour.setBase(stored.empty() ? scratch : stored);
        printLine("Working in " + utf8(stored.empty() ? scratch : stored) + ", shown as <tour>.");
        try {
            tourChapters(tour);
        } catch (std::exception const& error) {
            tour.call("(the rest of the tour)", std::string("exception: ") + error.what(),
                      "no exception");
        }
        tour.chapter("Leaving");
        tour.say("The TemporaryDirectory guard ends here and removes <tour> with all it holds.");
    }
    tour.call("exists(" + tour.show(scratch) + ")", exists(scratch), false);
    return tour.finish();
}

} // namespace kfs
