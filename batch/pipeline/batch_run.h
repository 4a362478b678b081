// One batch as one object: the batch mutex, the default printer it replaces (and the note of
// it), the spool folder, the stop, the job queue, the print-queue watcher and the print-files
// thread. Used by the batch window.
#pragma once

#include "base/printer_constants.h"
#include "batch/pipeline/job_queue.h"
#include "batch/pipeline/print_queue_watcher.h"
#include "batch/pipeline/prnthread.h"
#include "win/handle.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folimar {

// "<application data>\QUORPSFILES\TEMP\", read afresh.
std::string SpoolFolderPath();

// "<application data>\QUORPSFILES\~printer.tmp": the default printer a running batch replaced.
std::string PrinterNotePath();

// The named batch mutex, created without ownership. alreadyRunning tells that a batch runs in
// some instance (the handle is then closed and null); a null handle otherwise leaves the reason
// in error.
win::UniqueHandle CreateBatchMutex(const std::string& name, bool& alreadyRunning, DWORD& error);

// A batch that ended without putting the default printer back (the program was killed) left a
// note of the user's printer: when no batch runs in any instance, the printer is put back now.
void RestorePrinterAfterLostBatch();

// A batch killed while a document printed left the port's notes ("~dest.tmp", "~row.tmp") in the
// spool folder; on Windows the port would then take jobs for a batch while any instance runs, and
// they would stay unconverted there. When no batch runs in any instance (no mutex of that name),
// the notes go.
void RemovePortNotesOfLostBatch(const std::string& spoolFolder, const std::string& mutexName = kBatchMutexName);

// What a batch works on.
struct TBatchSetup {
    HWND window = nullptr;            // receives WM_BATCH_STATUS
    std::vector<TBatchEntry> entries; // the list now; entries added later are not seen
    std::string spoolFolder;          // ends in a backslash; made when missing
    std::string printerNote;          // where the replaced default printer is noted; empty: nowhere
    std::string mutexName = kBatchMutexName;
    DWORD jobGraceMs = kJobGraceAfterExitMs;
    std::string converter = {}; // the console converter that renders; empty: the one beside the program
    TDiskMargin diskMargin{};   // a render that leaves less free space fails its row "disk full"
    DWORD printLimitMs = kPrintLimitSeconds * 1000; // a print showing no sign of life this long is ended
    std::string jobsFolder = {};                    // where others' jobs go for single-job mode; empty: the usual
    std::string singleJobProgram = {};              // started for each of them; empty: the one beside the program
    std::string printProgramNote;                   // where the running print program is noted; empty: nowhere
    bool overwrite = true;                          // the settings' mode, for the name each PDF gets when it is written
};

enum class TBatchStart {
    Started,
    RunningElsewhere, // the batch mutex exists: a batch runs in some instance; nothing changed
    Failed,           // nothing runs and nothing changed (error tells why)
};

class TBatch {
public:
    // Nothing happens until Start.
    TBatch();
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;
    // A running batch is stopped and ended first.
    ~TBatch();

    // Takes the batch mutex, makes the virtual printer the default printer (noting the replaced
    // one), makes the spool folder and removes the captured jobs left in it, starts the watcher
    // at above-normal priority and then the print-files thread. From then on the window gets
    // WM_BATCH_STATUS, BATCH_FINISHED last, after the printer is put back and the mutex released.
    TBatchStart Start(TBatchSetup setup, DWORD& error);

    // Asks the batch to wind up: its waits end at once, no further document starts.
    void Stop();

    // After BATCH_FINISHED (or after Stop, to end at once): waits for the print-files thread
    // while serving sent messages, ends the watcher and waits for it. Nothing runs afterwards.
    void End();

    bool Running() const { return FRun != nullptr; }

    // The result of the running batch's row index once its status was posted; nothing before,
    // or when no batch runs.
    std::optional<TRowResult> RowResult(size_t index) const;

private:
    struct TRun;
    std::unique_ptr<TRun> FRun;
};

} // namespace folimar
