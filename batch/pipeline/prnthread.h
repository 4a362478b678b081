// The print-files thread: works through one batch list, printing each document to the virtual
// printer and converting its captured job (or a PostScript document directly) to the planned PDF.
#pragma once

#include "batch/rules/batch_list_rules.h"
#include "batch/rules/batch_status.h"
#include "batch/pipeline/job_queue.h"
#include "batch/pipeline/print_commands.h"
#include "batch/pipeline/row_results.h"
#include "render/converter_process.h"
#include "win/handle.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace folimar {

// How long a document may take to show up as a job once its print application has ended: a
// spooler may still be taking the job over.
inline constexpr DWORD kJobGraceAfterExitMs = 60000;

// What one run of the thread works on; fixed before it starts.
struct TPrintFilesSetup {
    HWND window = nullptr;                   // receives WM_BATCH_STATUS
    std::vector<TBatchEntry> entries;        // the list as it was when the batch started
    std::string spoolFolder;                 // exists; ends in a backslash
    HANDLE stop = nullptr;                   // manual reset: once set, the batch winds up
    TJobQueue* jobs = nullptr;               // what the watcher reports
    DWORD jobGraceMs = kJobGraceAfterExitMs; // then a document whose application ended without a job fails
    TRowResults* results = nullptr;          // each ended row's result, recorded before its status is posted
    std::string converter = {};              // the console converter that renders; empty: the one beside the program
    TDiskMargin diskMargin{};                // a render that leaves less free space on its disks fails "disk full"
    std::string batchObject = {};            // the batch's named object; its rows' tokens are made from it

    // A print that shows no sign of life this long (its program idle, no job growing in the spool
    // folder) is ended and the row fails.
    DWORD printLimitMs = kPrintLimitSeconds * 1000;
    // Where a job that is not the row's goes for single-job mode, and the program that is started
    // for it there; empty: the data folder's jobs folder, the window program beside this one.
    std::string jobsFolder = {};
    std::string singleJobProgram = {};
    // Where the running print program is noted; empty: nowhere.
    std::string printProgramNote;
    bool overwrite = true; // "Overwrite" (else "New name"), for FinalPdfPath
};

class TPrintFilesThread {
public:
    // Nothing runs until Start.
    explicit TPrintFilesThread(TPrintFilesSetup setup);
    TPrintFilesThread(const TPrintFilesThread&) = delete;
    TPrintFilesThread& operator=(const TPrintFilesThread&) = delete;
    // The owner waits for the thread (WaitFor) before it lets the object go.
    ~TPrintFilesThread() = default;

    // Starts the thread: the list, then windUp on this thread however the list ended (an error
    // fails the row it happened in), then BATCH_FINISHED. False, with error set, when the thread
    // cannot be made; nothing runs then.
    bool Start(std::function<void()> windUp, DWORD& error);
    // Waits for the end of the thread while serving the messages sent to the calling thread.
    void WaitFor();
    bool Started() const { return FThread.valid(); }

private:
    static DWORD WINAPI ThreadProc(LPVOID self);
    void Execute();
    void RunList();
    bool Terminated() const;
    void Post(TBatchStatusCode code, size_t index = 0);
    // Records the row's result, then posts BATCH_ITEM_DONE or BATCH_ITEM_FAILED.
    void Finish(size_t index, TRowResult result);
    TRowResult ConvertPostScriptDocument(const TBatchEntry& entry);
    // A document printed by its file type's print command.
    TRowResult PrintEntry(const TBatchEntry& entry);
    TRowResult PrintDocument(const std::string& commandLine, const std::string& ddeCommand,
                             const std::string& ddeApplication, const std::string& ddeTopic,
                             const std::string& outputPath);
    // Starts the print program with the current row's token, after forgetting the job reports of
    // earlier documents.
    bool StartPrintProgram(const std::string& commandLine, TPrintProcess& process);
    TRowResult WaitForJob(const TPrintProcess& process, const std::string& outputPath);
    // The row's result, or nothing when the job was not the document's (it is then handed to
    // single-job mode, or it was no job announced to the batch).
    std::optional<TRowResult> CollectJob(DWORD jobId, const std::string& outputPath);
    // After a printed row: the jobs still announced in the spool folder are not the row's; each
    // other program's goes to single-job mode before the folder is emptied.
    void HandOverLeftJobs();
    void HandOver(const std::string& psPath);
    // The PostScript file psFile as the PDF pdfPath, rendered by the converter process.
    TRowResult ConvertToPdfFile(const std::string& psFile, const std::string& pdfPath);
    bool WaitMilliseconds(DWORD ms);
    // The name the row's PDF gets, chosen now against the disk and this batch's PDFs; empty when
    // every number is taken.
    std::string ChoosePdfPath(const TBatchEntry& entry) const;

    const HWND FWindowHandle;
    const std::vector<TBatchEntry> FListView;
    const std::string FSpoolFolder;
    const HANDLE FStop;
    TJobQueue* const FJobs;
    const DWORD FJobGraceMs;
    const DWORD FPrintLimitMs;
    const std::string FJobsFolder;
    const std::string FSingleJobProgram;
    const std::string FPrintProgramNote;
    TRowResults* const FResults;
    const std::string FBatchObject;
    std::string FJobToken; // the token of the row being printed
    const bool FOverwrite;
    std::vector<std::string> FWritten; // the PDFs this batch has made
    std::function<void()> FWindUp;
    std::optional<size_t> FCurrentItem; // started, no result posted yet
    TConverterProcess FConverter;       // started with the first conversion, ended with the list
    win::UniqueHandle FThread;
};

// Finds the files matching pattern (a folder, then a name with wildcards); with del, deletes every
// one. The first match's full path, or nothing when there is none.
std::optional<std::string> FindOrDeleteFiles(const std::string& pattern, bool del);

} // namespace folimar
