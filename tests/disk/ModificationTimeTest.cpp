// Reading and writing last-write times, exact to 100 ns whatever the local time zone.

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace koril::filesystem {
namespace {

using koril::testing::makeDirectories;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
using koril::testing::writeFile;

TimePoint at(long long ticks) {
    return TimePoint(Ticks(ticks));
}

// 2020-01-15 12:00:00.1234567 UTC and 2020-07-15 12:00:00.7654321 UTC: one date in each
// daylight-saving season of either hemisphere, with a fraction that needs every digit.
constexpr long long winter = 15790896001234567LL;
constexpr long long summer = 15948144007654321LL;
// 2020-11-01 05:30:00.5 and 06:30:00.5 UTC: both 01:30:00.5 local time in New York, before and
// after the clocks went back.
constexpr long long firstOneThirty = 16042086005000000LL;
constexpr long long secondOneThirty = 16042122005000000LL;
// 1970-01-01 00:00:00.0000001 UTC.
constexpr long long justAfterTheEpoch = 1;

#ifndef _WIN32
// Switches the process to the time zone `zone` and back to the one before when it ends.
class TimeZone {
public:
    explicit TimeZone(char const* zone) {
        if (char const* old = std::getenv("TZ"))
            previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    TimeZone(TimeZone const&) = delete;
    TimeZone& operator=(TimeZone const&) = delete;
    ~TimeZone() {
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> previous_;
};

// UTC, a northern zone with daylight saving, a zone with a half-hour offset and none, and a
// southern zone whose daylight saving moves the clock by half an hour.
char const* const zones[] = {"UTC", "America/New_York", "Asia/Kolkata", "Australia/Lord_Howe"};
#endif

TEST(ModificationTime, MissingPathReadsAsZeroAndCannotBeSet) {
    ScratchDirectory scratch;
    EXPECT_EQ(getModificationTime(scratch / "missing").time_since_epoch().count(), 0);
    EXPECT_EQ(getModificationTime(Path()).time_since_epoch().count(), 0);
    EXPECT_FALSE(setModificationTime(scratch / "missing", at(winter)));
    EXPECT_FALSE(koril::testing::existsOnDisk(scratch / "missing"));
}

TEST(ModificationTime, RoundTripsExactlyInTheLocalZone) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    makeDirectories(scratch / "dir");
    for (Path const& path : {scratch / "file", scratch / "dir"}) {
        for (long long ticks : {winter, summer, justAfterTheEpoch}) {
            SCOPED_TRACE(ticks);
            ASSERT_TRUE(setModificationTime(path, at(ticks)));
            EXPECT_EQ(getModificationTime(path).time_since_epoch().count(), ticks);
        }
    }
    // Every handle was closed: nothing holds the file any more.
    EXPECT_TRUE(remove(scratch / "file"));
    EXPECT_TRUE(remove(scratch / "dir"));
}

TEST(ModificationTime, FreshFileReadsAsNow) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    auto const now = std::chrono::system_clock::now();
    auto const read = getModificationTime(scratch / "file");
    EXPECT_LT(std::chrono::abs(std::chrono::duration_cast<std::chrono::seconds>(
                  read.time_since_epoch() - now.time_since_epoch())),
              std::chrono::minutes(2));
}

#ifndef _WIN32
// What one zone writes, every zone reads back to the same tick, in either season.
TEST(ModificationTime, AgreesAcrossTimeZones) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    for (char const* writer : zones) {
        for (long long ticks : {winter, summer}) {
            {
                TimeZone zone(writer);
                ASSERT_TRUE(setModificationTime(scratch / "file", at(ticks))) << writer;
            }
            for (char const* reader : zones) {
                TimeZone zone(reader);
                EXPECT_EQ(getModificationTime(scratch / "file").time_since_epoch().count(), ticks)
                    << "written in " << writer << ", read in " << reader;
            }
        }
    }
}

// The local time 01:30 happens twice in New York on that night; the reading must not take one
// for the other.
TEST(ModificationTime, ReadsTheRepeatedHourAsTheRightOne) {
    ScratchDirectory scratch;
    writeFile(scratch / "first", "x");
    writeFile(scratch / "second", "x");
    {
        TimeZone zone("UTC");
        ASSERT_TRUE(setModificationTime(scratch / "first", at(firstOneThirty)));
        ASSERT_TRUE(setModificationTime(scratch / "second", at(secondOneThirty)));
    }
    TimeZone zone("America/New_York");
    EXPECT_EQ(getModificationTime(scratch / "first").time_since_epoch().count(), firstOneThirty);
    EXPECT_EQ(getModificationTime(scratch / "second").time_since_epoch().count(), secondOneThirty);
}

TEST(ModificationTime, FreshFileReadsAsNowInEveryZone) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    auto const now = std::chrono::system_clock::now().time_since_epoch();
    for (char const* name : zones) {
        TimeZone zone(name);
        auto const read = getModificationTime(scratch / "file").time_since_epoch();
        EXPECT_LT(std::chrono::abs(std::chrono::duration_cast<std::chrono::seconds>(read - now)),
                  std::chrono::minutes(2))
            << name;
    }
}
#endif

TEST(ModificationTime, RefusesTimesOutsideTheCalendarAndKeepsTheOldOne) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    ASSERT_TRUE(setModificationTime(scratch / "file", at(winter)));
    for (long long ticks : {-1LL, -10000000LL, -winter, std::numeric_limits<long long>::min()}) {
        SCOPED_TRACE(ticks);
        EXPECT_FALSE(setModificationTime(scratch / "file", at(ticks)));
        EXPECT_EQ(getModificationTime(scratch / "file").time_since_epoch().count(), winter);
    }
    // Far in the future: refused where the calendar ends, exact where it goes on.
    long long const farAway = std::numeric_limits<long long>::max();
    if (setModificationTime(scratch / "file", at(farAway)))
        EXPECT_EQ(getModificationTime(scratch / "file").time_since_epoch().count(), farAway);
    else
        EXPECT_EQ(getModificationTime(scratch / "file").time_since_epoch().count(), winter);
    EXPECT_TRUE(remove(scratch / "file"));
}

TEST(ModificationTime, FailsOnAFileOpenForWriting) {
    if (!koril::testing::onWindows())
        GTEST_SKIP() << "POSIX has no share modes to refuse the open";
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    ASSERT_TRUE(setModificationTime(scratch / "file", at(winter)));
    {
        std::ofstream holder(toStd(scratch / "file"), std::ios::app);
        ASSERT_TRUE(holder.is_open());
        EXPECT_EQ(getModificationTime(scratch / "file").time_since_epoch().count(), 0);
        EXPECT_FALSE(setModificationTime(scratch / "file", at(summer)));
    }
    EXPECT_EQ(getModificationTime(scratch / "file").time_since_epoch().count(), winter);
}

} // namespace
} // namespace koril::filesystem
