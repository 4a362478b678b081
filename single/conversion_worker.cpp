// The single-job worker thread. Its wait, which serves window messages, lives apart in
// conversion_wait.cpp, so a program without windows that starts a worker links no user32.
#include "single/conversion_worker.h"

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

} // namespace folimar
