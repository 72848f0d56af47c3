// Reading and writing the last-write time. The calendar conversion goes through the local time
// zone in both directions; the sub-second part travels beside it as a count of 100-ns ticks, so
// it never meets the calendar functions.

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

#include <cstdint>
#include <ctime>

namespace koril::filesystem {

namespace {

constexpr long long ticksPerSecond = 10000000;
// FILETIME ticks from 1601-01-01 to 1970-01-01, both UTC.
constexpr long long fileTimeOfUnixEpoch = 116444736000000000LL;

// Closes a handle on every way out of a time operation.
class HandleCloser {
public:
    explicit HandleCloser(platform::Handle handle) : handle_(handle) {}
    HandleCloser(HandleCloser const&) = delete;
    HandleCloser& operator=(HandleCloser const&) = delete;
    ~HandleCloser() { platform::closeHandle(handle_); }

private:
    platform::Handle handle_;
};

// Opens `p` for its times, letting other readers in; a directory needs backup semantics.
platform::Handle openForTimes(Path const& p, bool forWriting) {
    std::wstring const native = p.nativeString();
    std::uint32_t const flags = platform::pathIsDirectory(native) ? platform::flagBackupSemantics
                                                                  : platform::attributeNormal;
    std::uint32_t const access =
        forWriting ? platform::genericRead | platform::fileWriteAttributes : platform::genericRead;
    return platform::createFile(native, access, platform::shareRead, platform::openExisting, flags);
}

// The daylight-saving flag in force at the instant `fileTime`, so that the calendar functions
// read a local time of the hour that repeats at the end of daylight saving as the right one of
// the two; -1 (let the runtime decide) when the instant has no local time.
int daylightSavingFlagAt(std::uint64_t fileTime) {
    long long const seconds =
        (static_cast<long long>(fileTime) - fileTimeOfUnixEpoch) / ticksPerSecond;
    std::tm local{};
    if (!platform::localtime64(seconds, local))
        return -1;
    return local.tm_isdst;
}

} // namespace

TimePoint getModificationTime(Path const& p) {
    TimePoint const failed{};
    platform::Handle const handle = openForTimes(p, false);
    if (handle == platform::invalidHandle)
        return failed;
    HandleCloser const closer(handle);

    std::uint64_t lastWrite = 0;
    platform::SystemTime utc;
    if (!platform::getFileTime(handle, lastWrite) ||
        !platform::fileTimeToSystemTime(lastWrite, utc))
        return failed;
    platform::SystemTime wholeSecond = utc;
    wholeSecond.milliseconds = 0;
    std::uint64_t wholeSecondFileTime = 0;
    if (!platform::systemTimeToFileTime(wholeSecond, wholeSecondFileTime))
        return failed;
    long long const fraction = static_cast<long long>(lastWrite - wholeSecondFileTime);
    platform::SystemTime local;
    if (!platform::systemTimeToTzSpecificLocalTime(utc, local))
        return failed;

    std::tm calendar{};
    if (!platform::localtime64(platform::time64(), calendar))
        calendar = std::tm{};
    calendar.tm_year = local.year - 1900;
    calendar.tm_mon = local.month - 1;
    calendar.tm_mday = local.day;
    calendar.tm_hour = local.hour;
    calendar.tm_min = local.minute;
    calendar.tm_sec = local.second;
    calendar.tm_isdst = daylightSavingFlagAt(wholeSecondFileTime);
    long long const seconds = platform::mktime64(calendar);
    return TimePoint(Ticks(seconds * ticksPerSecond + fraction));
}

bool setModificationTime(Path const& p, TimePoint const& time) {
    platform::Handle const handle = openForTimes(p, true);
    if (handle == platform::invalidHandle)
        return false;
    HandleCloser const closer(handle);

    long long const ticks = time.time_since_epoch().count();
    // The calendar functions have no local time before 1970.
    if (ticks < 0)
        return false;
    long long const seconds = ticks / ticksPerSecond;
    std::tm calendar{};
    if (!platform::localtime64(seconds, calendar))
        return false;
    // A year that SYSTEMTIME cannot hold has no FILETIME either.
    if (calendar.tm_year < 1601 - 1900 || calendar.tm_year > 30827 - 1900)
        return false;
    platform::SystemTime local;
    local.year = static_cast<std::uint16_t>(calendar.tm_year + 1900);
    local.month = static_cast<std::uint16_t>(calendar.tm_mon + 1);
    local.dayOfWeek = static_cast<std::uint16_t>(calendar.tm_wday);
    local.day = static_cast<std::uint16_t>(calendar.tm_mday);
    local.hour = static_cast<std::uint16_t>(calendar.tm_hour);
    local.minute = static_cast<std::uint16_t>(calendar.tm_min);
    local.second = static_cast<std::uint16_t>(calendar.tm_sec);
    local.milliseconds = 0;
    platform::SystemTime utc;
    std::uint64_t fileTime = 0;
    if (!platform::tzSpecificLocalTimeToSystemTime(local, utc) ||
        !platform::systemTimeToFileTime(utc, fileTime))
        return false;
    fileTime += static_cast<std::uint64_t>(ticks - seconds * ticksPerSecond);
    return platform::setFileTime(handle, fileTime);
}

} // namespace koril::filesystem
