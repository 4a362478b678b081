// The print-files thread.
#include "batch/pipeline/prnthread.h"

#include "base/printer_constants.h"
#include "batch/rules/print_command_rules.h"
#include "batch/pipeline/default_printer.h"
#include "batch/pipeline/job_handover.h"
#include "batch/pipeline/job_token.h"
#include "batch/pipeline/print_program_record.h"
#include "batch/pipeline/print_queue_watcher.h"
#include "batch/pipeline/row_conversion.h"
#include "batch/rules/print_activity.h"
#include "batch/rules/spool_job_rules.h"
#include "files/folders.h"
#include "files/small_file.h"
#include "files/text_rules.h"
#include "files/user_folders.h"
#include "jobprep/doc_info.h"
#include "render/pdf_conversion.h"
#include "render/pdf_output.h"
#include "port/batch_job.h"
#include "port/port_job.h"
#include "win/error_text.h"
#include "win/thread_wait.h"

#include <algorithm>
#include <set>
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
// How often a print that waits for its job is looked at for signs of life.
constexpr DWORD kLookEveryMs = 1000;

TRowResult Stopped()
{
    return {TRowFailure::Stopped, {}, {}};
}

TRowResult Failed(std::string detail = {})
{
    return {TRowFailure::Other, std::move(detail), {}};
}

TRowResult NotPrinted(DWORD limitMs)
{
    const DWORD seconds = (limitMs + 999) / 1000;
    return {TRowFailure::NotPrinted, seconds == kPrintLimitSeconds ? std::string() : std::to_string(seconds), {}};
}

enum class TJobIdRead { Read, Missing, Unreadable };

// Reads the job-id file at path. The port writes it whole by a rename, so a sharing conflict with
// its writer is brief: it is waited out for a while (cut short by stop, when there is one).
TJobIdRead ReadJobIdFile(const std::string& path, HANDLE stop, std::string& text)
{
    for (int attempt = 0; attempt < kJobFileTries; ++attempt) {
        win::UniqueHandle file(
            ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file)
            return ReadSmallFile(file.get(), kMaxJobFileBytes, text) ? TJobIdRead::Read : TJobIdRead::Unreadable;
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return TJobIdRead::Missing;
        if (!stop)
            ::Sleep(kJobFileRetryMs);
        else if (::WaitForSingleObject(stop, kJobFileRetryMs) != WAIT_TIMEOUT)
            return TJobIdRead::Unreadable;
    }
    return TJobIdRead::Unreadable;
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
      FStop(setup.stop), FJobs(setup.jobs), FJobGraceMs(setup.jobGraceMs), FPrintLimitMs(setup.printLimitMs),
      FJobsFolder(setup.jobsFolder.empty() ? DataFolderOf(AppDataFolder()) + porttool::kJobsFolderName
                                           : std::move(setup.jobsFolder)),
      FSingleJobProgram(setup.singleJobProgram.empty() ? SingleJobProgramBesideProgram()
                                                       : std::move(setup.singleJobProgram)),
      FPrintProgramNote(std::move(setup.printProgramNote)), FResults(setup.results),
      FBatchObject(std::move(setup.batchObject)), FOverwrite(setup.overwrite),
      FConverter({setup.converter.empty() ? ConverterBesideProgram() : setup.converter, setup.stop, setup.diskMargin})
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
    // Before the printer goes back: nothing of the batch renders on.
    FConverter.End();
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
    // What killed runs left in the output folders goes first, also where no PDF gets made now.
    std::set<std::string> folders;
    for (const TBatchEntry& entry : FListView)
        if (entry.image == kImageConvertible &&
            folders.insert(std::string(FolderPart(entry.fields[kFieldPdfPath]))).second)
            RemoveDeadTempPdfs(entry.fields[kFieldPdfPath]);
    for (size_t i = 0; i < FListView.size(); ++i) {
        const TBatchEntry& entry = FListView[i];
        if (entry.image != kImageConvertible)
            continue;
        if (Terminated()) {
            Post(BATCH_STOPPED);
            return;
        }
        Post(BATCH_ITEM_STARTED, i);
        FJobToken = porttool::JobToken(FBatchObject, i);
        TRowResult result;
        if (!FileExists(entry.fields[kFieldDocument])) {
            // Gone since it was added: no print program would ever print it.
            result = {TRowFailure::FileNotFound, {}, {}};
        } else if (const std::string pdfPath = ChoosePdfPath(entry); pdfPath.empty()) {
            result = Failed("every numbered PDF name is taken");
        } else {
            // The PDF's name is settled now, against the disk and this batch's own PDFs.
            TBatchEntry target = entry;
            target.fields[kFieldPdfPath] = pdfPath;
            result = entry.fields[kFieldPrintCommand] == kPostScriptCommand ? ConvertPostScriptDocument(target)
                                                                            : PrintEntry(target);
        }
        // Whatever failed under Stop was stopped (a render ended by it fails); a made PDF stays made.
        if (!result.Made() && Terminated()) {
            if (FResults)
                FResults->Set(i, Stopped());
            Post(BATCH_STOPPED);
            return;
        }
        if (result.Made())
            FWritten.push_back(result.pdfPath);
        Finish(i, std::move(result));
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

TRowResult TPrintFilesThread::ConvertPostScriptDocument(const TBatchEntry& entry)
{
    // The document stays as it is: the document information goes into a copy.
    const std::string copy = FSpoolFolder + kPsTempFileName;
    TRowResult result;
    try {
        DWORD error = ERROR_SUCCESS;
        if (win::CheckedCall(
                error, [&] { return ::CopyFileA(entry.fields[kFieldDocument].c_str(), copy.c_str(), FALSE) != FALSE; }))
            result = ConvertToPdfFile(copy, entry.fields[kFieldPdfPath]);
        else
            result = Failed("cannot copy the document: " + win::SystemErrorText(error));
    } catch (...) {
        result = Failed("unexpected error");
    }
    ::DeleteFileA(copy.c_str());
    return result;
}

TRowResult TPrintFilesThread::ConvertToPdfFile(const std::string& psFile, const std::string& pdfPath)
{
    CreateFolderPath(std::string(FolderPart(pdfPath)));
    // The job file is the batch's own: the document information is appended to it.
    TConvertRequest request{psFile, pdfPath, TDocInfoPlace::AppendToJob};
    request.renderer = &FConverter;
    request.stop = FStop;
    TPdfConversion conversion(std::move(request));
    return RowResultOf(conversion.Run(), pdfPath, FConverter.StartError());
}

TRowResult TPrintFilesThread::PrintEntry(const TBatchEntry& entry)
{
    const std::optional<std::string> name = NameForPrintProgram(entry.fields[kFieldDocument]);
    if (!name)
        return {
            TRowFailure::NameNotPrintable, "it has characters outside the system's code page and no short name", {}};
    const TPrintCommands commands =
        BuildPrintCommands(entry.fields[kFieldPrintCommand], entry.fields[kFieldDdeCommand], *name);
    // A print command with no place for the document, or with a placeholder it cannot fill,
    // prints nothing of it.
    if (!commands.printable)
        return {TRowFailure::NoPrintCommand, LowerAscii(FileExtension(entry.fields[kFieldDocument])), {}};
    // The Windows port monitor knows the row's job by its document name, which the note gives.
    const TRowNoteScope note(FSpoolFolder, RowNoteFor(FJobToken, entry.fields[kFieldDocument], *name));
    if (!note.Written())
        return Failed("cannot write the printer's note in " + FSpoolFolder);
    return PrintDocument(commands.commandLine, commands.ddeCommand, entry.fields[kFieldDdeApplication],
                         entry.fields[kFieldDdeTopic], entry.fields[kFieldPdfPath]);
}

TRowResult TPrintFilesThread::PrintDocument(const std::string& commandLine, const std::string& ddeCommand,
                                            const std::string& ddeApplication, const std::string& ddeTopic,
                                            const std::string& outputPath)
{
    if (GetDefaultPrinterName() != kPrinterName)
        MakeDefaultPrinter(kPrinterName);
    TRowResult result = Failed();
    TPrintProcess process;
    if (!WriteDestFile(FSpoolFolder, outputPath)) {
        // Without the note the port would not know where the job goes.
        result.detail = "cannot write the printer's note in " + FSpoolFolder;
    } else if (!StartPrintProgram(commandLine, process)) {
        result = {TRowFailure::PrintProgramFailed, win::SystemErrorText(win::LastErrorOr()), {}};
        ::DeleteFileA((FSpoolFolder + kDestNoteFileName).c_str());
    } else {
        const TPrintProgramRecord record(FPrintProgramNote, process);
        bool started = true;
        // The job queue is no message queue: the conversation's own message loop takes nothing
        // of the watcher's.
        if (!ddeCommand.empty() && WaitMilliseconds(kDdePauseMs)) {
            const TDdeTarget target = DdeTargetFor(commandLine, ddeApplication, ddeTopic);
            started = ExecuteDdeCommand(target.application, target.topic, ddeCommand, kDdeConnectWaitMs, FStop);
        }
        if (!started)
            result = Terminated() ? Stopped()
                                  : TRowResult{TRowFailure::PrintProgramFailed, "it did not take the DDE command", {}};
        else
            result = WaitForJob(process, outputPath);
        // A program that printed is asked to quit; one stopped, overdue or refused goes at once.
        EndPrintCommand(process, !result.Made());
    }
    HandOverLeftJobs();
    FindOrDeleteFiles(FSpoolFolder + "*.*", true);
    return result;
}

bool TPrintFilesThread::StartPrintProgram(const std::string& commandLine, TPrintProcess& process)
{
    // Reports of jobs that appeared before this print started belong to no job of this document.
    FJobs->Clear();
    TJobTokenScope token(FJobToken);
    return StartPrintCommand(commandLine, process);
}

TRowResult TPrintFilesThread::WaitForJob(const TPrintProcess& process, const std::string& outputPath)
{
    std::set<DWORD> added;                      // jobs that appeared since this document's print started
    HANDLE application = process.process.get(); // watched until it ends
    std::optional<DWORD> exitedAt;              // tick count when the print application ended
    TPrintActivity activity(::GetTickCount());
    for (;;) {
        // The limit holds from the last sign of life, also once a job was added: a job that
        // vanishes from the queue without a finished report ends the row too.
        const DWORD now = ::GetTickCount();
        activity.Look(now, ProcessorTimeMs(process), FolderFileBytes(FSpoolFolder));
        const DWORD quiet = activity.QuietMs(now);
        if (quiet >= FPrintLimitMs)
            return NotPrinted(FPrintLimitMs);
        DWORD timeout = std::min(kLookEveryMs, FPrintLimitMs - quiet);
        // Once the print application has ended without a job, the job has a while to appear.
        if (exitedAt && added.empty()) {
            const DWORD waited = now - *exitedAt;
            if (waited >= FJobGraceMs)
                return {TRowFailure::NoJob, {}, {}};
            timeout = std::min(timeout, FJobGraceMs - waited);
        }
        TSpoolJob job;
        switch (FJobs->Take(FStop, application, timeout, job)) {
        case TJobQueue::TWait::Stopped:
        case TJobQueue::TWait::Failed:
            return {TRowFailure::Stopped, {}, {}};
        case TJobQueue::TWait::Closed:
            return {TRowFailure::Other, "print jobs can no longer be seen", {}};
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
            added.insert(job.id);
            continue;
        }
        // A job that was there before this document's print started cannot be its own.
        if (job.kind != JOB_FINISHED || added.erase(job.id) == 0)
            continue;
        if (std::optional<TRowResult> result = CollectJob(job.id, outputPath))
            return *result;
    }
}

std::optional<TRowResult> TPrintFilesThread::CollectJob(DWORD jobId, const std::string& outputPath)
{
    const std::string jobFile = FSpoolFolder + std::to_string(jobId);
    std::string text;
    const TJobIdRead read = ReadJobIdFile(jobFile, FStop, text);
    ::DeleteFileA(jobFile.c_str());
    if (Terminated())
        return TRowResult{TRowFailure::Stopped, {}, {}};
    // The port announces every batch job before it reads as finished; a job without that file is
    // another program's ordinary print, which the port hands to single-job mode itself.
    if (read == TJobIdRead::Missing)
        return std::nullopt;
    if (read == TJobIdRead::Unreadable)
        return TRowResult{TRowFailure::Other, "the print job could not be read", {}};
    const porttool::TJobIdRecord job = porttool::ParseJobIdFile(text);
    switch (JudgeJob(job, IsPlainFileDirectlyIn(job.psPath, FSpoolFolder), FJobToken, true)) {
    case TJobVerdict::Refuse:
        // Whatever the file names is not ours to change or delete.
        return TRowResult{TRowFailure::JobRefused, "not a job the virtual printer captured: " + job.psPath, {}};
    case TJobVerdict::HandOver:
        // Another document's late job or another program's print: this document waits on for its own.
        HandOver(job.psPath);
        return std::nullopt;
    case TJobVerdict::Drop:
        ::DeleteFileA(job.psPath.c_str());
        return std::nullopt;
    case TJobVerdict::Take:
        break;
    }
    TRowResult result = Stopped();
    if (!Terminated()) {
        try {
            result = ConvertToPdfFile(job.psPath, outputPath);
        } catch (...) {
            result = Failed("unexpected error");
        }
    }
    ::DeleteFileA(job.psPath.c_str());
    return result;
}

void TPrintFilesThread::HandOverLeftJobs()
{
    for (DWORD id : JobIdsAnnouncedIn(FSpoolFolder)) {
        const std::string jobFile = FSpoolFolder + std::to_string(id);
        std::string text;
        if (ReadJobIdFile(jobFile, nullptr, text) != TJobIdRead::Read)
            continue;
        const porttool::TJobIdRecord job = porttool::ParseJobIdFile(text);
        // The row has ended: only its own late job goes with the folder.
        if (JudgeJob(job, IsPlainFileDirectlyIn(job.psPath, FSpoolFolder), FJobToken, false) == TJobVerdict::HandOver)
            HandOver(job.psPath);
        ::DeleteFileA(jobFile.c_str());
    }
}

void TPrintFilesThread::HandOver(const std::string& psPath)
{
    // A step that fails leaves the job where it got to: moved out of the spool folder first, it is
    // safe from the emptying of the folder unless that very move failed.
    HandJobToSingleJobMode(psPath, FJobsFolder, FSingleJobProgram);
}

bool TPrintFilesThread::WaitMilliseconds(DWORD ms)
{
    // Sleeps on the stop instead of counting ticks.
    return ::WaitForSingleObject(FStop, ms) == WAIT_TIMEOUT;
}

} // namespace folimar
