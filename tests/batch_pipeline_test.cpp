// The batch pipeline without the window: whole runs of the print-files thread, and batches.
// (The job queue, the watcher and the job rules are in job_queue_test.cpp; which job a row takes
// and how long it waits for one in batch_jobs_test.cpp.)
#include "tests/gtest_win.h"

#include "base/printer_constants.h"
#include "batch/pipeline/batch_run.h"
#include "batch/pipeline/default_printer.h"
#include "batch/pipeline/job_queue.h"
#include "batch/pipeline/print_queue_watcher.h"
#include "batch/pipeline/prnthread.h"
#include "files/folders.h"
#include "tests/batch_test_support.h"
#include "port/batch_job.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/print_app_stub.h"
#include "tests/print_files_fixture.h"
#include "tests/temp_dir.h"
#include "tests/test_window.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace folimar;

using testing_support::FileNamesIn;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

// A small PostScript document of pages pages with a title.
std::string PostScript(const std::string& title, int pages)
{
    return testing_support::PostScriptDocument(title, pages);
}

// Runs the print-files thread over a list, as a batch does, and collects its statuses.
class PrintFilesRun : public testing_support::PrintFilesFixture {
protected:
    PrintFilesRun() : PrintFilesFixture("FolimarBatchTest") {}

    // A new thread over entries with a new job queue.
    TPrintFilesThread& Make(std::vector<TBatchEntry> entries, DWORD jobGraceMs = kJobGraceAfterExitMs,
                            DWORD printLimitMs = kPrintLimitSeconds * 1000)
    {
        TPrintFilesSetup setup = Setup(std::move(entries));
        setup.jobGraceMs = jobGraceMs;
        setup.batchObject = batchObject_;
        setup.printLimitMs = printLimitMs;
        return Launch(std::move(setup));
    }

    static void Start(TPrintFilesThread& thread, std::function<void()> windUp = {})
    {
        DWORD error = 0;
        ASSERT_TRUE(thread.Start(std::move(windUp), error)) << error;
    }

    using PrintFilesFixture::Collect;
    std::vector<Status> Collect(TPrintFilesThread& thread, const std::function<void(const Status&)>& onStatus = {})
    {
        return Collect([&] { thread.WaitFor(); }, onStatus);
    }

    std::vector<Status> Run(std::vector<TBatchEntry> entries)
    {
        TPrintFilesThread& thread = Make(std::move(entries));
        Start(thread);
        return Collect(thread);
    }

    // What a run posts when each of its rows fails.
    static std::vector<Status> EachRowFailed(int rows)
    {
        std::vector<Status> statuses;
        for (int row = 0; row < rows; ++row) {
            statuses.emplace_back(BATCH_ITEM_STARTED, row);
            statuses.emplace_back(BATCH_ITEM_FAILED, row);
        }
        statuses.emplace_back(BATCH_FINISHED, 0);
        return statuses;
    }

    std::string batchObject_ = porttool::BatchObjectName(::GetCurrentProcessId(), 1);
    // A print command that starts and ends at once without printing anything.
    std::string quickCommand_ = "C:\\windows\\system32\\cmd.exe /c rem \"%1\"";
};

TEST_F(PrintFilesRun, AnEmptyListOnlyFinishes)
{
    EXPECT_EQ(Run({}), (std::vector<Status>{{BATCH_FINISHED, 0}}));
}

TEST_F(PrintFilesRun, TheWindUpRunsBeforeBatchFinishedEvenWhenItFails)
{
    TPrintFilesThread& thread = Make({});
    bool woundUp = false;
    Start(thread, [&] {
        woundUp = true;
        throw std::runtime_error("the printer cannot be put back");
    });
    bool woundUpAtFinish = false;
    const auto got = Collect(thread, [&](const Status&) { woundUpAtFinish = woundUp; });
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_FINISHED, 0}}));
    EXPECT_TRUE(woundUpAtFinish);
}

TEST_F(PrintFilesRun, PostScriptDocumentsAreConvertedFromACopy)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    const std::string source = PostScript("Quarterly figures", 3);
    ASSERT_TRUE(WriteFileBytes(folder_ + "report.ps", source));
    ASSERT_TRUE(WriteFileBytes(folder_ + "broken.ps", "%!PS\n/nosuchoperator foo\n"));
    TBatchEntry skipped = Entry(folder_ + "report.ps", ".ps", folder_ + "skipped.pdf");
    skipped.image = 0;
    const auto got = Run({Entry(folder_ + "report.ps", ".ps", folder_ + "out\\report.pdf"), skipped,
                          Entry(folder_ + "broken.ps", ".ps", folder_ + "broken.pdf")});
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0},
                                        {BATCH_ITEM_DONE, 0},
                                        {BATCH_ITEM_STARTED, 2},
                                        {BATCH_ITEM_FAILED, 2},
                                        {BATCH_FINISHED, 0}}));
    EXPECT_EQ(ReadFileBytes(folder_ + "report.ps"), source) << "the document itself is never changed";
    EXPECT_EQ(testing_support::PdfInfoField(folder_ + "out\\report.pdf", "Pages"), "3");
    EXPECT_EQ(testing_support::PdfInfoField(folder_ + "out\\report.pdf", "Title"), "Quarterly figures");
    EXPECT_FALSE(FileExists(folder_ + "skipped.pdf"));
    EXPECT_FALSE(FileExists(folder_ + "broken.pdf"));
    EXPECT_FALSE(FileExists(spool_ + kPsTempFileName));
}

TEST_F(PrintFilesRun, DocumentsWithoutAUsableCommandFailWithoutStartingAnything)
{
    const auto got = Run({Entry(folder_ + "a.xyz", "viewer.exe /p", folder_ + "a.pdf"),
                          Entry(folder_ + "b.xyz", "", folder_ + "b.pdf"),
                          Entry(folder_ + "c.XYZ", "viewer.exe /p \"%1\" %2", folder_ + "c.pdf")});
    EXPECT_EQ(got, EachRowFailed(3));
    for (size_t row = 0; row < 3; ++row)
        EXPECT_EQ(RowFailureText(*results_.Get(row)), "no program can print .xyz files") << row;
    EXPECT_FALSE(FileExists(spool_ + kDestNoteFileName)) << "nothing was printed";
}

TEST_F(PrintFilesRun, ADocumentGoneSinceItWasAddedFailsAtOnceAsNotFound)
{
    TBatchEntry gone = Entry(folder_ + "gone.txt", quickCommand_, folder_ + "gone.pdf");
    TBatchEntry goneScript = Entry(folder_ + "gone.ps", ".ps", folder_ + "gone.ps.pdf");
    ASSERT_TRUE(::DeleteFileA(gone.fields[kFieldDocument].c_str()));
    // The grace is longer than the test's patience: only the check before printing ends the row.
    TPrintFilesThread& thread = Make({gone, goneScript}, 600000);
    Start(thread);
    EXPECT_EQ(Collect(thread), EachRowFailed(2));
    for (size_t row = 0; row < 2; ++row)
        EXPECT_EQ(RowFailureText(*results_.Get(row)), "file not found") << row;
    EXPECT_FALSE(FileExists(spool_ + kDestNoteFileName)) << "nothing was printed";
}

TEST_F(PrintFilesRun, APrintProgramThatShowsNoJobWithinTheLimitIsEndedAndItsRowFails)
{
    // A program that takes the document and never prints; it holds a mutex while it lives.
    const std::string mutexName = "FolimarNeverPrints" + std::to_string(::GetCurrentProcessId());
    const std::string command = "\"" + testing_support::StubProgram() + "\" hold " + mutexName + " \"%1\"";
    TPrintFilesThread& thread = Make({Entry(folder_ + "a.txt", command, folder_ + "a.pdf")}, 600000, 3000);
    Start(thread);
    EXPECT_EQ(Collect(thread), EachRowFailed(1));
    EXPECT_EQ(results_.Get(0)->failure, TRowFailure::NotPrinted);
    // Ended before its 60 s: its mutex is abandoned, or it never lived to take it.
    win::UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, mutexName.c_str()));
    if (mutex) {
        const DWORD waited = ::WaitForSingleObject(mutex.get(), 30000);
        EXPECT_EQ(waited, static_cast<DWORD>(WAIT_ABANDONED)) << "the print program still runs";
        if (waited != WAIT_TIMEOUT)
            ::ReleaseMutex(mutex.get());
    }
    EXPECT_EQ(FileNamesIn(spool_), std::vector<std::string>{});
}

TEST_F(PrintFilesRun, APrintCommandThatCannotStartFailsAndLeavesNoDestFile)
{
    const auto got = Run({Entry(folder_ + "a.txt", "C:\\no\\such\\printer.exe /p \"%1\"", folder_ + "a.pdf")});
    EXPECT_EQ(got, EachRowFailed(1));
    EXPECT_FALSE(FileExists(spool_ + kDestNoteFileName));
}

TEST_F(PrintFilesRun, APrintApplicationThatEndsWithoutAJobFailsAfterTheGrace)
{
    TPrintFilesThread& thread = Make({Entry(folder_ + "a.txt", quickCommand_, folder_ + "a.pdf")}, 300);
    Start(thread);
    EXPECT_EQ(Collect(thread), EachRowFailed(1));
}

TEST_F(PrintFilesRun, ADocumentWhoseJobNoWatcherCanReportFailsAtOnce)
{
    // Only the closed queue can end this wait: the grace is longer than the test's patience.
    TPrintFilesThread& thread = Make({Entry(folder_ + "a.txt", quickCommand_, folder_ + "a.pdf"),
                                      Entry(folder_ + "b.txt", quickCommand_, folder_ + "b.pdf")},
                                     600000);
    jobs_->Close();
    Start(thread);
    EXPECT_EQ(Collect(thread), EachRowFailed(2));
    EXPECT_EQ(FileNamesIn(spool_), std::vector<std::string>{});
}

// Which job a row takes: batch_jobs_test.cpp.

TEST_F(PrintFilesRun, StopWhileWaitingForAJobEndsTheBatchWithoutAResult)
{
    // The command ends at once; with no job the wait goes on until the stop.
    TPrintFilesThread& thread = Make({Entry(folder_ + "a.txt", quickCommand_, folder_ + "a.pdf"),
                                      Entry(folder_ + "b.txt", quickCommand_, folder_ + "b.pdf")},
                                     60000);
    Start(thread);
    const auto got = Collect(thread, [&](const Status& s) {
        if (s.first == BATCH_ITEM_STARTED) {
            ::Sleep(300);
            ::SetEvent(stop_.get());
        }
    });
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_STOPPED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_EQ(FileNamesIn(spool_), std::vector<std::string>{});
}

TEST_F(PrintFilesRun, AStopBeforeTheFirstDocumentStartsNothing)
{
    ASSERT_TRUE(WriteFileBytes(folder_ + "a.ps", PostScript("A", 1)));
    TPrintFilesThread& thread = Make({Entry(folder_ + "a.ps", ".ps", folder_ + "a.pdf")});
    ::SetEvent(stop_.get());
    Start(thread);
    EXPECT_EQ(Collect(thread), (std::vector<Status>{{BATCH_STOPPED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_FALSE(FileExists(folder_ + "a.pdf"));
}

// Whole batches: the mutex, the default printer and its note, the spool folder, the stop.
class BatchRun : public PrintFilesRun {
protected:
    void SetUp() override
    {
        saved_ = Read("Windows", "Device");
        ::WriteProfileStringA("Devices", kPrinterName, "wineps.drv,|true");
        ::WriteProfileStringA("Devices", "Office Laser", "winspool,LPT1:");
    }
    void TearDown() override
    {
        batch_.Stop();
        batch_.End();
        ::WriteProfileStringA("Devices", "Office Laser", nullptr);
        ::WriteProfileStringA("Devices", kPrinterName, nullptr);
        ::WriteProfileStringA("Windows", "Device", saved_.c_str());
    }
    static std::string Read(const char* section, const char* key)
    {
        char value[260] = {};
        DWORD n = ::GetProfileStringA(section, key, "", value, sizeof value);
        return std::string(value, n);
    }
    TBatchSetup Setup(std::vector<TBatchEntry> entries, DWORD jobGraceMs = kJobGraceAfterExitMs)
    {
        TBatchSetup setup;
        setup.window = window_.get();
        setup.entries = std::move(entries);
        setup.spoolFolder = spool_;
        setup.printerNote = note_;
        setup.mutexName = mutexName_;
        setup.jobGraceMs = jobGraceMs;
        return setup;
    }
    TBatchStart Start(TBatchSetup setup)
    {
        DWORD error = 0;
        return batch_.Start(std::move(setup), error);
    }
    std::vector<Status> Collect(const std::function<void(const Status&)>& onStatus = {})
    {
        return PrintFilesRun::Collect([&] { batch_.End(); }, onStatus);
    }
    // A document whose print application ends at once and whose job never comes: it waits.
    TBatchEntry Waiting() { return Entry(folder_ + "a.txt", quickCommand_, folder_ + "a.pdf"); }

    std::string saved_;
    std::string note_ = folder_ + "printer.note";
    // Of this test program alone: other tests of the prefix may run batches meanwhile.
    std::string mutexName_ = "FolimarTestBatch-" + std::to_string(::GetCurrentProcessId());
    TBatch batch_;
};

TEST_F(BatchRun, TheVirtualPrinterIsTheDefaultDuringTheBatchAndTheUsersComesBackAfterIt)
{
    ::WriteProfileStringA("Windows", "Device", "Office Laser,winspool,LPT1:");
    ASSERT_EQ(Start(Setup({Waiting()})), TBatchStart::Started);
    EXPECT_EQ(GetDefaultPrinterName(), kPrinterName) << "the start switches the printer";
    EXPECT_EQ(ReadFileBytes(note_), "Office Laser") << "the replaced printer is noted while the batch runs";
    EXPECT_TRUE(DirectoryExists(spool_)) << "the start makes the spool folder";
    const auto got = Collect([&](const Status& s) {
        if (s.first == BATCH_ITEM_STARTED)
            batch_.Stop();
    });
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_STOPPED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_EQ(Read("Windows", "Device"), "Office Laser,winspool,LPT1:");
    EXPECT_FALSE(FileExists(note_));
    EXPECT_FALSE(batch_.Running());
}

TEST_F(BatchRun, WithoutAnEarlierDefaultThereIsNoneAfterwards)
{
    ::WriteProfileStringA("Windows", "Device", "");
    ASSERT_EQ(Start(Setup({Waiting()})), TBatchStart::Started);
    EXPECT_EQ(GetDefaultPrinterName(), kPrinterName) << "the start switches the printer";
    EXPECT_TRUE(FileExists(note_)) << "a killed batch must know that there was no default printer";
    EXPECT_EQ(ReadFileBytes(note_), "");
    Collect([&](const Status& s) {
        if (s.first == BATCH_ITEM_STARTED)
            batch_.Stop();
    });
    EXPECT_EQ(Read("Windows", "Device"), "");
    EXPECT_FALSE(FileExists(note_));
}

// On a new profile the note's folder does not exist yet: it is made before the printer switches.
TEST_F(BatchRun, TheNoteOfTheUsersPrinterIsWrittenIntoAFolderMadeForIt)
{
    ::WriteProfileStringA("Windows", "Device", "Office Laser,winspool,LPT1:");
    TBatchSetup setup = Setup({Waiting()});
    setup.printerNote = folder_ + "new profile\\QUORPSFILES\\~printer.tmp";
    ASSERT_EQ(Start(std::move(setup)), TBatchStart::Started);
    EXPECT_EQ(ReadFileBytes(folder_ + "new profile\\QUORPSFILES\\~printer.tmp"), "Office Laser");
    Collect([&](const Status& s) {
        if (s.first == BATCH_ITEM_STARTED)
            batch_.Stop();
    });
    EXPECT_EQ(Read("Windows", "Device"), "Office Laser,winspool,LPT1:");
}

// A batch that cannot note the user's printer would leave the virtual printer the default when
// killed: it does not start, and the printer stays as it was.
TEST_F(BatchRun, ABatchThatCannotNoteThePrinterDoesNotSwitchIt)
{
    ::WriteProfileStringA("Windows", "Device", "Office Laser,winspool,LPT1:");
    ASSERT_TRUE(WriteFileBytes(folder_ + "a file", "not a folder"));
    TBatchSetup setup = Setup({Waiting()});
    setup.printerNote = folder_ + "a file\\~printer.tmp";
    DWORD error = 0;
    EXPECT_EQ(batch_.Start(std::move(setup), error), TBatchStart::Failed);
    EXPECT_NE(error, 0u);
    EXPECT_FALSE(batch_.Running());
    EXPECT_EQ(Read("Windows", "Device"), "Office Laser,winspool,LPT1:");
    ASSERT_EQ(Start(Setup({})), TBatchStart::Started) << "the batch mutex was released";
    Collect();
}

// A top-level window of another program: on a thread of its own, it notes the default printer
// each time it is told that the "windows" settings changed.
class SettingListener {
public:
    SettingListener()
        : ready_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          thread_(::CreateThread(nullptr, 0, &SettingListener::Run, this, 0, &threadId_))
    {
        if (thread_)
            ::WaitForSingleObject(ready_.get(), 30000);
    }
    // What it was told, once its thread has ended.
    std::vector<std::string> Stop()
    {
        ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        ::WaitForSingleObject(thread_.get(), 30000);
        return seen_;
    }
    bool Valid() const { return thread_.valid(); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_SETTINGCHANGE && lParam && std::string(reinterpret_cast<const char*>(lParam)) == "windows") {
            if (auto* self = reinterpret_cast<SettingListener*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
                self->seen_.push_back(GetDefaultPrinterName());
        }
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    static DWORD WINAPI Run(LPVOID param)
    {
        auto* self = static_cast<SettingListener*>(param);
        WNDCLASSA wc{};
        wc.lpfnWndProc = &SettingListener::Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "FolimarSettingListener";
        ::RegisterClassA(&wc);
        win::UniqueWindow window(::CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                                   nullptr, wc.hInstance, nullptr));
        ::SetWindowLongPtrA(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists before Stop posts
        ::SetEvent(self->ready_.get());
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
            ::DispatchMessageA(&msg);
        return 0;
    }

    std::vector<std::string> seen_;
    win::UniqueHandle ready_;
    DWORD threadId_ = 0;
    win::UniqueHandle thread_;
};

// Other programs learn of both switches as the system tells them: WM_SETTINGCHANGE with "windows".
TEST_F(BatchRun, OtherProgramsAreToldOfBothPrinterSwitches)
{
    ::WriteProfileStringA("Windows", "Device", "Office Laser,winspool,LPT1:");
    SettingListener listener;
    ASSERT_TRUE(listener.Valid());
    ASSERT_EQ(Start(Setup({})), TBatchStart::Started);
    Collect();
    // Each told when the new default could already be read.
    EXPECT_EQ(listener.Stop(), (std::vector<std::string>{kPrinterName, "Office Laser"}));
}

TEST_F(BatchRun, WhileTheMutexExistsABatchIsRefusedAndNothingChanges)
{
    ::WriteProfileStringA("Windows", "Device", "Office Laser,winspool,LPT1:");
    win::UniqueHandle other(::CreateMutexA(nullptr, FALSE, mutexName_.c_str()));
    ASSERT_TRUE(other);
    EXPECT_EQ(Start(Setup({Waiting()})), TBatchStart::RunningElsewhere);
    EXPECT_FALSE(batch_.Running());
    EXPECT_EQ(GetDefaultPrinterName(), "Office Laser");
    EXPECT_FALSE(FileExists(note_));
    EXPECT_FALSE(DirectoryExists(spool_));

    other.reset();
    ASSERT_EQ(Start(Setup({})), TBatchStart::Started) << "once the other batch has ended, a batch starts";
    EXPECT_EQ(Collect(), (std::vector<Status>{{BATCH_FINISHED, 0}}));
}

TEST_F(BatchRun, TheMutexIsReleasedWhenTheBatchFinishes)
{
    ASSERT_EQ(Start(Setup({})), TBatchStart::Started);
    Collect();
    win::UniqueHandle after(::CreateMutexA(nullptr, FALSE, mutexName_.c_str()));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "the mutex no longer exists";
}

TEST_F(BatchRun, CapturedJobsLeftInTheSpoolFolderGoAtTheStart)
{
    ASSERT_TRUE(CreateFolderPath(spool_));
    ASSERT_TRUE(WriteFileBytes(spool_ + "old.~ps", "left from an earlier run"));
    ASSERT_TRUE(WriteFileBytes(spool_ + "keep.txt", "not a captured job"));
    ASSERT_EQ(Start(Setup({})), TBatchStart::Started);
    Collect();
    EXPECT_FALSE(FileExists(spool_ + "old.~ps"));
    EXPECT_TRUE(FileExists(spool_ + "keep.txt"));
}

TEST_F(BatchRun, ThePortNotesLeftByAKilledBatchGoOnlyWhenNoBatchRuns)
{
    ASSERT_TRUE(CreateFolderPath(spool_));
    const std::vector<std::string> notes{kDestNoteFileName, kRowNoteFileName};
    for (const std::string& note : notes)
        ASSERT_TRUE(WriteFileBytes(spool_ + note, "left by a killed batch"));
    {
        win::UniqueHandle running(::CreateMutexA(nullptr, FALSE, mutexName_.c_str()));
        ASSERT_TRUE(running);
        RemovePortNotesOfLostBatch(spool_, mutexName_);
        EXPECT_EQ(FileNamesIn(spool_), notes) << "a running batch's notes stay";
    }
    RemovePortNotesOfLostBatch(spool_, mutexName_);
    EXPECT_EQ(FileNamesIn(spool_), std::vector<std::string>{});
    ASSERT_EQ(Start(Setup({})), TBatchStart::Started) << "only looking leaves no mutex behind";
    Collect();
}

// A stop belongs to its batch: neither a stop of an idle batch nor that of the batch before
// reaches the next one.
TEST_F(BatchRun, AStopDoesNotReachTheNextBatch)
{
    batch_.Stop();
    ASSERT_EQ(Start(Setup({Waiting()}, 300)), TBatchStart::Started);
    EXPECT_EQ(Collect(), EachRowFailed(1)) << "the document waits for its job until the grace is over";

    ASSERT_EQ(Start(Setup({Waiting(), Waiting()}, 60000)), TBatchStart::Started);
    batch_.Stop();
    Collect();
    ASSERT_EQ(Start(Setup({Waiting()}, 300)), TBatchStart::Started);
    EXPECT_EQ(Collect(), EachRowFailed(1));
}

} // namespace
