// The print-files thread.
#include "batch/pipeline/prnthread.h"

#include "base/printer_constants.h"
#include "batch/pipeline/default_printer.h"
#include "batch/pipeline/print_queue_watcher.h"
#include "files/folders.h"
#include "files/small_file.h"
#include "files/text_rules.h"
#include "jobprep/doc_info.h"
#include "render/pdf_conversion.h"
#include "win/error_text.h"
#include "win/thread_wait.h"

#include <algorithm>
#include <string>

namespace folimar {

namespace {

// Before a DDE command: the print application needs a moment to register its service.
constexpr DWORD kDdePauseMs = 1000;
// On a busy machine that moment can be longer: the conversation is tried again meanwhile.
constexpr DWORD kDdeConnectWaitMs = 10000;
// A job file is written whole by a rename; a sharing conflict with its writer is brief.
constexpr DWORD kJobFileRetryMs = 50;
constexpr int kJobFileTries = 200;
// A job file holds one path; anything longer is not a job file.
constexpr size_t kMaxJobFileBytes = 32768;

// The PostScript file psFile as the PDF pdfPath, through the conversion core; the job file is the
// batch's own, so the document information is appended to it.
bool ConvertToPdfFile(const std::string& psFile, const std::string& pdfPath)
{
    CreateFolderPath(std::string(FolderPart(pdfPath)));
    TPdfConversion conversion({psFile, pdfPath, TDocInfoPlace::AppendToJob});
    return conversion.Run().Made();
}

} // namespace

std::optional<std::string> FindOrDeleteFiles(const std::string& pattern, bool del)
{
    WIN32_FIND_DATAA found;
    win::FindHandle find(::FindFirstFileA(pattern.c_str(), &found));
    if (!find)
        return std::nullopt;
    const std::string folder(FolderPart(pattern));
    std::string first = folder + found.cFileName;
    if (del) {
        do {
            // Folders stay: only files are deleted.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileA((folder + found.cFileName).c_str());
        } while (::FindNextFileA(find.get(), &found));
    }
    return first;
}

TPrintFilesThread::TPrintFilesThread(TPrintFilesSetup setup)
    : FWindowHandle(setup.window), FListView(std::move(setup.entries)), FSpoolFolder(std::move(setup.spoolFolder)),
      FStop(setup.stop), FJobs(setup.jobs), FJobGraceMs(setup.jobGraceMs), FResults(setup.results),
      FOverwrite(setup.overwrite)
{
}

bool TPrintFilesThread::Start(std::function<void()> windUp, DWORD& error)
{
    FWindUp = std::move(windUp);
    FThread.reset(::CreateThread(nullptr, 0, &ThreadProc, this, 0, nullptr));
    if (!FThread)
        error = win::LastErrorOr();
    return FThread.valid();
}

void TPrintFilesThread::WaitFor()
{
    // A DDE conversation of this thread sends to every top-level window, the waiting one's too.
    if (FThread)
        win::WaitServingSentMessages(FThread.get());
}

DWORD WINAPI TPrintFilesThread::ThreadProc(LPVOID self)
{
    static_cast<TPrintFilesThread*>(self)->Execute();
    return 0;
}

void TPrintFilesThread::Execute()
{
    try {
        RunList();
    } catch (...) {
        // The row that was being worked on failed; the batch ends as every batch does.
        if (FCurrentItem)
            Finish(*FCurrentItem, {TRowFailure::Other, "unexpected error", {}});
    }
    try {
        if (FWindUp)
            FWindUp();
    } catch (...) {
        // The window still learns that the batch ended.
    }
    Post(BATCH_FINISHED);
}

bool TPrintFilesThread::Terminated() const
{
    return ::WaitForSingleObject(FStop, 0) == WAIT_OBJECT_0;
}

void TPrintFilesThread::Post(TBatchStatusCode code, size_t index)
{
    ::PostMessageA(FWindowHandle, WM_BATCH_STATUS, code, static_cast<LPARAM>(index));
    if (code == BATCH_ITEM_STARTED)
        FCurrentItem = index;
    else
        FCurrentItem.reset();
}

void TPrintFilesThread::Finish(size_t index, TRowResult result)
{
    const bool made = result.Made();
    if (FResults)
        FResults->Set(index, std::move(result));
    Post(made ? BATCH_ITEM_DONE : BATCH_ITEM_FAILED, index);
}

void TPrintFilesThread::RunList()
{
    for (size_t i = 0; i < FListView.size(); ++i) {
        const TBatchEntry& entry = FListView[i];
        if (entry.image != kImageConvertible)
            continue;
        if (Terminated()) {
            Post(BATCH_STOPPED);
            return;
        }
        Post(BATCH_ITEM_STARTED, i);
        const std::string pdfPath = ChoosePdfPath(entry);
        if (pdfPath.empty()) {
            Finish(i, {TRowFailure::Other, "every numbered PDF name is taken", {}});
            continue;
        }
        TBatchEntry target = entry;
        target.fields[kFieldPdfPath] = pdfPath;
        TOutcome outcome;
        if (entry.fields[kFieldPrintCommand] == kPostScriptCommand) {
            outcome = ConvertPostScriptDocument(target);
        } else {
            const TPrintCommands commands = BuildPrintCommands(
                entry.fields[kFieldPrintCommand], entry.fields[kFieldDdeCommand], entry.fields[kFieldDocument]);
            // A document its command cannot name (a "%" in its path, say) is not converted: the
            // row says so rather than keep its busy look.
            outcome = !commands.printable
                          ? TOutcome::Failed
                          : PrintDocument(commands.commandLine, commands.ddeCommand, entry.fields[kFieldDdeApplication],
                                          entry.fields[kFieldDdeTopic], pdfPath);
        }
        if (outcome == TOutcome::Failed) {
            Finish(i, {TRowFailure::Other, {}, {}});
            continue;
        }
        if (Terminated()) {
            Post(BATCH_STOPPED);
            return;
        }
        if (outcome == TOutcome::Done) {
            FWritten.push_back(pdfPath);
            Finish(i, {TRowFailure::None, {}, pdfPath});
        } else {
            Finish(i, {TRowFailure::Stopped, {}, {}});
        }
    }
}

std::string TPrintFilesThread::ChoosePdfPath(const TBatchEntry& entry) const
{
    const PathTakenFn written = [this](const std::string& path) {
        return std::any_of(FWritten.begin(), FWritten.end(),
                           [&path](const std::string& w) { return SameDocument(w, path); });
    };
    return FinalPdfPath(
        entry.fields[kFieldPdfPath], entry.fields[kFieldDocument], FOverwrite,
        [](const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, written);
}

TPrintFilesThread::TOutcome TPrintFilesThread::ConvertPostScriptDocument(const TBatchEntry& entry)
{
    // The document stays as it is: the document information goes into a copy.
    const std::string copy = FSpoolFolder + kPsTempFileName;
    bool made = false;
    try {
        made = ::CopyFileA(entry.fields[kFieldDocument].c_str(), copy.c_str(), FALSE) &&
               ConvertToPdfFile(copy, entry.fields[kFieldPdfPath]);
    } catch (...) {
        made = false;
    }
    ::DeleteFileA(copy.c_str());
    return made ? TOutcome::Done : TOutcome::Failed;
}

TPrintFilesThread::TOutcome TPrintFilesThread::PrintDocument(const std::string& commandLine,
                                                             const std::string& ddeCommand,
                                                             const std::string& ddeApplication,
                                                             const std::string& ddeTopic, const std::string& outputPath)
{
    if (GetDefaultPrinterName() != kPrinterName)
        MakeDefaultPrinter(kPrinterName);
    TOutcome outcome = TOutcome::Failed;
    TPrintProcess process;
    if (!WriteDestFile(FSpoolFolder, outputPath)) {
        // Without the note the port would not know where the job goes.
    } else if (!StartPrintCommand(commandLine, process)) {
        ::DeleteFileA((FSpoolFolder + kDestNoteFileName).c_str());
    } else {
        bool started = true;
        // The job queue is no message queue: the conversation's own message loop takes nothing
        // of the watcher's.
        if (!ddeCommand.empty() && WaitMilliseconds(kDdePauseMs)) {
            const TDdeTarget target = DdeTargetFor(commandLine, ddeApplication, ddeTopic);
            started = ExecuteDdeCommand(target.application, target.topic, ddeCommand, kDdeConnectWaitMs);
        }
        if (!started) {
            EndPrintCommand(process, true);
        } else {
            outcome = WaitForJob(process, outputPath);
            EndPrintCommand(process, false);
        }
    }
    FindOrDeleteFiles(FSpoolFolder + "*.*", true);
    return outcome;
}

TPrintFilesThread::TOutcome TPrintFilesThread::WaitForJob(const TPrintProcess& process, const std::string& outputPath)
{
    std::optional<DWORD> lastAdded;
    HANDLE application = process.process.get(); // watched until it ends
    std::optional<DWORD> exitedAt;              // tick count when the print application ended
    for (;;) {
        // Once the print application has ended without a job, the job has a while to appear.
        DWORD timeout = INFINITE;
        if (exitedAt && !lastAdded) {
            const DWORD waited = ::GetTickCount() - *exitedAt;
            if (waited >= FJobGraceMs)
                return TOutcome::Failed;
            timeout = FJobGraceMs - waited;
        }
        TSpoolJob job;
        switch (FJobs->Take(FStop, application, timeout, job)) {
        case TJobQueue::TWait::Stopped:
        case TJobQueue::TWait::Failed:
            return TOutcome::Stopped;
        case TJobQueue::TWait::Closed:
            // No watcher reports jobs any more: this document's job will never be seen.
            return TOutcome::Failed;
        case TJobQueue::TWait::Signalled:
            application = nullptr;
            exitedAt = ::GetTickCount();
            continue;
        case TJobQueue::TWait::TimedOut:
            continue;
        case TJobQueue::TWait::Job:
            break;
        }
        if (job.kind == JOB_ADDED) {
            lastAdded = job.id;
            continue;
        }
        // Only this document's own job makes its PDF; a finished job of another ends the wait
        // without one.
        if (!lastAdded || (job.id == *lastAdded && job.kind == JOB_FINISHED))
            return CollectJob(job.id, outputPath) ? TOutcome::Done
                                                  : (Terminated() ? TOutcome::Stopped : TOutcome::Failed);
        return TOutcome::Failed;
    }
}

bool TPrintFilesThread::CollectJob(DWORD jobId, const std::string& outputPath)
{
    const std::string jobFile = FSpoolFolder + std::to_string(jobId);
    std::string psPath;
    bool read = false;
    for (int attempt = 0; attempt < kJobFileTries && !Terminated(); ++attempt) {
        win::UniqueHandle file(
            ::CreateFileA(jobFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file) {
            read = ReadSmallFile(file.get(), kMaxJobFileBytes, psPath);
            break;
        }
        ::WaitForSingleObject(FStop, kJobFileRetryMs);
    }
    ::DeleteFileA(jobFile.c_str());
    if (!read || psPath.empty())
        return false;
    bool made = false;
    if (!Terminated()) {
        try {
            made = ConvertToPdfFile(psPath, outputPath);
        } catch (...) {
            made = false;
        }
    }
    ::DeleteFileA(psPath.c_str());
    return made;
}

bool TPrintFilesThread::WaitMilliseconds(DWORD ms)
{
    // Sleeps on the stop instead of counting ticks.
    return ::WaitForSingleObject(FStop, ms) == WAIT_TIMEOUT;
}

} // namespace folimar
