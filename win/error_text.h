// The system's own message text for an error code, for message boxes that report OS errors.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// FormatMessageA from the system table, default language, at most maxBytes bytes.
// Trailing line ends are dropped; an unknown code gives "Error <code>".
std::string SystemErrorText(DWORD code, size_t maxBytes = 1024);

} // namespace win
