// The worker thread of a single-job conversion: document information, then the Ghostscript run
// into a temporary file, which becomes the PDF only when it is whole.
#pragma once

#include "render/page_progress.h"
#include "win/handle.h"

#include <windows.h>

#include <mutex>
#include <string>

namespace folimar {

// Keeps a cancelled conversion from putting its PDF in place, and a cancel from removing a PDF
// that has been put in place.
class TCommitGate {
public:
    // Runs place unless the conversion has been cancelled; its result, or false when cancelled.
    template <class Place> bool Commit(Place&& place)
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (cancelled_)
            return false;
        committed_ = place();
        return committed_;
    }

    // From now on nothing is put in place. False when the PDF is in place already.
    bool Cancel()
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (committed_)
            return false;
        cancelled_ = true;
        return true;
    }

private:
    std::mutex lock_;
    bool cancelled_ = false;
    bool committed_ = false;
};

// What became of a conversion, for callers that say more than made or not.
enum class TConvertOutcome {
    NotRun,
    Made,         // the PDF is complete and in place
    EmptyJob,     // the job has no bytes: nothing to convert
    OutputIsJob,  // the PDF's path names the job file itself
    JobError,     // the job could not be read
    RenderFailed, // Ghostscript reported an error
    Incomplete,   // Ghostscript ended, but the file it wrote is not a whole PDF (a full disk)
    NotPlaced,    // the whole PDF could not replace the target (Error tells why)
    Cancelled,
};

// Handed to the worker; owned by the caller, who keeps it alive until the thread has ended. The
// worker reads the inputs and writes Outcome and Error.
struct TConvertParams {
    std::string JobFile;    // the PostScript job, without quotes
    std::string PdfFile;    // the PDF to make
    std::string RenderFile; // the temporary file Ghostscript writes, in the PDF's folder
    TPageProgress* Progress = nullptr;
    // True: the document information is appended to the job file. False: the job stays as it
    // is and the information reaches Ghostscript before it.
    bool DocInfoInJob = true;
    TCommitGate Gate;

    TConvertOutcome Outcome = TConvertOutcome::NotRun;
    DWORD Error = ERROR_SUCCESS;
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
