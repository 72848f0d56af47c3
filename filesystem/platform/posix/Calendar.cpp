// Calendar conversions and the runtime's time functions of the POSIX target. FILETIME and
// SYSTEMTIME arithmetic is the proleptic Gregorian calendar; local time follows the C
// library's time-zone rules (TZ).

#include "platform/Platform.h"

#include "platform/posix/FileTime.h"
#include "platform/posix/LastError.h"

#include <cerrno>
#include <cstdint>
#include <ctime>

namespace koril::filesystem::platform {

namespace {

constexpr std::int64_t secondsPerDay = 86400;
constexpr std::int64_t ticksPerDay = secondsPerDay * posix::ticksPerSecond;
// The range of SystemTimeToFileTime.
constexpr int firstYear = 1601;
constexpr int lastYear = 30827;
// _localtime64 and _mktime64 end at 3000-12-31 23:59:59 UTC.
constexpr long long lastRuntimeSecond = 32535215999;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    std::int64_t const era = (year >= 0 ? year : year - 399) / 400;
    auto const yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned const dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned const dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct CivilDate {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

CivilDate civilFromDays(std::int64_t days) {
    days += 719468;
    std::int64_t const era = (days >= 0 ? days : days - 146096) / 146097;
    auto const dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned const yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned const dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned const monthIndex = (5 * dayOfYear + 2) / 153;
    unsigned const day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    unsigned const month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool isLeapYear(unsigned year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(unsigned year, unsigned month) {
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

bool isValid(SystemTime const& time) {
    return time.year >= firstYear && time.year <= lastYear && time.month >= 1 && time.month <= 12 &&
           time.day >= 1 && time.day <= daysInMonth(time.year, time.month) && time.hour < 24 &&
           time.minute < 60 && time.second < 60 && time.milliseconds < 1000;
}

bool failInvalid() {
    posix::setLastError(posix::errorInvalidParameter);
    return false;
}

// Seconds since 1970 of a valid SYSTEMTIME, milliseconds dropped.
std::int64_t unixSeconds(SystemTime const& time) {
    return daysFromCivil(time.year, time.month, time.day) * secondsPerDay + time.hour * 3600 +
           time.minute * 60 + time.second;
}

// The SYSTEMTIME of seconds since 1970; false outside the years of SYSTEMTIME.
bool fromUnixSeconds(std::int64_t seconds, std::uint16_t milliseconds, SystemTime& time) {
    std::int64_t days = seconds / secondsPerDay;
    std::int64_t rest = seconds % secondsPerDay;
    if (rest < 0) {
        rest += secondsPerDay;
        --days;
    }
    CivilDate const date = civilFromDays(days);
    if (date.year < firstYear || date.year > lastYear)
        return false;
    time.year = static_cast<std::uint16_t>(date.year);
    time.month = static_cast<std::uint16_t>(date.month);
    time.day = static_cast<std::uint16_t>(date.day);
    time.dayOfWeek = static_cast<std::uint16_t>(((days % 7) + 11) % 7); // 1970-01-01: Thursday
    time.hour = static_cast<std::uint16_t>(rest / 3600);
    time.minute = static_cast<std::uint16_t>(rest / 60 % 60);
    time.second = static_cast<std::uint16_t>(rest % 60);
    time.milliseconds = milliseconds;
    return true;
}

SystemTime fromBrokenDown(std::tm const& local, std::uint16_t milliseconds) {
    SystemTime time;
    time.year = static_cast<std::uint16_t>(local.tm_year + 1900);
    time.month = static_cast<std::uint16_t>(local.tm_mon + 1);
    time.dayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
    time.day = static_cast<std::uint16_t>(local.tm_mday);
    time.hour = static_cast<std::uint16_t>(local.tm_hour);
    time.minute = static_cast<std::uint16_t>(local.tm_min);
    time.second = static_cast<std::uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
    time.milliseconds = milliseconds;
    return time;
}

} // namespace

bool fileTimeToSystemTime(std::uint64_t fileTime, SystemTime& utc) {
    if (fileTime > static_cast<std::uint64_t>(INT64_MAX))
        return failInvalid();
    auto const days = static_cast<std::int64_t>(fileTime / ticksPerDay);
    std::uint64_t const ticks = fileTime % ticksPerDay;
    CivilDate const date = civilFromDays(days + daysFromCivil(firstYear, 1, 1));
    utc.year = static_cast<std::uint16_t>(date.year);
    utc.month = static_cast<std::uint16_t>(date.month);
    utc.day = static_cast<std::uint16_t>(date.day);
    utc.dayOfWeek = static_cast<std::uint16_t>((days + 1) % 7); // 1601-01-01: Monday
    std::uint64_t const seconds = ticks / posix::ticksPerSecond;
    utc.hour = static_cast<std::uint16_t>(seconds / 3600);
    utc.minute = static_cast<std::uint16_t>(seconds / 60 % 60);
    utc.second = static_cast<std::uint16_t>(seconds % 60);
    utc.milliseconds = static_cast<std::uint16_t>(ticks % posix::ticksPerSecond / 10000);
    return true;
}

bool systemTimeToFileTime(SystemTime const& time, std::uint64_t& fileTime) {
    if (!isValid(time))
        return failInvalid();
    std::int64_t const seconds = unixSeconds(time) + posix::secondsFrom1601To1970;
    fileTime = static_cast<std::uint64_t>(seconds) * posix::ticksPerSecond +
               static_cast<std::uint64_t>(time.milliseconds) * 10000;
    return true;
}

bool systemTimeToTzSpecificLocalTime(SystemTime const& utc, SystemTime& local) {
    if (!isValid(utc))
        return failInvalid();
    ::tzset();
    auto const seconds = static_cast<std::time_t>(unixSeconds(utc));
    std::tm broken{};
    if (::localtime_r(&seconds, &broken) == nullptr)
        return failInvalid();
    SystemTime const result = fromBrokenDown(broken, utc.milliseconds);
    if (!isValid(result))
        return failInvalid();
    local = result;
    return true;
}

bool tzSpecificLocalTimeToSystemTime(SystemTime const& local, SystemTime& utc) {
    if (!isValid(local))
        return failInvalid();
    std::tm broken{};
    broken.tm_year = local.year - 1900;
    broken.tm_mon = local.month - 1;
    broken.tm_mday = local.day;
    broken.tm_hour = local.hour;
    broken.tm_min = local.minute;
    broken.tm_sec = local.second;
    broken.tm_isdst = -1;
    broken.tm_wday = -1; // stays so only when mktime fails
    std::time_t const seconds = std::mktime(&broken);
    if (broken.tm_wday < 0)
        return failInvalid();
    SystemTime result;
    if (!fromUnixSeconds(static_cast<std::int64_t>(seconds), local.milliseconds, result))
        return failInvalid();
    utc = result;
    return true;
}

long long time64() {
    return static_cast<long long>(std::time(nullptr));
}

bool localtime64(long long seconds, std::tm& local) {
    if (seconds < 0 || seconds > lastRuntimeSecond) {
        errno = EINVAL;
        return false;
    }
    ::tzset();
    auto const time = static_cast<std::time_t>(seconds);
    return ::localtime_r(&time, &local) != nullptr;
}

long long mktime64(std::tm& local) {
    std::tm normalised = local;
    normalised.tm_wday = -1;
    std::time_t const seconds = std::mktime(&normalised);
    if (normalised.tm_wday < 0)
        return -1;
    local = normalised;
    if (seconds < 0 || seconds > lastRuntimeSecond)
        return -1;
    return static_cast<long long>(seconds);
}

} // namespace koril::filesystem::platform
