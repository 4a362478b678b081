// The test driver's polling wait.
#pragma once

#include <windows.h>

namespace driver {

inline constexpr DWORD kPollMs = 100;

// Calls find until it returns a true value or timeoutMs has passed; returns its last result.
template <class Find> auto WaitFor(int timeoutMs, Find find) -> decltype(find())
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        auto found = find();
        if (found || ::GetTickCount() - start >= static_cast<DWORD>(timeoutMs))
            return found;
        ::Sleep(kPollMs);
    }
}

} // namespace driver
