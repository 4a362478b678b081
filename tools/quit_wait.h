// Staying alive like an application until WM_QUIT reaches the thread, for a bounded time.
#pragma once

#include <windows.h>

#include <functional>

namespace porttool {

// How long a print program waits for WM_QUIT before it ends on its own.
inline constexpr DWORD kQuitWaitMs = 5 * 60 * 1000;

// Makes the calling thread's message queue now: a WM_QUIT posted to the thread before its
// message loop runs is kept instead of lost.
void MakeMessageQueue();

// Dispatches the calling thread's messages until WM_QUIT arrives (true) or maxMs have passed
// (false). Messages posted to the thread itself, without a window, go to onThreadMessage.
bool RunUntilQuit(DWORD maxMs, const std::function<void(const MSG&)>& onThreadMessage = {});

} // namespace porttool
