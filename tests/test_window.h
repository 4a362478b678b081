// A plain hidden window of a test, the target of messages a thread under test posts.
#pragma once

#include "win/handle.h"

#include <windows.h>

namespace testing_support {

// Messages stay in the queue for the test to take; the class is registered once per name.
inline win::UniqueWindow MakeTestWindow(const char* className)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    ::RegisterClassA(&wc);
    return win::UniqueWindow(::CreateWindowExA(0, className, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                               wc.hInstance, nullptr));
}

} // namespace testing_support
