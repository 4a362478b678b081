// The local time zone's offset from UTC, and the compact local date.
#include "jobprep/gmttime.h"

namespace folimar {

std::string CompactLocalDate()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return FormatCompactDate(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

TGMTTime::TGMTTime()
{
    const DWORD zone = ::GetTimeZoneInformation(&timeZoneInfo_);
    if (zone == TIME_ZONE_ID_INVALID)
        timeZoneInfo_ = TIME_ZONE_INFORMATION{}; // gives +00'00'
    isDaylight_ = zone == TIME_ZONE_ID_DAYLIGHT;
    utcOffset_ =
        FormatUtcOffset(static_cast<int32_t>(timeZoneInfo_.Bias), static_cast<int32_t>(timeZoneInfo_.StandardBias),
                        static_cast<int32_t>(timeZoneInfo_.DaylightBias), isDaylight_);
}

} // namespace folimar
