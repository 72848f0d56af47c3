#include "IsoTime.h"

#include <cstdio>

namespace kfs {

namespace {

constexpr long long ticksPerSecond = 10000000;
constexpr long long secondsPerDay = 86400;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
long long daysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    long long const era = (year >= 0 ? year : year - 399) / 400;
    unsigned const yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned const dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned const dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

struct CivilDate {
    long long year;
    unsigned month;
    unsigned day;
};

CivilDate civilFromDays(long long days) {
    days += 719468;
    long long const era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned const dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned const yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned const dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned const monthIndex = (5 * dayOfYear + 2) / 153;
    unsigned const day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    unsigned const month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    long long const yearOfMarch = static_cast<long long>(yearOfEra) + era * 400;
    return {yearOfMarch + (month <= 2), month, day};
}

unsigned daysInMonth(long long year, unsigned month) {
    static unsigned const lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
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

bool readChar(std::string const& text, std::size_t& pos, char wanted) {
    if (pos < text.size() && (text[pos] == wanted || text[pos] == (wanted | 0x20))) {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

std::optional<TimePoint> parseIsoTime(std::string const& text) {
    std::size_t pos = 0;
    long long year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, fraction = 0;
    if (!readDigits(text, pos, 4, year) || !readChar(text, pos, '-') ||
        !readDigits(text, pos, 2, month) || !readChar(text, pos, '-') ||
        !readDigits(text, pos, 2, day)) {
        return std::nullopt;
    }
    long long offsetSeconds = 0;
    if (pos < text.size()) {
        if (!readChar(text, pos, 'T') || !readDigits(text, pos, 2, hour) ||
            !readChar(text, pos, ':') || !readDigits(text, pos, 2, minute)) {
            return std::nullopt;
        }
        if (readChar(text, pos, ':') && !readDigits(text, pos, 2, second)) {
            return std::nullopt;
        }
        if (readChar(text, pos, '.')) {
            std::size_t digits = 0;
            long long digit = 0;
            while (digits < 7 && readDigits(text, pos, 1, digit)) {
                fraction = fraction * 10 + digit;
                ++digits;
            }
            if (digits == 0) {
                return std::nullopt;
            }
            for (; digits < 7; ++digits) {
                fraction *= 10;
            }
        }
        if (!readChar(text, pos, 'Z')) {
            bool const negative = pos < text.size() && text[pos] == '-';
            long long offsetHours = 0, offsetMinutes = 0;
            if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) {
                return std::nullopt;
            }
            ++pos;
            if (!readDigits(text, pos, 2, offsetHours) || !readChar(text, pos, ':') ||
                !readDigits(text, pos, 2, offsetMinutes) || offsetHours > 23 ||
                offsetMinutes > 59) {
                return std::nullopt;
            }
            offsetSeconds = (offsetHours * 3600 + offsetMinutes * 60) * (negative ? -1 : 1);
        }
        if (pos != text.size()) {
            return std::nullopt;
        }
    }
    if (month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, static_cast<unsigned>(month)) || hour > 23 || minute > 59 ||
        second > 59) {
        return std::nullopt;
    }
    long long const days =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    long long const seconds =
        days * secondsPerDay + hour * 3600 + minute * 60 + second - offsetSeconds;
    return TimePoint(koril::filesystem::Ticks(seconds * ticksPerSecond + fraction));
}

std::string formatIsoTime(TimePoint time) {
    long long const ticks = time.time_since_epoch().count();
    long long seconds = ticks / ticksPerSecond;
    long long fraction = ticks % ticksPerSecond;
    if (fraction < 0) {
        fraction += ticksPerSecond;
        --seconds;
    }
    long long days = seconds / secondsPerDay;
    long long secondOfDay = seconds % secondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += secondsPerDay;
        --days;
    }
    CivilDate const date = civilFromDays(days);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld.%07lldZ", date.year,
                  date.month, date.day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60,
                  fraction);
    return text;
}

TimePoint currentTime() {
    return std::chrono::floor<koril::filesystem::Ticks>(std::chrono::system_clock::now());
}

} // namespace kfs
