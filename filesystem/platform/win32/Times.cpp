// Last-write times. The calendar conversion goes through the local time zone in both
// directions; the sub-second part travels beside it as a count of 100-ns ticks, so it never
// meets the calendar functions.

#include "platform/win32/Handles.h"

#include <ctime>

namespace koril::filesystem::platform {

namespace {

constexpr long long ticksPerSecond = 10000000;
// FILETIME ticks from 1601-01-01 to 1970-01-01, both UTC.
constexpr long long fileTimeOfUnixEpoch = 116444736000000000LL;

long long ticksOf(FILETIME const& time) {
    return static_cast<long long>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                  time.dwLowDateTime);
}

FILETIME fileTimeOf(long long ticks) {
    auto const bits = static_cast<std::uint64_t>(ticks);
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(bits & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(bits >> 32);
    return time;
}

// The daylight-saving flag in force at an instant, so that the calendar functions read a local
// time of the hour that repeats at the end of daylight saving as the right one of the two; -1
// (let the runtime decide) when the instant has no local time.
int daylightSavingFlagAt(FILETIME const& instant) {
    __time64_t const seconds = (ticksOf(instant) - fileTimeOfUnixEpoch) / ticksPerSecond;
    std::tm local{};
    if (win32::systemCalls._localtime64_s(&local, &seconds) != 0)
        return -1;
    return local.tm_isdst;
}

} // namespace

bool lastWriteTime(Location location, long long& ticks) {
    win32::FileHandle const file = win32::openForQuery(win32::nativeOf(location), GENERIC_READ);
    if (!file)
        return false;
    FILETIME written;
    if (win32::systemCalls.GetFileTime(file.get(), nullptr, nullptr, &written) != 1)
        return false;
    SYSTEMTIME utc;
    if (win32::systemCalls.FileTimeToSystemTime(&written, &utc) != 1)
        return false;
    SYSTEMTIME wholeSecond = utc;
    wholeSecond.wMilliseconds = 0;
    FILETIME wholeSecondTime;
    if (win32::systemCalls.SystemTimeToFileTime(&wholeSecond, &wholeSecondTime) != 1)
        return false;
    long long const fraction = ticksOf(written) - ticksOf(wholeSecondTime);
    SYSTEMTIME local;
    if (win32::systemCalls.SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) != 1)
        return false;

    std::tm calendar{};
    __time64_t const now = win32::systemCalls._time64(nullptr);
    if (win32::systemCalls._localtime64_s(&calendar, &now) != 0)
        calendar = std::tm{};
    calendar.tm_year = local.wYear - 1900;
    calendar.tm_mon = local.wMonth - 1;
    calendar.tm_mday = local.wDay;
    calendar.tm_hour = local.wHour;
    calendar.tm_min = local.wMinute;
    calendar.tm_sec = local.wSecond;
    calendar.tm_isdst = daylightSavingFlagAt(wholeSecondTime);
    // -1 for a time the calendar functions cannot represent.
    __time64_t const seconds = win32::systemCalls._mktime64(&calendar);
    ticks = seconds * ticksPerSecond + fraction;
    return true;
}

bool setLastWriteTime(Location location, long long ticks) {
    win32::FileHandle const file =
        win32::openForQuery(win32::nativeOf(location), GENERIC_READ | FILE_WRITE_ATTRIBUTES);
    if (!file)
        return false;
    // The calendar functions have no local time before 1970.
    if (ticks < 0)
        return false;
    __time64_t const seconds = ticks / ticksPerSecond;
    std::tm calendar{};
    if (win32::systemCalls._localtime64_s(&calendar, &seconds) != 0)
        return false;
    SYSTEMTIME local;
    local.wYear = static_cast<WORD>(calendar.tm_year + 1900);
    local.wMonth = static_cast<WORD>(calendar.tm_mon + 1);
    local.wDayOfWeek = static_cast<WORD>(calendar.tm_wday);
    local.wDay = static_cast<WORD>(calendar.tm_mday);
    local.wHour = static_cast<WORD>(calendar.tm_hour);
    local.wMinute = static_cast<WORD>(calendar.tm_min);
    local.wSecond = static_cast<WORD>(calendar.tm_sec);
    local.wMilliseconds = 0;
    SYSTEMTIME utc;
    FILETIME written;
    if (win32::systemCalls.TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) != 1 ||
        win32::systemCalls.SystemTimeToFileTime(&utc, &written) != 1)
        return false;
    written = fileTimeOf(ticksOf(written) + (ticks - seconds * ticksPerSecond));
    return win32::systemCalls.SetFileTime(file.get(), nullptr, nullptr, &written) == 1;
}

} // namespace koril::filesystem::platform
