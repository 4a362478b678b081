// Starting and winding up one batch: the print-files thread and the print-queue watcher, in the
// order the pipeline needs. Used by the batch window.
#pragma once

#include "batch/print_queue_watcher.h"
#include "batch/prnthread.h"
#include "win/handle.h"

#include <memory>
#include <string>
#include <vector>

namespace folimar {

// "<application data>\QUORPSFILES\TEMP\", read afresh.
std::string SpoolFolderPath();

// The named batch mutex, created without ownership; alreadyRunning tells that a batch runs in
// some instance (the handle is then closed and null).
win::UniqueHandle CreateBatchMutex(bool& alreadyRunning);

// A batch that ended without putting the default printer back (the program was killed) left a
// note of the user's printer: when no batch runs in any instance, the printer is put back now.
void RestorePrinterAfterLostBatch();

// A running batch: the print-files thread and its watcher thread.
struct TBatchThreads {
    std::unique_ptr<TPrintFilesThread> printThread;
    win::UniqueHandle watcher;
};

// Starts a batch over entries: clears stop signals left from earlier batches, constructs the
// print-files thread suspended (which switches the default printer), makes the spool folder and
// removes leftover captured jobs, starts the watcher at above-normal priority, resumes the thread.
// params keeps the printer name and stop event; its thread id and spool folder are set here.
// No print thread in the result when none could be made (nothing runs then).
TBatchThreads StartBatch(HWND window, win::UniqueHandle mutex, std::vector<TBatchEntry> entries,
                         const std::string& spoolFolder, TWatcherParams& params);

// Asks a batch to stop: its wait for a job ends at once, no further document starts.
void StopBatch(TBatchThreads& batch);

// After BATCH_FINISHED (or to end a stopped batch): waits for the thread while serving sent
// messages, frees it, ends the watcher and waits for it.
void EndBatch(TBatchThreads& batch);

} // namespace folimar
