// The local time zone's offset from UTC for PDF dates, and the compact local date.
#pragma once

#include "jobprep/pdf_date.h"

#include <windows.h>

#include <string>

namespace folimar {

// The current local date and time as "yyyymmddhhnnss".
std::string CompactLocalDate();

// Reads the local time zone once, at construction; one per job preparation.
class TGMTTime {
public:
    TGMTTime();

    // The zone as GetTimeZoneInformation reports it; zero-filled when that call fails.
    const TIME_ZONE_INFORMATION& TimeZoneInfo() const { return timeZoneInfo_; }
    // Daylight saving time was in force at construction.
    bool IsDaylight() const { return isDaylight_; }
    // Seven characters such as +08'00', used for every date of the job.
    const std::string& UtcOffset() const { return utcOffset_; }

private:
    TIME_ZONE_INFORMATION timeZoneInfo_{};
    bool isDaylight_ = false;
    std::string utcOffset_;
};

} // namespace folimar
