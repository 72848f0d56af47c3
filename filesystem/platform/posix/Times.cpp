// Last-write times: the kernel keeps them in UTC, so no calendar and no time zone is involved.

#include "platform/posix/Handles.h"

namespace koril::filesystem::platform {

using namespace posix;

namespace {

constexpr long long ticksPerSecond = 10000000;
constexpr long long nanosecondsPerTick = 100;
// 3000-12-31 23:59:59 UTC, the last second that the runtime's calendar functions represent.
constexpr long long lastSecond = 32535215999;

} // namespace

bool lastWriteTime(Location location, long long& ticks) {
    struct stat info;
    if (!statAt(location, info, 0))
        return false;
    long long seconds = info.st_mtim.tv_sec;
    if (seconds < 0 || seconds > lastSecond)
        seconds = -1;
    ticks = seconds * ticksPerSecond + info.st_mtim.tv_nsec / nanosecondsPerTick;
    return true;
}

bool setLastWriteTime(Location location, long long ticks) {
    if (ticks < 0 || ticks / ticksPerSecond > lastSecond)
        return false;
    struct timespec times[2] = {{0, UTIME_OMIT}, {}};
    times[1].tv_sec = static_cast<time_t>(ticks / ticksPerSecond);
    times[1].tv_nsec = static_cast<long>(ticks % ticksPerSecond * nanosecondsPerTick);
    return systemCalls.utimensat(directoryOf(location), location.name.c_str(), times, 0) == 0;
}

} // namespace koril::filesystem::platform
