// The system's own message text for an error code, for message boxes that report OS errors.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// FormatMessageA from the system table, default language, at most maxBytes bytes.
// Trailing line ends are dropped; an unknown code gives "Error <code>".
std::string SystemErrorText(DWORD code, size_t maxBytes = 1024);

// The code of a call that has just failed: GetLastError, or fallback when the call set none, so
// that a failure never reads as "no error".
DWORD LastErrorOr(DWORD fallback = ERROR_GEN_FAILURE);

// Runs call with the last error cleared first, so that a failure cannot report a code an earlier
// call left behind. When the result is false, error gets the call's code (never 0).
template <class Call> auto CheckedCall(DWORD& error, Call&& call) -> decltype(call())
{
    ::SetLastError(ERROR_SUCCESS);
    auto result = call();
    if (!result)
        error = LastErrorOr();
    return result;
}

} // namespace win
