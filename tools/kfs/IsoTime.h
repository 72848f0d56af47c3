#ifndef KORIL_TOOLS_KFS_ISOTIME_H
#define KORIL_TOOLS_KFS_ISOTIME_H

// ISO 8601 text for the library's 100-nanosecond time points, and the project's one conversion
// between such time points and the proleptic Gregorian calendar.

#include <koril/filesystem/Operations.h>

#include <optional>
#include <string>

namespace kfs {

using koril::filesystem::TimePoint;

// Reads "YYYY-MM-DD" (midnight UTC) or "YYYY-MM-DDTHH:MM[:SS[.F]]" followed by "Z" or an offset
// "+HH:MM" / "-HH:MM", where F has 1 to 7 digits. A year outside 0000-9999 is written with a
// sign and six digits ("+010000", "-000001"). Empty when the text is not such a time, names no
// real date, or lies outside the range of a time point.
std::optional<TimePoint> parseIsoTime(std::string const& text);
// "YYYY-MM-DDTHH:MM:SS.FFFFFFFZ": UTC, always seven fraction digits, so that a round trip keeps
// every tick. Years outside 0000-9999 take the signed six-digit form. Defined for every time
// point, the extremes included.
std::string formatIsoTime(TimePoint time);
// The current time, in whole ticks.
TimePoint currentTime();

} // namespace kfs

#endif
