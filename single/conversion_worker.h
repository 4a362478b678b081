// The worker thread of a single-job conversion: the conversion core on a thread of its own, while
// the window keeps handling its messages.
#pragma once

#include "render/pdf_conversion.h"
#include "win/handle.h"

#include <windows.h>

#include <utility>

namespace folimar {

// Handed to the worker; owned by the caller, who keeps it alive until the thread has ended. The
// worker runs Conversion and writes Outcome; Conversion.Cancel() may be called meanwhile.
struct TConvertParams {
    explicit TConvertParams(TConvertRequest request) : Conversion(std::move(request)) {}

    TPdfConversion Conversion;
    TConvertOutcome Outcome;
};

// Thread function: exit code 1 when the PDF was made, 0 otherwise. Never raises.
DWORD WINAPI ConversionWorker(LPVOID params);

// Starts ConversionWorker on params at once; an empty handle when the thread cannot be made
// (GetLastError tells why).
win::UniqueHandle StartConversionWorker(TConvertParams& params);

// Waits for the worker while dispatching this thread's messages, and returns its exit code
// (0 when it cannot be read).
DWORD WaitForConversionWorker(HANDLE thread);

} // namespace folimar
