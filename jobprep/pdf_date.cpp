// Text forms of PDF dates.
#include "jobprep/pdf_date.h"

#include <cstdio>
#include <cstdlib>

namespace folimar {

std::string FormatCompactDate(int year, int month, int day, int hour, int minute, int second)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", year, month, day, hour, minute, second);
    return text;
}

std::string FormatUtcOffset(int32_t bias, int32_t standardBias, int32_t daylightBias, bool isDaylight)
{
    // 64 bits: the sum of two 32-bit biases, and its absolute value, cannot overflow.
    const int64_t inForce = int64_t{bias} + (isDaylight ? daylightBias : standardBias);
    const int64_t minutes = std::llabs(inForce);
    char text[64];
    std::snprintf(text, sizeof text, "%c%02d'%02d'", inForce > 0 ? '-' : '+', static_cast<int>(minutes / 60),
                  static_cast<int>(minutes % 60));
    return text;
}

} // namespace folimar
