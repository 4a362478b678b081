// Waiting for a thread while the calling thread keeps handling its messages.
#pragma once

#include <windows.h>

namespace win {

// Blocks (without spinning) until the handle is signalled, dispatching every message that
// arrives meanwhile. Returns false if the wait itself fails.
bool WaitPumpingMessages(HANDLE handle);

} // namespace win
