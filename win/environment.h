// Environment blocks for child processes: this process's variables with some of them set anew.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace win {

using EnvironmentSettings = std::vector<std::pair<std::string, std::string>>;

// The environment block block ("NAME=value\0...\0\0") with each of settings in place of a variable
// of the same name (names compare without case, as Windows does); the result ends in two NULs.
std::string EnvironmentBlockWith(std::string_view block, const EnvironmentSettings& settings);

// This process's environment block with settings, for CreateProcess.
std::string CurrentEnvironmentWith(const EnvironmentSettings& settings);

} // namespace win
