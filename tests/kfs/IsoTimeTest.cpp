// ISO 8601 text for time points: the calendar over the whole range of 100-ns ticks, and what the
// parser accepts and refuses.

#include "IsoTime.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace kfs {
namespace {

using koril::filesystem::Ticks;

TimePoint at(long long ticks) {
    return TimePoint(Ticks(ticks));
}

struct Anchor {
    long long ticks;
    char const* text;
};

// Dates checked against an independent calendar; the signed forms are the years that four
// digits cannot hold.
Anchor const anchors[] = {
    {0, "1970-01-01T00:00:00.0000000Z"},
    {-1, "1969-12-31T23:59:59.9999999Z"},
    {-10000000, "1969-12-31T23:59:59.0000000Z"},
    {15830207990000000 + 9999999, "2020-02-29T23:59:59.9999999Z"},
    {21474836480000000 + 1, "2038-01-19T03:14:08.0000001Z"},
    {-22038912000000000, "1900-03-01T00:00:00.0000000Z"},
    {-116709552000000000 + 1234567, "1600-02-29T12:00:00.1234567Z"},
    {-621355968000000000, "0001-01-01T00:00:00.0000000Z"},
    {-621672192000000000, "0000-01-01T00:00:00.0000000Z"},
    {-621672192000000001, "-000001-12-31T23:59:59.9999999Z"},
    {2534023007999999999, "9999-12-31T23:59:59.9999999Z"},
    {2534023008000000000, "+010000-01-01T00:00:00.0000000Z"},
    {std::numeric_limits<long long>::max(), "+031197-09-14T02:48:05.4775807Z"},
    {std::numeric_limits<long long>::min(), "-027258-04-19T21:11:54.5224192Z"},
};

TEST(IsoTime, FormatsAndParsesTheAnchorsBothWays) {
    for (Anchor const& anchor : anchors) {
        EXPECT_EQ(formatIsoTime(at(anchor.ticks)), anchor.text) << anchor.ticks;
        std::optional<TimePoint> const parsed = parseIsoTime(anchor.text);
        ASSERT_TRUE(parsed.has_value()) << anchor.text;
        EXPECT_EQ(parsed->time_since_epoch().count(), anchor.ticks) << anchor.text;
    }
}

// Steps through the whole range with a stride of no whole number of days or seconds, so that the
// times of day, the days of the year and the years of the 400-year cycle all vary; each text must
// read back as the same tick.
TEST(IsoTime, RoundTripsAcrossTheWholeRange) {
    long long const stride = 365432198765432; // about 1.16 years and an odd fraction
    long long ticks = std::numeric_limits<long long>::min();
    int checked = 0;
    while (true) {
        std::string const text = formatIsoTime(at(ticks));
        std::optional<TimePoint> const parsed = parseIsoTime(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        ASSERT_EQ(parsed->time_since_epoch().count(), ticks) << text;
        ++checked;
        if (ticks > std::numeric_limits<long long>::max() - stride) {
            break;
        }
        ticks += stride;
    }
    EXPECT_GT(checked, 50000);
}

// What the parser accepts reads back as the UTC text given; nullptr marks a refusal.
TEST(IsoTime, ParsesOffsetsShortFormsAndLowerCaseAndRefusesWhatIsNoTime) {
    struct Case {
        char const* given;
        char const* utc;
    } const cases[] = {
        {"2020-01-15", "2020-01-15T00:00:00.0000000Z"},
        {"2020-01-15T12:00Z", "2020-01-15T12:00:00.0000000Z"},
        {"2020-01-15T12:00:00.5-01:30", "2020-01-15T13:30:00.5000000Z"},
        {"2021-07-01T10:30:00.5+02:00", "2021-07-01T08:30:00.5000000Z"},
        {"1970-01-01T00:30+01:00", "1969-12-31T23:30:00.0000000Z"},
        {"", nullptr},
        {"yesterday", nullptr},
        {"2020-1-15", nullptr},
        {"2020-13-01", nullptr},
        {"2021-02-29", nullptr},
        {"1900-02-29", nullptr},
        {"2020-01-15T24:00:00Z", nullptr},
        {"2020-01-15T12:00:60Z", nullptr},
        {"2020-01-15T12:00:00", nullptr},
        {"2020-01-15T12:00:00.Z", nullptr},
        {"2020-01-15T12:00:00.12345678Z", nullptr},
        {"2020-01-15T12:00:00+0100", nullptr},
        {"2020-01-15T12:00:00+24:00", nullptr},
        {"2020-01-15T12:00:00Zjunk", nullptr},
        {"+2020-01-15", nullptr},
        {"-000000-01-01", nullptr},
        {"+0010000-01-01", nullptr},
        {"02020-01-15", nullptr},
        // One tick beyond each end of the range.
        {"+031197-09-14T02:48:05.4775808Z", nullptr},
        {"-027258-04-19T21:11:54.5224191Z", nullptr},
    };
    for (Case const& c : cases) {
        std::optional<TimePoint> const parsed = parseIsoTime(c.given);
        ASSERT_EQ(parsed.has_value(), c.utc != nullptr) << c.given;
        if (parsed) {
            EXPECT_EQ(formatIsoTime(*parsed), c.utc) << c.given;
        }
    }
}

} // namespace
} // namespace kfs
