// File times, calendar conversions and the runtime's time functions on the Win32 target.

#include "platform/Platform.h"

#include <windows.h>

#include <time.h>

namespace koril::filesystem::platform {

namespace {

FILETIME toFileTime(std::uint64_t ticks) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

std::uint64_t fromFileTime(FILETIME const& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

SYSTEMTIME toSystemTime(SystemTime const& time) {
    SYSTEMTIME result;
    result.wYear = time.year;
    result.wMonth = time.month;
    result.wDayOfWeek = time.dayOfWeek;
    result.wDay = time.day;
    result.wHour = time.hour;
    result.wMinute = time.minute;
    result.wSecond = time.second;
    result.wMilliseconds = time.milliseconds;
    return result;
}

SystemTime fromSystemTime(SYSTEMTIME const& time) {
    SystemTime result;
    result.year = time.wYear;
    result.month = time.wMonth;
    result.dayOfWeek = time.wDayOfWeek;
    result.day = time.wDay;
    result.hour = time.wHour;
    result.minute = time.wMinute;
    result.second = time.wSecond;
    result.milliseconds = time.wMilliseconds;
    return result;
}

// One of the two conversions between UTC and local time, in the current time zone.
template <class Conversion>
bool convertInCurrentZone(Conversion conversion, SystemTime const& from, SystemTime& to) {
    SYSTEMTIME const input = toSystemTime(from);
    SYSTEMTIME result;
    if (conversion(nullptr, &input, &result) != 1)
        return false;
    to = fromSystemTime(result);
    return true;
}

} // namespace

bool getFileTime(Handle handle, std::uint64_t& lastWriteTime) {
    FILETIME written;
    if (GetFileTime(handle, nullptr, nullptr, &written) != 1)
        return false;
    lastWriteTime = fromFileTime(written);
    return true;
}

bool setFileTime(Handle handle, std::uint64_t lastWriteTime) {
    FILETIME const written = toFileTime(lastWriteTime);
    return SetFileTime(handle, nullptr, nullptr, &written) == 1;
}

bool fileTimeToSystemTime(std::uint64_t fileTime, SystemTime& utc) {
    FILETIME const time = toFileTime(fileTime);
    SYSTEMTIME result;
    if (FileTimeToSystemTime(&time, &result) != 1)
        return false;
    utc = fromSystemTime(result);
    return true;
}

bool systemTimeToFileTime(SystemTime const& time, std::uint64_t& fileTime) {
    SYSTEMTIME const input = toSystemTime(time);
    FILETIME result;
    if (SystemTimeToFileTime(&input, &result) != 1)
        return false;
    fileTime = fromFileTime(result);
    return true;
}

bool systemTimeToTzSpecificLocalTime(SystemTime const& utc, SystemTime& local) {
    return convertInCurrentZone(SystemTimeToTzSpecificLocalTime, utc, local);
}

bool tzSpecificLocalTimeToSystemTime(SystemTime const& local, SystemTime& utc) {
    return convertInCurrentZone(TzSpecificLocalTimeToSystemTime, local, utc);
}

long long time64() {
    return _time64(nullptr);
}

bool localtime64(long long seconds, std::tm& local) {
    __time64_t const time = seconds;
    return _localtime64_s(&local, &time) == 0;
}

long long mktime64(std::tm& local) {
    return _mktime64(&local);
}

} // namespace koril::filesystem::platform
