// The print-queue watcher: reports jobs of the virtual printer's queue to the print-files thread
// through the batch's job queue.
#pragma once

#include "batch/pipeline/job_queue.h"

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace folimar {

// What the batch hands to the watcher; nobody changes it while a watcher runs.
struct TWatcherParams {
    char printerName[261] = {};
    HANDLE stopEvent = nullptr; // the batch's stop: ends the watcher
    TJobQueue* jobs = nullptr;  // receives the jobs; null: watch, report nothing
    // Where the port announces jobs; the watcher's source when the spooler gives no notifications.
    std::string spoolFolder;
};

// The thread function; params is a TWatcherParams. Returns 0 in every case. However it ends, it
// closes the job queue: a wait for a job that no watcher will report then ends.
DWORD WINAPI PrintQueueWatcher(LPVOID params);

// What a spooler change means for the first job of the queue: JOB_ADDED, JOB_FINISHED or nothing.
std::optional<LPARAM> SpoolJobEvent(DWORD changeBits, DWORD jobStatus);

// The job ids whose job-id files are in folder now.
std::set<DWORD> JobIdsAnnouncedIn(const std::string& folder);

// The job id a file in the spool folder announces: a name of decimal digits only that fits in 32 bits.
std::optional<DWORD> JobIdOfFileName(std::string_view name);

} // namespace folimar
