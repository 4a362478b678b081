// Starting and winding up one batch.
#include "batch/pipeline/batch_run.h"

#include "base/printer_constants.h"
#include "batch/pipeline/default_printer.h"
#include "files/folders.h"
#include "files/small_file.h"
#include "files/text_rules.h"
#include "files/user_folders.h"
#include "port/batch_job.h"
#include "win/error_text.h"
#include "win/thread_wait.h"

namespace folimar {

namespace {

// The user's printer as it was before a batch: that printer, or no default printer at all.
void PutBackDefaultPrinter(const std::string& saved)
{
    if (saved.empty())
        ClearDefaultPrinter();
    else
        MakeDefaultPrinter(saved);
}

// The batch's own named object, held while the batch takes jobs: the ports hand a job to the
// batch only while the object its token names exists. Its name is new for every batch.
win::UniqueHandle CreateBatchObject(std::string& name, DWORD& error)
{
    DWORD tick = ::GetTickCount();
    for (int tries = 0; tries < 100; ++tries, ++tick) {
        name = porttool::BatchObjectName(::GetCurrentProcessId(), tick);
        win::UniqueHandle object(::CreateMutexA(nullptr, FALSE, name.c_str()));
        if (!object) {
            error = win::LastErrorOr();
            return {};
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return object;
    }
    error = ERROR_ALREADY_EXISTS;
    return {};
}

} // namespace

std::string SpoolFolderPath()
{
    return SpoolFolderOf(AppDataFolder());
}

std::string PrinterNotePath()
{
    return DataFolderOf(AppDataFolder()) + kPrinterNoteFileName;
}

void RestorePrinterAfterLostBatch()
{
    const std::string note = PrinterNotePath();
    if (!FileExists(note))
        return;
    bool running = false;
    DWORD error = 0;
    win::UniqueHandle mutex = CreateBatchMutex(kBatchMutexName, running, error);
    if (running)
        return;
    win::UniqueHandle file(
        ::CreateFileA(note.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string name;
    // An empty note: there was no default printer before the killed batch.
    if (file && ReadSmallFile(file.get(), MAX_PATH, name) && GetDefaultPrinterName() == kPrinterName)
        PutBackDefaultPrinter(name);
    file.reset();
    ::DeleteFileA(note.c_str());
}

void RemovePortNotesOfLostBatch(const std::string& spoolFolder, const std::string& mutexName)
{
    // Opened, not created: a batch starting meanwhile in another instance must not be refused.
    if (win::UniqueHandle running{::OpenMutexA(SYNCHRONIZE, FALSE, mutexName.c_str())})
        return;
    for (const char* note : {kDestNoteFileName, kRowNoteFileName})
        ::DeleteFileA((spoolFolder + note).c_str());
}

win::UniqueHandle CreateBatchMutex(const std::string& name, bool& alreadyRunning, DWORD& error)
{
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD code = ::GetLastError();
    alreadyRunning = mutex && code == ERROR_ALREADY_EXISTS;
    if (!mutex)
        error = code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE;
    win::UniqueHandle owned(mutex);
    if (alreadyRunning)
        owned.reset();
    return owned;
}

// Everything one batch holds, shared by its two threads and the window's; freed only after both
// threads have ended.
struct TBatch::TRun {
    TJobQueue jobs;
    TRowResults results;
    win::UniqueHandle mutex;       // closed by the print-files thread as it ends
    win::UniqueHandle batchObject; // likewise: from then on jobs go to the ordinary path
    std::string savedPrinter;
    std::string printerNote;
    win::UniqueHandle stop; // manual reset: seen by every wait of both threads
    TWatcherParams watcherParams;
    win::UniqueHandle watcher;
    std::unique_ptr<TPrintFilesThread> printFiles;

    // On the print-files thread, however its list ended: jobs are no longer taken, the user's
    // printer comes back (unless it was the virtual printer; no default printer when there was
    // none; a removed one cannot, and the virtual printer stays) and the mutex goes, so another
    // batch may start.
    void WindUp()
    {
        batchObject.reset();
        if (savedPrinter != kPrinterName && GetDefaultPrinterName() == kPrinterName)
            PutBackDefaultPrinter(savedPrinter);
        mutex.reset();
    }

    // Ends the watcher and waits for it.
    void EndWatcher()
    {
        ::SetEvent(stop.get());
        if (watcher)
            win::WaitServingSentMessages(watcher.get());
        watcher.reset();
    }
};

TBatch::TBatch() = default;

TBatch::~TBatch()
{
    Stop();
    End();
}

TBatchStart TBatch::Start(TBatchSetup setup, DWORD& error)
{
    if (FRun) {
        error = ERROR_BUSY;
        return TBatchStart::Failed;
    }
    auto run = std::make_unique<TRun>();
    if (!run->jobs.Valid()) {
        error = win::LastErrorOr();
        return TBatchStart::Failed;
    }
    bool elsewhere = false;
    run->mutex = CreateBatchMutex(setup.mutexName, elsewhere, error);
    if (elsewhere)
        return TBatchStart::RunningElsewhere;
    if (!run->mutex)
        return TBatchStart::Failed;
    run->stop.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!run->stop) {
        error = win::LastErrorOr();
        return TBatchStart::Failed;
    }

    std::string batchObject;
    run->batchObject = CreateBatchObject(batchObject, error);
    if (!run->batchObject)
        return TBatchStart::Failed;

    run->savedPrinter = GetDefaultPrinterName();
    // Kept until the batch ends, so that a killed run's printer can be put back at the next start:
    // written (in a folder made for it on a new profile) before the printer is switched, and a
    // batch that cannot note the printer does not switch it. Empty: there was no default printer.
    run->printerNote = setup.printerNote;
    if (!run->printerNote.empty() && run->savedPrinter != kPrinterName) {
        if (!CreateFolderPath(std::string(FolderPart(run->printerNote))) ||
            !WriteTextFile(run->printerNote, run->savedPrinter)) {
            error = win::LastErrorOr();
            ::DeleteFileA(run->printerNote.c_str());
            return TBatchStart::Failed;
        }
    }
    if (run->savedPrinter != kPrinterName)
        MakeDefaultPrinter(kPrinterName);

    // The spool folder is made here and nowhere else in a batch; captured jobs of earlier runs go.
    CreateFolderPath(setup.spoolFolder);
    FindOrDeleteFiles(setup.spoolFolder + kCapturedJobPattern, true);

    TWatcherParams& params = run->watcherParams;
    lstrcpynA(params.printerName, kPrinterName, sizeof params.printerName);
    params.stopEvent = run->stop.get();
    params.jobs = &run->jobs;
    params.spoolFolder = setup.spoolFolder;
    run->watcher.reset(::CreateThread(nullptr, 0, &PrintQueueWatcher, &params, 0, nullptr));
    if (run->watcher)
        ::SetThreadPriority(run->watcher.get(), THREAD_PRIORITY_ABOVE_NORMAL);
    else
        run->jobs.Close(); // no job will be reported: a document waiting for one fails

    TPrintFilesSetup files;
    files.window = setup.window;
    files.entries = std::move(setup.entries);
    files.spoolFolder = setup.spoolFolder;
    files.stop = run->stop.get();
    files.jobs = &run->jobs;
    files.jobGraceMs = setup.jobGraceMs;
    files.results = &run->results;
    files.converter = setup.converter;
    files.diskMargin = setup.diskMargin;
    files.batchObject = batchObject;
    files.printLimitMs = setup.printLimitMs;
    files.jobsFolder = std::move(setup.jobsFolder);
    files.singleJobProgram = std::move(setup.singleJobProgram);
    files.printProgramNote = std::move(setup.printProgramNote);
    files.overwrite = setup.overwrite;
    run->printFiles = std::make_unique<TPrintFilesThread>(std::move(files));
    if (!run->printFiles->Start([r = run.get()] { r->WindUp(); }, error)) {
        run->WindUp();
        run->EndWatcher();
        if (!run->printerNote.empty())
            ::DeleteFileA(run->printerNote.c_str());
        return TBatchStart::Failed;
    }
    FRun = std::move(run);
    return TBatchStart::Started;
}

void TBatch::Stop()
{
    if (FRun)
        ::SetEvent(FRun->stop.get());
}

std::optional<TRowResult> TBatch::RowResult(size_t index) const
{
    return FRun ? FRun->results.Get(index) : std::nullopt;
}

void TBatch::End()
{
    if (!FRun)
        return;
    FRun->printFiles->WaitFor();
    // The thread has put the printer back.
    if (!FRun->printerNote.empty())
        ::DeleteFileA(FRun->printerNote.c_str());
    FRun->EndWatcher();
    FRun.reset();
}

} // namespace folimar
