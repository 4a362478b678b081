// The check that the program's own command line names the files the user typed.
#pragma once

#include <windows.h>

namespace folimar {

// The position (0 = the program) of the first argument of a command line (GetCommandLineW) that
// the program's ANSI code page cannot hold exactly, so that its 8-bit form would name another
// file; -1 when every one fits.
int FirstLossyArgument(const WCHAR* commandLine);

} // namespace folimar
