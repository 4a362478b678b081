// Waiting for the single-job worker while the window keeps handling its messages.
#include "single/conversion_worker.h"

#include "win/thread_wait.h"

namespace folimar {

DWORD WaitForConversionWorker(HANDLE thread)
{
    // The parameters live in the caller's frame: never return before the thread has ended.
    if (!win::WaitPumpingMessages(thread))
        ::WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    if (!::GetExitCodeThread(thread, &code) || code == STILL_ACTIVE)
        return 0;
    return code;
}

} // namespace folimar
