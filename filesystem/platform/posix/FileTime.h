#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_FILETIME_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_FILETIME_H

// POSIX times as FILETIME values: 100-ns ticks since 1601-01-01 00:00:00 UTC.

#include <cstdint>
#include <ctime>

namespace koril::filesystem::platform::posix {

constexpr std::int64_t ticksPerSecond = 10000000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t secondsFrom1601To1970 = 11644473600;

// The FILETIME of a POSIX time, to 100 ns (the nanoseconds below are dropped). A time before
// 1601, which no FILETIME holds, becomes 0.
inline std::uint64_t toFileTime(std::timespec const& time) {
    std::int64_t const seconds = static_cast<std::int64_t>(time.tv_sec) + secondsFrom1601To1970;
    if (seconds < 0)
        return 0;
    return static_cast<std::uint64_t>(seconds) * ticksPerSecond +
           static_cast<std::uint64_t>(time.tv_nsec / 100);
}

// The POSIX time of a FILETIME; `fileTime` must be below 2^63.
inline std::timespec toTimespec(std::uint64_t fileTime) {
    std::timespec time{};
    time.tv_sec = static_cast<std::time_t>(static_cast<std::int64_t>(fileTime / ticksPerSecond) -
                                           secondsFrom1601To1970);
    time.tv_nsec = static_cast<long>(fileTime % ticksPerSecond) * 100;
    return time;
}

} // namespace koril::filesystem::platform::posix

#endif
