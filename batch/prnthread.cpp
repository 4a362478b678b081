// The print-files thread.
#include "batch/prnthread.h"

#include "base/printer_constants.h"
#include "batch/default_printer.h"
#include "batch/print_queue_watcher.h"
#include "files/folders.h"
#include "files/small_file.h"
#include "files/text_rules.h"
#include "jobprep/doc_info.h"
#include "render/gsapi.h"
#include "render/pdf_output.h"

#include <string>

namespace folimar {

namespace {

// Before a DDE command: the print application needs a moment to register its service.
constexpr DWORD kDdePauseMs = 1000;
// A job file is written whole by a rename; a sharing conflict with its writer is brief.
constexpr DWORD kJobFileRetryMs = 50;
constexpr int kJobFileTries = 200;
// A job file holds one path; anything longer is not a job file.
constexpr size_t kMaxJobFileBytes = 32768;

struct TDdeCall {
    TDdeTarget target;
    std::string command;
    bool accepted = false;
};

DWORD WINAPI DdeCallThread(LPVOID param)
{
    auto* call = static_cast<TDdeCall*>(param);
    call->accepted = ExecuteDdeCommand(call->target.application, call->target.topic, call->command);
    return 0;
}

// A DDE conversation runs a message loop of its own that takes the calling thread's messages, and
// with them the watcher's job messages that may already be queued: it runs on a thread of its own.
bool ExecuteDdeCommandAside(const TDdeTarget& target, const std::string& command)
{
    TDdeCall call{target, command};
    win::UniqueHandle thread(::CreateThread(nullptr, 0, &DdeCallThread, &call, 0, nullptr));
    if (!thread)
        return false;
    // The conversation ends by itself: its transaction has a time-out.
    ::WaitForSingleObject(thread.get(), INFINITE);
    return call.accepted;
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

bool ConvertToPdfFile(const std::string& psFile, const std::string& pdfPath)
{
    CreateFolderPath(std::string(FolderPart(pdfPath)));
    TTempPdf temp(pdfPath);
    if (!temp.valid())
        return false;
    if (!ConvertPsToPdf(psFile, temp.path()) || !PdfFileComplete(temp.path()))
        return false;
    DWORD error = 0;
    return PlacePdf(temp.path(), pdfPath, error);
}

TPrintFilesThread::TPrintFilesThread(bool createSuspended, HWND windowHandle, HANDLE mutex)
    : FWindowHandle(windowHandle), FMutexHandle(mutex)
{
    FSavedDefaultPrinter = GetDefaultPrinterName();
    if (FSavedDefaultPrinter != kPrinterName)
        MakeDefaultPrinter(kPrinterName);
    if (!createSuspended)
        Resume();
}

void TPrintFilesThread::Post(TBatchStatusCode code, size_t index)
{
    ::PostMessageA(FWindowHandle, WM_BATCH_STATUS, code, static_cast<LPARAM>(index));
}

void TPrintFilesThread::Execute()
{
    // The watcher's job messages need this thread's queue before any document starts.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    try {
        // On a fresh install the spool folder does not exist yet.
        CreateFolderPath(FSpoolFolder);
        RunList();
    } catch (...) {
        // Whatever went wrong, the printer is put back and the window learns that the batch ended.
    }
    RestoreDefaultPrinter();
    FMutexHandle.reset();
    Post(BATCH_FINISHED);
}

void TPrintFilesThread::RestoreDefaultPrinter()
{
    if (FSavedDefaultPrinter != kPrinterName)
        MakeDefaultPrinter(FSavedDefaultPrinter);
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
        TOutcome outcome;
        if (entry.fields[kFieldPrintCommand] == kPostScriptCommand) {
            outcome = ConvertPostScriptDocument(entry);
        } else {
            const TPrintCommands commands = BuildPrintCommands(
                entry.fields[kFieldPrintCommand], entry.fields[kFieldDdeCommand], entry.fields[kFieldDocument]);
            // A document its command cannot name (a "%" in its path, say) is not converted: the
            // row says so rather than keep its busy look.
            outcome = !commands.printable
                          ? TOutcome::Failed
                          : PrintDocument(commands.commandLine, commands.ddeCommand, entry.fields[kFieldDdeApplication],
                                          entry.fields[kFieldDdeTopic], entry.fields[kFieldPdfPath]);
        }
        if (outcome == TOutcome::Failed) {
            Post(BATCH_ITEM_FAILED, i);
            continue;
        }
        if (Terminated()) {
            Post(BATCH_STOPPED);
            return;
        }
        Post(outcome == TOutcome::Done ? BATCH_ITEM_DONE : BATCH_ITEM_FAILED, i);
    }
}

TPrintFilesThread::TOutcome TPrintFilesThread::ConvertPostScriptDocument(const TBatchEntry& entry)
{
    // The document stays as it is: the document information goes into a copy.
    const std::string copy = FSpoolFolder + kPsTempFileName;
    bool made = false;
    try {
        if (::CopyFileA(entry.fields[kFieldDocument].c_str(), copy.c_str(), FALSE)) {
            AppendDocInfo(copy);
            made = ConvertToPdfFile(copy, entry.fields[kFieldPdfPath]);
        }
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
        if (!ddeCommand.empty() && WaitMilliseconds(kDdePauseMs)) {
            started = ExecuteDdeCommandAside(DdeTargetFor(commandLine, ddeApplication, ddeTopic), ddeCommand);
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
    HANDLE handles[2] = {StopPrintEvent(), process.process.get()};
    DWORD count = process.process ? 2 : 1;
    std::optional<DWORD> exitedAt; // tick count when the print application ended
    for (;;) {
        // Once the print application has ended without a job, the job has a while to appear.
        DWORD timeout = INFINITE;
        if (exitedAt && !lastAdded) {
            const DWORD waited = ::GetTickCount() - *exitedAt;
            if (waited >= FJobGraceMs)
                return TOutcome::Failed;
            timeout = FJobGraceMs - waited;
        }
        const DWORD r = ::MsgWaitForMultipleObjects(count, handles, FALSE, timeout, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED)
            return TOutcome::Stopped;
        if (count == 2 && r == WAIT_OBJECT_0 + 1) {
            count = 1;
            exitedAt = ::GetTickCount();
            continue;
        }
        MSG msg;
        while (::PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) {
            if (msg.message != WM_SPOOL_JOB)
                continue;
            const auto jobId = static_cast<DWORD>(msg.wParam);
            if (msg.lParam == JOB_ADDED) {
                lastAdded = jobId;
                continue;
            }
            // Only this document's own job makes its PDF; a finished job of another ends the wait
            // without one.
            if (!lastAdded || (jobId == *lastAdded && msg.lParam == JOB_FINISHED))
                return CollectJob(jobId, outputPath) ? TOutcome::Done
                                                     : (Terminated() ? TOutcome::Stopped : TOutcome::Failed);
            return TOutcome::Failed;
        }
        if (Terminated())
            return TOutcome::Stopped;
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
        ::WaitForSingleObject(TerminateEvent(), kJobFileRetryMs);
    }
    ::DeleteFileA(jobFile.c_str());
    if (!read || psPath.empty())
        return false;
    bool made = false;
    if (!Terminated()) {
        try {
            AppendDocInfo(psPath);
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
    // Sleeps on the stop request instead of counting ticks.
    return ::WaitForSingleObject(TerminateEvent(), ms) == WAIT_TIMEOUT;
}

} // namespace folimar
