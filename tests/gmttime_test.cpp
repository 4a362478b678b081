// Tests of the compact local date and the UTC offset text of PDF dates.
#include "tests/gtest_win.h"

#include "jobprep/gmttime.h"

#include <cstdint>
#include <string>

namespace {

struct OffsetCase {
    int32_t bias;
    int32_t standardBias;
    int32_t daylightBias;
    bool isDaylight;
    std::string expected;
};

TEST(GmtTimeTest, FormatUtcOffset)
{
    const OffsetCase cases[] = {
        {0, 0, 0, false, "+00'00'"},      // UTC
        {0, 0, -60, false, "+00'00'"},    // London in winter
        {0, 0, -60, true, "+01'00'"},     // London in summer
        {-480, 0, 0, false, "+08'00'"},   // eight hours east
        {-480, 0, -60, false, "+08'00'"}, // a daylight bias is unused while standard time is in force
        {300, 0, -60, false, "-05'00'"},  // New York, standard time
        {300, 0, -60, true, "-04'00'"},   // New York, daylight time
        {-60, 0, -60, false, "+01'00'"},  // Berlin, standard time
        {-60, 0, -60, true, "+02'00'"},   // Berlin, daylight time
        {-330, 0, 0, false, "+05'30'"},   // India
        {-345, 0, 0, false, "+05'45'"},   // Nepal
        {210, 0, -60, false, "-03'30'"},  // Newfoundland, standard time
        {210, 0, -60, true, "-02'30'"},   // Newfoundland, daylight time
        {570, 0, 0, false, "-09'30'"},    // Marquesas
        {-600, 0, 30, true, "+09'30'"},   // a positive daylight bias moves the clock back
        {60, -60, 0, false, "+00'00'"},   // a standard bias is added as well
        {-840, 0, 0, false, "+14'00'"},   // the zone furthest east
        {1, 0, 0, false, "-00'01'"},      // one minute behind UTC
        {-1, 0, 0, false, "+00'01'"},
    };
    for (const OffsetCase& c : cases)
        EXPECT_EQ(folimar::FormatUtcOffset(c.bias, c.standardBias, c.daylightBias, c.isDaylight), c.expected)
            << "bias " << c.bias << ", standard " << c.standardBias << ", daylight " << c.daylightBias
            << (c.isDaylight ? " (daylight)" : " (standard)");
}

TEST(GmtTimeTest, FormatCompactDate)
{
    EXPECT_EQ(folimar::FormatCompactDate(2010, 1, 5, 9, 7, 3), "20100105090703");
    EXPECT_EQ(folimar::FormatCompactDate(2009, 12, 25, 14, 30, 0), "20091225143000");
    EXPECT_EQ(folimar::FormatCompactDate(999, 12, 31, 23, 59, 59), "09991231235959");
    EXPECT_EQ(folimar::FormatCompactDate(2010, 1, 5, 0, 0, 0), "20100105000000");
}

std::string Compact(const SYSTEMTIME& t)
{
    return folimar::FormatCompactDate(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

TEST(GmtTimeTest, CompactLocalDateIsTheLocalClock)
{
    SYSTEMTIME before{}, after{};
    ::GetLocalTime(&before);
    const std::string now = folimar::CompactLocalDate();
    ::GetLocalTime(&after);
    ASSERT_EQ(now.size(), 14u) << now;
    EXPECT_EQ(now.find_first_not_of("0123456789"), std::string::npos) << now;
    EXPECT_GE(now, Compact(before));
    EXPECT_LE(now, Compact(after));
}

// Minutes from 1601, enough to compare two clock readings.
int64_t Minutes(const SYSTEMTIME& t)
{
    FILETIME ft{};
    ::SystemTimeToFileTime(&t, &ft);
    const uint64_t ticks = (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    return static_cast<int64_t>((ticks + 300'000'000) / 600'000'000); // rounded to the minute
}

// The constructor reads the system's zone: its offset must be what separates the local clock
// from UTC right now, measured without the zone record.
TEST(GmtTimeTest, OffsetOfTheSystemZone)
{
    SYSTEMTIME utc{}, local{};
    const folimar::TGMTTime gmt;
    ::GetSystemTime(&utc);
    ::GetLocalTime(&local);
    const int64_t ahead = Minutes(local) - Minutes(utc); // minutes local time is ahead of UTC
    const std::string expected = folimar::FormatUtcOffset(static_cast<int32_t>(-ahead), 0, 0, false);
    EXPECT_EQ(gmt.UtcOffset(), expected);
    EXPECT_EQ(gmt.UtcOffset().size(), 7u);

    TIME_ZONE_INFORMATION tz{};
    const DWORD zone = ::GetTimeZoneInformation(&tz);
    EXPECT_EQ(gmt.IsDaylight(), zone == TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(gmt.TimeZoneInfo().Bias, tz.Bias);
    EXPECT_EQ(gmt.TimeZoneInfo().StandardBias, tz.StandardBias);
    EXPECT_EQ(gmt.TimeZoneInfo().DaylightBias, tz.DaylightBias);
}

} // namespace
