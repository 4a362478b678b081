// Waiting for a thread while the calling thread keeps handling its messages.
#pragma once

#include <windows.h>

namespace win {

// Blocks (without spinning) until the handle is signalled, dispatching every message that
// arrives meanwhile. Returns false if the wait itself fails.
bool WaitPumpingMessages(HANDLE handle);

// Waits until handle is signalled while serving the messages other threads send to this thread
// (no posted message is taken, so no handler of the waiting window runs meanwhile).
bool WaitServingSentMessages(HANDLE handle);

} // namespace win
