#ifndef KORIL_TOOLS_KFS_ISOTIME_H
#define KORIL_TOOLS_KFS_ISOTIME_H

// ISO 8601 text for the library's 100-nanosecond time points.

#include <koril/filesystem/Operations.h>

#include <optional>
#include <string>

namespace kfs {

using koril::filesystem::TimePoint;

// Reads "YYYY-MM-DD" (midnight UTC) or "YYYY-MM-DDTHH:MM[:SS[.F]]" followed by "Z" or an offset
// "+HH:MM" / "-HH:MM", where F has 1 to 7 digits. Empty when the text is not such a time or
// names no real date.
std::optional<TimePoint> parseIsoTime(std::string const& text);
// "YYYY-MM-DDTHH:MM:SS.FFFFFFFZ": UTC, always seven fraction digits, so that a round trip keeps
// every tick.
std::string formatIsoTime(TimePoint time);
// The current time, in whole ticks.
TimePoint currentTime();

} // namespace kfs

#endif
