// Tour: modification times set and read back to the 100 ns tick.

#include "IsoTime.h"
#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/Operations.h>

namespace kfs {

using namespace koril::filesystem;

namespace {

std::string timeText(TimePoint time) {
    return formatIsoTime(time) + " (" + std::to_string(time.time_since_epoch().count()) + " ticks)";
}

void roundTrip(Tour& tour, Path const& path, std::string const& iso, std::string const& why) {
    std::optional<TimePoint> const time = parseIsoTime(iso);
    if (!time) {
        tour.broken("parseIsoTime(\"" + iso + "\")", "not a time");
        return;
    }
    tour.expect("setModificationTime(" + tour.show(path) + ", " + iso + ")",
                setModificationTime(path, *time), true, why);
    tour.expect("getModificationTime(" + tour.show(path) + ")", timeText(getModificationTime(path)),
                timeText(*time),
                "read back exactly: the 100 ns remainder travels apart from the calendar");
}

} // namespace

void tourTimes(Tour& tour) {
    tour.section("Modification times, exact to 100 ns");
    Path const file = tour.at("Donn\u00e9es\\ReadMe.TXT");
    roundTrip(tour, file, "2020-01-15T12:00:00.1234567Z",
              "a winter time with a fraction of seven digits");
    roundTrip(tour, file, "2021-07-01T08:30:00.0000001Z",
              "a summer time: daylight saving must not shift it");
    roundTrip(tour, tour.at("Donn\u00e9es\\Sub"), "2019-03-31T01:59:59.9999999Z",
              "directories have modification times too");
    std::optional<TimePoint> const before1970 = parseIsoTime("1969-12-31T23:59:59Z");
    tour.expect("setModificationTime(" + tour.show(file) + ", 1969-12-31T23:59:59Z)",
                before1970 && setModificationTime(file, *before1970), false,
                "times before 1970 are refused rather than wrapped");
    tour.expect("getModificationTime(" + tour.show(tour.at("missing")) + ")",
                timeText(getModificationTime(tour.at("missing"))), timeText(TimePoint(Ticks(0))),
                "a failure reads as zero ticks");
}

} // namespace kfs
