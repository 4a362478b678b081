// Starting a program that outlives the one that starts it.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// Starts program with commandLine exactly as given (so it may begin with something other than
// the program's own name), in the program's folder, detached: it gets no console, no inherited
// handle and no standard stream of ours, so nothing waits on it through them. Returns the new
// process id, or 0 with the system's last error set.
DWORD StartDetached(const std::string& program, const std::string& commandLine);

} // namespace win
