// Reading and writing the last-write time, in 100-ns ticks since 1970-01-01 UTC.

#include "PathLocation.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

TimePoint getModificationTime(Path const& p) {
    long long ticks = 0;
    if (!platform::lastWriteTime(detail::PathLocation(p), ticks))
        return TimePoint{};
    return TimePoint(Ticks(ticks));
}

bool setModificationTime(Path const& p, TimePoint const& time) {
    return platform::setLastWriteTime(detail::PathLocation(p), time.time_since_epoch().count());
}

} // namespace koril::filesystem
