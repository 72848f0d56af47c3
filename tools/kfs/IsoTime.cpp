#include "IsoTime.h"

#include <cstdio>
#include <limits>
#include <utility>

namespace kfs {

namespace {

constexpr long long ticksPerSecond = 10000000;
constexpr long long secondsPerDay = 86400;

// The range of a time point as whole seconds (rounded down) and the ticks after them.
constexpr long long maxTicks = std::numeric_limits<long long>::max();
constexpr long long minTicks = std::numeric_limits<long long>::min();
constexpr std::pair<long long, long long> latest{maxTicks / ticksPerSecond,
                                                 maxTicks % ticksPerSecond};
constexpr std::pair<long long, long long> earliest{minTicks / ticksPerSecond - 1,
                                                   minTicks % ticksPerSecond + ticksPerSecond};

// The division that rounds towards negative infinity, with a remainder in [0, divisor).
std::pair<long long, long long> floorDivide(long long value, long long divisor) {
    long long quotient = value / divisor;
    long long remainder = value % divisor;
    if (remainder < 0) {
        remainder += divisor;
        --quotient;
    }
    return {quotient, remainder};
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar. The calendar repeats
// every 400 years (146097 days); counting years from March puts the leap day at the end.
long long daysFromCivil(long long year, long long month, long long day) {
    year -= month <= 2;
    auto const [era, yearOfEra] = floorDivide(year, 400);
    long long const dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long long const dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
    long long year;
    long long month;
    long long day;
};

CivilDate civilFromDays(long long days) {
    auto const [era, dayOfEra] = floorDivide(days + 719468, 146097);
    long long const yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long const dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long const monthIndex = (5 * dayOfYear + 2) / 153;
    long long const day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    long long const month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    return {era * 400 + yearOfEra + (month <= 2), month, day};
}

long long daysInMonth(long long year, long long month) {
    static long long const lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool const leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : lengths[month - 1];
}

// Reads exactly `count` digits at `pos`, moving `pos` past them.
bool readDigits(std::string const& text, std::size_t& pos, std::size_t count, long long& value) {
    if (pos + count > text.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        char const c = text[pos + i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

// Reads `wanted`, or its lower-case form for a letter.
bool readChar(std::string const& text, std::size_t& pos, char wanted) {
    if (pos < text.size() && (text[pos] == wanted || text[pos] == (wanted | 0x20))) {
        ++pos;
        return true;
    }
    return false;
}

// Four digits, or a sign and six digits for the years that four cannot hold.
bool readYear(std::string const& text, std::size_t& pos, long long& year) {
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        bool const negative = text[pos++] == '-';
        if (!readDigits(text, pos, 6, year) || (negative && year == 0)) {
            return false;
        }
        year = negative ? -year : year;
        return true;
    }
    return readDigits(text, pos, 4, year);
}

// "+HH:MM" or "-HH:MM" as seconds to subtract from the local time to reach UTC.
bool readOffset(std::string const& text, std::size_t& pos, long long& offsetSeconds) {
    if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) {
        return false;
    }
    bool const negative = text[pos++] == '-';
    long long hours = 0, minutes = 0;
    if (!readDigits(text, pos, 2, hours) || !readChar(text, pos, ':') ||
        !readDigits(text, pos, 2, minutes) || hours > 23 || minutes > 59) {
        return false;
    }
    offsetSeconds = (hours * 3600 + minutes * 60) * (negative ? -1 : 1);
    return true;
}

// ".F" with 1 to 7 digits, as ticks.
bool readFraction(std::string const& text, std::size_t& pos, long long& fraction) {
    std::size_t digits = 0;
    long long digit = 0;
    while (digits < 7 && readDigits(text, pos, 1, digit)) {
        fraction = fraction * 10 + digit;
        ++digits;
    }
    for (std::size_t scale = digits; scale < 7; ++scale) {
        fraction *= 10;
    }
    return digits > 0;
}

} // namespace

std::optional<TimePoint> parseIsoTime(std::string const& text) {
    std::size_t pos = 0;
    long long year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, fraction = 0;
    long long offsetSeconds = 0;
    if (!readYear(text, pos, year) || !readChar(text, pos, '-') ||
        !readDigits(text, pos, 2, month) || !readChar(text, pos, '-') ||
        !readDigits(text, pos, 2, day)) {
        return std::nullopt;
    }
    if (pos < text.size()) {
        if (!readChar(text, pos, 'T') || !readDigits(text, pos, 2, hour) ||
            !readChar(text, pos, ':') || !readDigits(text, pos, 2, minute)) {
            return std::nullopt;
        }
        if (readChar(text, pos, ':') && !readDigits(text, pos, 2, second)) {
            return std::nullopt;
        }
        if (readChar(text, pos, '.') && !readFraction(text, pos, fraction)) {
            return std::nullopt;
        }
        if (!readChar(text, pos, 'Z') && !readOffset(text, pos, offsetSeconds)) {
            return std::nullopt;
        }
        if (pos != text.size()) {
            return std::nullopt;
        }
    }
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59) {
        return std::nullopt;
    }
    long long const seconds = daysFromCivil(year, month, day) * secondsPerDay + hour * 3600 +
                              minute * 60 + second - offsetSeconds;
    std::pair<long long, long long> const moment{seconds, fraction};
    if (moment < earliest || latest < moment) {
        return std::nullopt;
    }
    // Built from the side of zero, so that no intermediate value leaves the range.
    long long const ticks = seconds >= 0
                                ? seconds * ticksPerSecond + fraction
                                : (seconds + 1) * ticksPerSecond - (ticksPerSecond - fraction);
    return TimePoint(koril::filesystem::Ticks(ticks));
}

std::string formatIsoTime(TimePoint time) {
    auto const [seconds, fraction] = floorDivide(time.time_since_epoch().count(), ticksPerSecond);
    auto const [days, secondOfDay] = floorDivide(seconds, secondsPerDay);
    CivilDate const date = civilFromDays(days);
    // Sized for any long long in every field, which the compiler cannot rule out.
    char year[32];
    if (date.year >= 0 && date.year <= 9999) {
        std::snprintf(year, sizeof year, "%04lld", date.year);
    } else {
        std::snprintf(year, sizeof year, "%c%06lld", date.year < 0 ? '-' : '+',
                      date.year < 0 ? -date.year : date.year);
    }
    char text[192];
    std::snprintf(text, sizeof text, "%s-%02lld-%02lldT%02lld:%02lld:%02lld.%07lldZ", year,
                  date.month, date.day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60,
                  fraction);
    return text;
}

TimePoint currentTime() {
    return std::chrono::floor<koril::filesystem::Ticks>(std::chrono::system_clock::now());
}

} // namespace kfs
