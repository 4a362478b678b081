// Starting and winding up one batch.
#include "batch/batch_run.h"

#include "base/printer_constants.h"
#include "batch/default_printer.h"
#include "files/folders.h"
#include "files/small_file.h"
#include "files/user_folders.h"
#include "win/thread_wait.h"

namespace folimar {

std::string SpoolFolderPath()
{
    return SpoolFolderOf(AppDataFolder());
}

namespace {

// "<application data>\QUORPSFILES\~printer.tmp": the default printer a running batch replaced.
std::string PrinterNotePath()
{
    return DataFolderOf(AppDataFolder()) + kPrinterNoteFileName;
}

} // namespace

void RestorePrinterAfterLostBatch()
{
    const std::string note = PrinterNotePath();
    if (!FileExists(note))
        return;
    bool running = false;
    win::UniqueHandle mutex = CreateBatchMutex(running);
    if (running)
        return;
    win::UniqueHandle file(
        ::CreateFileA(note.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string name;
    if (file && ReadSmallFile(file.get(), MAX_PATH, name) && !name.empty() && GetDefaultPrinterName() == kPrinterName)
        MakeDefaultPrinter(name);
    file.reset();
    ::DeleteFileA(note.c_str());
}

win::UniqueHandle CreateBatchMutex(bool& alreadyRunning)
{
    win::UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, kBatchMutexName));
    alreadyRunning = mutex && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (alreadyRunning)
        mutex.reset();
    return mutex;
}

TBatchThreads StartBatch(HWND window, win::UniqueHandle mutex, std::vector<TBatchEntry> entries,
                         const std::string& spoolFolder, TWatcherParams& params)
{
    // A stop that no wait took belongs to an earlier batch.
    ::ResetEvent(StopPrintEvent());
    ::ResetEvent(StopWatcherEvent());
    TBatchThreads batch;
    batch.printThread = std::make_unique<TPrintFilesThread>(true, window, mutex.release());
    if (!batch.printThread->Valid()) {
        batch.printThread->RestoreDefaultPrinter();
        batch.printThread.reset();
        return batch;
    }
    // Kept until the batch ends, so that a killed run's printer can be put back at the next start.
    if (batch.printThread->SavedDefaultPrinter() != kPrinterName && !batch.printThread->SavedDefaultPrinter().empty())
        WriteTextFile(PrinterNotePath(), batch.printThread->SavedDefaultPrinter());
    batch.printThread->FListView = std::move(entries);
    batch.printThread->FSpoolFolder = spoolFolder;
    CreateFolderPath(spoolFolder);
    FindOrDeleteFiles(spoolFolder + kCapturedJobPattern, true);
    params.printThreadId = batch.printThread->ThreadID();
    params.spoolFolder = spoolFolder;
    batch.watcher.reset(::CreateThread(nullptr, 0, &PrintQueueWatcher, &params, 0, nullptr));
    if (batch.watcher)
        ::SetThreadPriority(batch.watcher.get(), THREAD_PRIORITY_ABOVE_NORMAL);
    batch.printThread->Resume();
    return batch;
}

void StopBatch(TBatchThreads& batch)
{
    ::SetEvent(StopPrintEvent());
    if (batch.printThread)
        batch.printThread->Terminate();
}

void EndBatch(TBatchThreads& batch)
{
    if (batch.printThread) {
        batch.printThread->WaitFor();
        batch.printThread.reset();
        // The thread has put the printer back.
        ::DeleteFileA(PrinterNotePath().c_str());
    }
    ::SetEvent(StopWatcherEvent());
    if (batch.watcher) {
        win::WaitServingSentMessages(batch.watcher.get());
        batch.watcher.reset();
    }
}

} // namespace folimar
