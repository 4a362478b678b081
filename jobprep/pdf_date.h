// Text forms of PDF dates: the compact date digits and the local offset from UTC.
#pragma once

// Only standard headers here: these are built natively for fuzzing, without Windows headers.
#include <cstdint>
#include <string>

namespace folimar {

// "yyyymmddhhnnss": four-digit year, then month, day, hour (24-hour clock), minutes and
// seconds with two digits each.
std::string FormatCompactDate(int year, int month, int day, int hour, int minute, int second);

// The offset from UTC that ends a PDF date, such as +08'00' or -04'00'. Biases are in
// minutes as the time-zone record keeps them (UTC = local time + bias); the bias in force is
// bias + daylightBias while daylight time is in force, else bias + standardBias.
std::string FormatUtcOffset(int32_t bias, int32_t standardBias, int32_t daylightBias, bool isDaylight);

} // namespace folimar
