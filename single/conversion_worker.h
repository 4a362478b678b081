// The worker thread of a single-job conversion: document information, then the Ghostscript run.
#pragma once

#include "win/handle.h"

#include <windows.h>

namespace folimar {

// Handed to the worker; owned by the caller, who keeps it alive until the thread has ended.
struct TConvertParams {
    const char* JobFile; // the PostScript job, without quotes
    const char* PdfFile; // the PDF to write
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
