// Whole numbers in the settings file, read by the program's own rule rather than
// GetPrivateProfileIntA's (which reads "0X1" and "$1" as 0 under Wine).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace folimar {

// A 32-bit signed number: an optional sign, then decimal digits, or hexadecimal digits after
// "0x", "0X" or "$"; blanks around it are ignored. Nothing when the text is not such a number
// or lies outside the 32-bit range.
std::optional<int32_t> ParseProfileNumber(std::string_view text);

} // namespace folimar
