// The single-job worker thread.
#include "single/conversion_worker.h"

#include "win/thread_wait.h"

namespace folimar {

DWORD WINAPI ConversionWorker(LPVOID params)
{
    auto* p = static_cast<TConvertParams*>(params);
    try {
        p->Outcome = p->Conversion.Run();
    } catch (...) {
        // Any error of the conversion is a failed conversion; nothing is reported from here.
        p->Outcome = TConvertOutcome{TConvertReason::RenderFailed};
    }
    return p->Outcome.Made() ? 1 : 0;
}

win::UniqueHandle StartConversionWorker(TConvertParams& params)
{
    return win::UniqueHandle(::CreateThread(nullptr, 0, ConversionWorker, &params, 0, nullptr));
}

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
