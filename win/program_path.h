// The program's own file.
#pragma once

#include <string>

namespace win {

// The full path of the running program's file; empty when the system cannot give it.
std::string ProgramPath();

} // namespace win
