// The print-queue watcher: reports jobs of the virtual printer's queue to the print-files thread,
// and the two process-wide stop events of a batch.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace folimar {

// Posted to the print-files thread: wParam the job id, lParam JOB_ADDED or JOB_FINISHED.
inline constexpr UINT WM_SPOOL_JOB = WM_USER + 101;
inline constexpr LPARAM JOB_ADDED = 0;
inline constexpr LPARAM JOB_FINISHED = 128;

// Auto-reset, unnamed, made once at start and alive for the whole run.
HANDLE StopPrintEvent();
HANDLE StopWatcherEvent();
// Makes both events; called at start, before any window exists.
void CreateStopEvents();

// What the batch window hands to the watcher; nobody changes it while a watcher runs.
struct TWatcherParams {
    char printerName[261] = {};
    HANDLE stopEvent = nullptr;
    DWORD printThreadId = 0; // 0: watch, post nothing
    // Where the port announces jobs; the watcher's source when the spooler gives no notifications.
    std::string spoolFolder;
};

// The thread function; params is a TWatcherParams. Returns 0 in every case.
DWORD WINAPI PrintQueueWatcher(LPVOID params);

// What a spooler change means for the first job of the queue: JOB_ADDED, JOB_FINISHED or nothing.
std::optional<LPARAM> SpoolJobEvent(DWORD changeBits, DWORD jobStatus);

// The job id a file in the spool folder announces: a name of decimal digits only that fits in 32 bits.
std::optional<DWORD> JobIdOfFileName(std::string_view name);

} // namespace folimar
