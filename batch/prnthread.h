// The print-files thread: works through one batch list, printing each document to the virtual
// printer and converting its captured job (or a PostScript document directly) to the planned PDF.
#pragma once

#include "batch/batch_list_rules.h"
#include "batch/print_commands.h"
#include "win/handle.h"
#include "win/thread.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace folimar {

// Posted to the batch window: wParam a status below, lParam the entry's index or 0.
inline constexpr UINT WM_BATCH_STATUS = WM_USER + 100;
enum TBatchStatusCode : WPARAM {
    BATCH_ITEM_FAILED = 0,
    BATCH_ITEM_DONE = 1,
    BATCH_FINISHED = 2,
    BATCH_STOPPED = 3,
    BATCH_ITEM_STARTED = 4,
};

// How long a document may take to show up as a job once its print application has ended: a
// spooler may still be taking the job over.
inline constexpr DWORD kJobGraceAfterExitMs = 60000;

class TPrintFilesThread : public win::TThread {
public:
    // Switches the default printer to the virtual printer (unless it is already); takes over
    // mutex, which marks a batch in progress and is closed when the thread ends.
    TPrintFilesThread(bool createSuspended, HWND windowHandle, HANDLE mutex);

    // Set before Resume: the list's entries as they were when the batch started, and the spool
    // folder, ending in a backslash.
    std::vector<TBatchEntry> FListView;
    std::string FSpoolFolder;

    // How long a document may take to show up as a job once its print application has ended
    // without one; then it fails.
    DWORD FJobGraceMs = kJobGraceAfterExitMs;

    // Puts back the default printer found at construction (unless that was the virtual printer).
    void RestoreDefaultPrinter();
    const std::string& SavedDefaultPrinter() const { return FSavedDefaultPrinter; }

protected:
    void Execute() override;

private:
    enum class TOutcome { Done, Failed, Stopped };

    void RunList();
    void Post(TBatchStatusCode code, size_t index = 0);
    TOutcome ConvertPostScriptDocument(const TBatchEntry& entry);
    TOutcome PrintDocument(const std::string& commandLine, const std::string& ddeCommand,
                           const std::string& ddeApplication, const std::string& ddeTopic,
                           const std::string& outputPath);
    TOutcome WaitForJob(const TPrintProcess& process, const std::string& outputPath);
    bool CollectJob(DWORD jobId, const std::string& outputPath);
    bool WaitMilliseconds(DWORD ms);

    HWND FWindowHandle;
    win::UniqueHandle FMutexHandle;
    std::string FSavedDefaultPrinter;
};

// Finds the files matching pattern (a folder, then a name with wildcards); with del, deletes every
// one. The first match's full path, or nothing when there is none.
std::optional<std::string> FindOrDeleteFiles(const std::string& pattern, bool del);

// Converts a PostScript file to pdfPath, through a temporary file beside it that replaces pdfPath
// only when the PDF is whole; an older file at pdfPath stays otherwise.
bool ConvertToPdfFile(const std::string& psFile, const std::string& pdfPath);

} // namespace folimar
