// The program's own file.
#pragma once

#include <string>

namespace win {

// The full path of the running program's file; empty when the system cannot give it.
std::string ProgramPath();

// The file to start for the program at exePath: in a Winelib build the ".exe.so" beside it, since
// the ".exe" there is a launcher script, and Wine runs a script through the shell, which hands the
// program a command line rebuilt from its words (quotes lost); exePath itself elsewhere.
std::string StartableProgram(const std::string& exePath);

} // namespace win
