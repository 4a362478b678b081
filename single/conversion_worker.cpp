// The single-job worker thread.
#include "single/conversion_worker.h"

#include "jobprep/doc_info.h"
#include "render/gsapi.h"
#include "win/thread_wait.h"

#include <string>

namespace folimar {

DWORD WINAPI ConversionWorker(LPVOID params)
{
    try {
        const auto* p = static_cast<const TConvertParams*>(params);
        std::string jobFile = p->JobFile;
        AppendDocInfo(jobFile);
        return ConvertPsToPdf(jobFile, p->PdfFile) ? 1 : 0;
    } catch (...) {
        // Any error of the conversion is a failed conversion; nothing is reported from here.
        return 0;
    }
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
