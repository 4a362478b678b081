// The argument count that chooses the program's mode.
#pragma once

#include <string_view>

namespace folimar {

// Arguments after the first one; bytes up to 32 separate, quotes group, a lone "" is not counted.
int CountArguments(std::string_view commandLine);

// Six or more counted arguments mean the printer port started us for one job.
inline constexpr int kSingleJobMinArgs = 6;
inline bool IsSingleJobCommandLine(std::string_view commandLine)
{
    return CountArguments(commandLine) >= kSingleJobMinArgs;
}

} // namespace folimar
