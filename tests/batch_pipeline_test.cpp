// The batch pipeline without the window: the job queue, the watcher's rules and its spool-folder
// source, the spool folder's files, whole runs of the print-files thread, and batches.
#include "tests/gtest_win.h"

#include "base/printer_constants.h"
#include "batch/pipeline/batch_run.h"
#include "batch/pipeline/default_printer.h"
#include "batch/pipeline/job_queue.h"
#include "batch/pipeline/print_queue_watcher.h"
#include "batch/pipeline/prnthread.h"
#include "files/folders.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/print_app_stub.h"
#include "tests/temp_dir.h"
#include "tests/test_window.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using namespace folimar;

namespace folimar {
void PrintTo(const TSpoolJob& job, std::ostream* os)
{
    *os << "job " << job.id << (job.kind == JOB_ADDED ? " added" : job.kind == JOB_FINISHED ? " finished" : " ?");
}
} // namespace folimar
using testing_support::FileNamesIn;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

using TWait = TJobQueue::TWait;

// The queue as the two threads use it: the watcher pushes, the print-files thread takes.
class JobQueue : public ::testing::Test {
protected:
    TWait Take(DWORD timeout, HANDLE other = nullptr)
    {
        job_ = {};
        return queue_.Take(stop_.get(), other, timeout, job_);
    }

    TJobQueue queue_;
    win::UniqueHandle stop_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    TSpoolJob job_;
};

TEST_F(JobQueue, JobsComeOutInTheOrderTheyWentIn)
{
    ASSERT_TRUE(queue_.Valid());
    const TSpoolJob pushed[] = {{7, JOB_ADDED}, {7, JOB_FINISHED}, {3, JOB_ADDED}};
    for (const TSpoolJob& job : pushed)
        queue_.Push(job);
    for (const TSpoolJob& job : pushed) {
        ASSERT_EQ(Take(0), TWait::Job);
        EXPECT_EQ(job_, job);
    }
    EXPECT_EQ(Take(50), TWait::TimedOut) << "an emptied queue does not wake the taker again";
}

// As the watcher pushes: from a thread of its own, a moment later.
DWORD WINAPI PushLater(LPVOID queue)
{
    ::Sleep(200);
    static_cast<TJobQueue*>(queue)->Push({42, JOB_FINISHED});
    return 0;
}

TEST_F(JobQueue, APushFromAnotherThreadWakesAWaitingTaker)
{
    win::UniqueHandle pusher(::CreateThread(nullptr, 0, &PushLater, &queue_, 0, nullptr));
    ASSERT_TRUE(pusher);
    const TWait got = Take(10000);
    ::WaitForSingleObject(pusher.get(), INFINITE);
    ASSERT_EQ(got, TWait::Job);
    EXPECT_EQ(job_, (TSpoolJob{42, JOB_FINISHED}));
}

TEST_F(JobQueue, TheStopWinsOverJobsAndOtherHandles)
{
    win::UniqueHandle other(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
    queue_.Push({1, JOB_ADDED});
    ::SetEvent(stop_.get());
    EXPECT_EQ(Take(0, other.get()), TWait::Stopped);
    EXPECT_EQ(Take(INFINITE, other.get()), TWait::Stopped) << "the stop stays set";
    ::ResetEvent(stop_.get());
    EXPECT_EQ(Take(0, other.get()), TWait::Job) << "the job was not lost";
    EXPECT_EQ(Take(0, other.get()), TWait::Signalled);
}

TEST_F(JobQueue, AClosedQueueStillHandsOutItsJobsThenEndsEveryWait)
{
    queue_.Push({5, JOB_ADDED});
    queue_.Close();
    EXPECT_EQ(Take(0), TWait::Job);
    EXPECT_EQ(Take(INFINITE), TWait::Closed);
    EXPECT_EQ(Take(INFINITE), TWait::Closed);
}

TEST(SpoolJobEvent, ReportsAddedJobsAndFinishedStatuses)
{
    struct Case {
        DWORD change;
        DWORD status;
        std::optional<LPARAM> event;
    } cases[] = {
        {PRINTER_CHANGE_ADD_JOB, 0, JOB_ADDED},
        {PRINTER_CHANGE_ADD_JOB | PRINTER_CHANGE_SET_JOB, JOB_STATUS_PRINTED, JOB_ADDED}, // added wins
        {PRINTER_CHANGE_SET_JOB, JOB_STATUS_PRINTED, JOB_FINISHED},
        {PRINTER_CHANGE_SET_JOB, JOB_STATUS_ERROR, JOB_FINISHED},
        {PRINTER_CHANGE_SET_JOB, JOB_STATUS_DELETING, JOB_FINISHED},
        {PRINTER_CHANGE_SET_JOB, JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING, std::nullopt},
        {PRINTER_CHANGE_DELETE_JOB, JOB_STATUS_DELETING, std::nullopt}, // deletions alone are not reported
        {PRINTER_CHANGE_WRITE_JOB, JOB_STATUS_PRINTED, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpoolJobEvent(c.change, c.status), c.event) << std::hex << c.change << " " << c.status;
}

TEST(JobIdOfFileName, OnlyDecimalNamesThatFitAreJobs)
{
    struct Case {
        const char* name;
        std::optional<DWORD> id;
    } cases[] = {
        {"7", 7u},
        {"0", 0u},
        {"007", 7u},
        {"4294967295", 4294967295u},
        {"4294967296", std::nullopt},
        {"12345678901", std::nullopt},
        {"", std::nullopt},
        {"12.ps", std::nullopt},
        {"~dest.tmp", std::nullopt},
        {"12 ", std::nullopt},
        {"-3", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JobIdOfFileName(c.name), c.id) << c.name;
}

TEST(FindOrDeleteFiles, FindsTheFirstMatchAndDeletesFilesButNotFolders)
{
    TempDir dir;
    const std::string folder = dir.path() + "\\";
    EXPECT_FALSE(FindOrDeleteFiles(folder + "*.~ps", false));
    ASSERT_TRUE(WriteFileBytes(folder + "a.~ps", "x"));
    ASSERT_TRUE(WriteFileBytes(folder + "b.~ps", "y"));
    ASSERT_TRUE(WriteFileBytes(folder + "keep.txt", "z"));
    ASSERT_TRUE(::CreateDirectoryA((folder + "sub.~ps").c_str(), nullptr));

    std::optional<std::string> first = FindOrDeleteFiles(folder + "*.~ps", false);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->substr(0, folder.size()), folder);
    EXPECT_TRUE(FileExists(folder + "a.~ps")) << "a search alone deletes nothing";

    EXPECT_TRUE(FindOrDeleteFiles(folder + "*.~ps", true));
    EXPECT_FALSE(FileExists(folder + "a.~ps"));
    EXPECT_FALSE(FileExists(folder + "b.~ps"));
    EXPECT_TRUE(FileExists(folder + "keep.txt"));
    EXPECT_TRUE(DirectoryExists(folder + "sub.~ps"));
    ::RemoveDirectoryA((folder + "sub.~ps").c_str());
}

// The jobs the queue receives within bound milliseconds, until count arrived.
std::vector<TSpoolJob> TakeJobs(TJobQueue& jobs, size_t count, DWORD bound)
{
    win::UniqueHandle never(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::vector<TSpoolJob> got;
    const DWORD start = ::GetTickCount();
    while (got.size() < count) {
        const DWORD waited = ::GetTickCount() - start;
        TSpoolJob job;
        if (waited >= bound || jobs.Take(never.get(), nullptr, bound - waited, job) != TWait::Job)
            break;
        got.push_back(job);
    }
    return got;
}

// The watcher with a printer that has no spooler notifications takes the jobs from the folder.
class SpoolFolderWatcher : public ::testing::Test {
protected:
    void Start(TJobQueue* jobs)
    {
        lstrcpynA(params_.printerName, "No Such Printer Anywhere", sizeof params_.printerName);
        params_.stopEvent = stop_.get();
        params_.jobs = jobs;
        params_.spoolFolder = folder_;
        watcher_.reset(::CreateThread(nullptr, 0, &PrintQueueWatcher, &params_, 0, nullptr));
        ASSERT_TRUE(watcher_);
        // A watcher without a queue to tell cannot show that it watches.
        if (jobs)
            WaitUntilWatching(*jobs);
    }
    // The watcher first notes the files already there (as a batch starts it before any document
    // prints); a job written before that would count as stale. Probe jobs are written until one
    // is reported: the watcher took its note before that probe, so every later probe is reported
    // as well. Their messages are taken and their files removed before the test goes on.
    void WaitUntilWatching(TJobQueue& jobs)
    {
        const DWORD start = ::GetTickCount();
        std::vector<std::string> probes;
        size_t messages = 0;
        DWORD firstReported = 0;
        for (DWORD id = 4000000000u; !firstReported; ++id) {
            ASSERT_LT(::GetTickCount() - start, 60000u) << "the watcher reported no job within a minute";
            probes.push_back(std::to_string(id));
            Announce(probes.back(), "C:\\probe.~ps");
            for (const TSpoolJob& job : TakeJobs(jobs, 2, 2000)) {
                ++messages;
                if (!firstReported || job.id < firstReported)
                    firstReported = job.id;
            }
        }
        const size_t expected = 2 * (std::stoul(probes.back()) - firstReported + 1);
        if (messages < expected)
            messages += TakeJobs(jobs, expected - messages, 60000).size();
        ASSERT_EQ(messages, expected) << "each probe from the first reported one on is added and finished";
        for (const std::string& probe : probes)
            ASSERT_TRUE(::DeleteFileA((folder_ + probe).c_str()));
    }
    void TearDown() override { EXPECT_TRUE(Stop()) << "the stop event ends the watcher"; }
    bool Stop()
    {
        ::SetEvent(stop_.get());
        return !watcher_ || ::WaitForSingleObject(watcher_.get(), 10000) == WAIT_OBJECT_0;
    }
    // Writes a job file as the port does: whole, then renamed to its job id.
    void Announce(const std::string& name, const std::string& content)
    {
        ASSERT_TRUE(WriteFileBytes(folder_ + "~job.tmp", content));
        ASSERT_TRUE(::MoveFileExA((folder_ + "~job.tmp").c_str(), (folder_ + name).c_str(), 0));
    }

    TempDir dir_;
    std::string folder_ = dir_.path() + "\\";
    win::UniqueHandle stop_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    TJobQueue jobs_;
    TWatcherParams params_;
    win::UniqueHandle watcher_;
};

TEST_F(SpoolFolderWatcher, ReportsANewJobFileAsAddedThenFinished)
{
    Start(&jobs_);
    Announce("1234", "C:\\job.~ps");
    const auto got = TakeJobs(jobs_, 2, 10000);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], (TSpoolJob{1234, JOB_ADDED}));
    EXPECT_EQ(got[1], (TSpoolJob{1234, JOB_FINISHED}));
}

TEST_F(SpoolFolderWatcher, IgnoresOtherFilesAndJobFilesFromBeforeTheBatch)
{
    ASSERT_TRUE(WriteFileBytes(folder_ + "77", "stale"));
    Start(&jobs_);
    ASSERT_TRUE(WriteFileBytes(folder_ + "~dest.tmp", "C:\\out.pdf"));
    ASSERT_TRUE(WriteFileBytes(folder_ + "job.~ps", "%!PS"));
    Announce("78", "C:\\job.~ps");
    const auto got = TakeJobs(jobs_, 3, 4000);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].id, 78u);
    EXPECT_EQ(got[1].id, 78u);
}

TEST_F(SpoolFolderWatcher, AJobIdUsedAgainAfterItsFileWasTakenIsNew)
{
    Start(&jobs_);
    Announce("5", "first");
    ASSERT_EQ(TakeJobs(jobs_, 2, 10000).size(), 2u);
    ASSERT_TRUE(::DeleteFileA((folder_ + "5").c_str()));
    // The deletion is seen before the same name comes back.
    ASSERT_TRUE(TakeJobs(jobs_, 1, 1500).empty());
    Announce("5", "second");
    EXPECT_EQ(TakeJobs(jobs_, 2, 10000).size(), 2u);
}

TEST_F(SpoolFolderWatcher, WithoutAQueueItWatchesAndStillEndsOnItsStop)
{
    Start(nullptr);
    Announce("9", "x");
    ::Sleep(1500);
    EXPECT_TRUE(Stop());
}

TEST_F(SpoolFolderWatcher, ItsEndClosesTheQueueSoThatNoWaitOutlivesIt)
{
    Start(&jobs_);
    ASSERT_TRUE(Stop());
    TSpoolJob job;
    win::UniqueHandle never(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(jobs_.Take(never.get(), nullptr, 10000, job), TWait::Closed);
}

// A small PostScript document of pages pages with a title.
std::string PostScript(const std::string& title, int pages)
{
    std::string ps = "%!PS-Adobe-3.0\n%%Title: " + title + "\n%%Pages: " + std::to_string(pages) +
                     "\n%%EndComments\n/Helvetica findfont 20 scalefont setfont\n";
    for (int p = 1; p <= pages; ++p)
        ps += "%%Page: " + std::to_string(p) + " " + std::to_string(p) + "\n72 700 moveto (page " + std::to_string(p) +
              ") show showpage\n";
    return ps + "%%EOF\n";
}

using Status = std::pair<WPARAM, LPARAM>;

// Runs the print-files thread over a list, as a batch does, with a stop and a job queue of the
// test's own, and collects its statuses.
class PrintFilesRun : public ::testing::Test {
protected:
    PrintFilesRun() : window_(testing_support::MakeTestWindow("FolimarBatchTest")) {}
    ~PrintFilesRun() override
    {
        // A test that failed half-way leaves no thread behind.
        ::SetEvent(stop_.get());
        if (thread_)
            thread_->WaitFor();
    }

    // A document to print exists (the thread fails one that has gone); PostScript ones are the
    // test's to write.
    TBatchEntry Entry(const std::string& document, const std::string& command, const std::string& pdf)
    {
        if (command != kPostScriptCommand && !FileExists(document)) {
            EXPECT_TRUE(WriteFileBytes(document, "a document\r\n"));
        }
        TBatchEntry e;
        e.caption = document;
        e.fields[kFieldPrintCommand] = command;
        e.fields[kFieldDocument] = document;
        e.fields[kFieldPdfPath] = pdf;
        return e;
    }

    // A new thread over entries with a new job queue; the spool folder exists, as a batch makes it.
    TPrintFilesThread& Make(std::vector<TBatchEntry> entries, DWORD jobGraceMs = kJobGraceAfterExitMs,
                            DWORD printLimitMs = kPrintLimitSeconds * 1000)
    {
        if (thread_)
            thread_->WaitFor();
        thread_.reset();
        jobs_ = std::make_unique<TJobQueue>();
        EXPECT_TRUE(CreateFolderPath(spool_));
        results_ = std::make_unique<TRowResults>();
        thread_ = std::make_unique<TPrintFilesThread>(TPrintFilesSetup{window_.get(),
                                                                       std::move(entries),
                                                                       spool_,
                                                                       stop_.get(),
                                                                       jobs_.get(),
                                                                       jobGraceMs,
                                                                       results_.get(),
                                                                       printLimitMs,
                                                                       {}});
        return *thread_;
    }

    static void Start(TPrintFilesThread& thread, std::function<void()> windUp = {})
    {
        DWORD error = 0;
        ASSERT_TRUE(thread.Start(std::move(windUp), error)) << error;
    }

    // Pumps until BATCH_FINISHED (or 60 s), then end(); onStatus sees each status as it comes.
    std::vector<Status> Collect(const std::function<void()>& end,
                                const std::function<void(const Status&)>& onStatus = {})
    {
        std::vector<Status> got;
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < 60000) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message != WM_BATCH_STATUS) {
                    ::DispatchMessageA(&msg);
                    continue;
                }
                got.emplace_back(msg.wParam, msg.lParam);
                if (onStatus)
                    onStatus(got.back());
                if (msg.wParam == BATCH_FINISHED) {
                    end();
                    return got;
                }
            }
        }
        ADD_FAILURE() << "no BATCH_FINISHED within 60 s";
        ::SetEvent(stop_.get());
        end();
        return got;
    }

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

    TempDir dir_;
    std::string folder_ = dir_.path() + "\\";
    std::string spool_ = folder_ + "spool\\";
    win::UniqueWindow window_;
    win::UniqueHandle stop_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::unique_ptr<TJobQueue> jobs_;
    std::unique_ptr<TRowResults> results_;
    std::unique_ptr<TPrintFilesThread> thread_;
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
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0},
                                        {BATCH_ITEM_FAILED, 0},
                                        {BATCH_ITEM_STARTED, 1},
                                        {BATCH_ITEM_FAILED, 1},
                                        {BATCH_ITEM_STARTED, 2},
                                        {BATCH_ITEM_FAILED, 2},
                                        {BATCH_FINISHED, 0}}));
    for (size_t row = 0; row < 3; ++row)
        EXPECT_EQ(RowFailureText(*results_->Get(row)), "no program can print .xyz files") << row;
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
    EXPECT_EQ(Collect(thread), (std::vector<Status>{{BATCH_ITEM_STARTED, 0},
                                                    {BATCH_ITEM_FAILED, 0},
                                                    {BATCH_ITEM_STARTED, 1},
                                                    {BATCH_ITEM_FAILED, 1},
                                                    {BATCH_FINISHED, 0}}));
    for (size_t row = 0; row < 2; ++row)
        EXPECT_EQ(RowFailureText(*results_->Get(row)), "file not found") << row;
    EXPECT_FALSE(FileExists(spool_ + kDestNoteFileName)) << "nothing was printed";
}

TEST_F(PrintFilesRun, APrintProgramThatShowsNoJobWithinTheLimitIsEndedAndItsRowFails)
{
    // A program that takes the document and never prints; it holds a mutex while it lives.
    const std::string mutexName = "FolimarNeverPrints" + std::to_string(::GetCurrentProcessId());
    const std::string command = "\"" + testing_support::StubProgram() + "\" hold " + mutexName + " \"%1\"";
    TPrintFilesThread& thread = Make({Entry(folder_ + "a.txt", command, folder_ + "a.pdf")}, 600000, 3000);
    Start(thread);
    EXPECT_EQ(Collect(thread),
              (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_EQ(results_->Get(0)->failure, TRowFailure::NotPrinted);
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
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_FALSE(FileExists(spool_ + kDestNoteFileName));
}

TEST_F(PrintFilesRun, APrintApplicationThatEndsWithoutAJobFailsAfterTheGrace)
{
    TPrintFilesThread& thread = Make({Entry(folder_ + "a.txt", quickCommand_, folder_ + "a.pdf")}, 300);
    Start(thread);
    EXPECT_EQ(Collect(thread),
              (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}));
}

TEST_F(PrintFilesRun, ADocumentWhoseJobNoWatcherCanReportFailsAtOnce)
{
    // Only the closed queue can end this wait: the grace is longer than the test's patience.
    TPrintFilesThread& thread = Make({Entry(folder_ + "a.txt", quickCommand_, folder_ + "a.pdf"),
                                      Entry(folder_ + "b.txt", quickCommand_, folder_ + "b.pdf")},
                                     600000);
    jobs_->Close();
    Start(thread);
    EXPECT_EQ(Collect(thread), (std::vector<Status>{{BATCH_ITEM_STARTED, 0},
                                                    {BATCH_ITEM_FAILED, 0},
                                                    {BATCH_ITEM_STARTED, 1},
                                                    {BATCH_ITEM_FAILED, 1},
                                                    {BATCH_FINISHED, 0}}));
    EXPECT_EQ(FileNamesIn(spool_), std::vector<std::string>{});
}

// The watcher's reports, played by the test: which job the document's PDF comes from.
TEST_F(PrintFilesRun, OnlyTheDocumentsOwnFinishedJobMakesItsPdf)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    struct Case {
        const char* what;
        std::vector<std::pair<DWORD, LPARAM>> messages;
        WPARAM result;
    } cases[] = {
        {"added then finished", {{41, JOB_ADDED}, {41, JOB_FINISHED}}, BATCH_ITEM_DONE},
        {"finished with no job added", {{41, JOB_FINISHED}}, BATCH_ITEM_DONE},
        {"another job finished", {{41, JOB_ADDED}, {40, JOB_FINISHED}}, BATCH_ITEM_FAILED},
    };
    for (const Case& c : cases) {
        const std::string captured = folder_ + "captured.~ps";
        ASSERT_TRUE(WriteFileBytes(captured, PostScript("Letter", 2)));
        ASSERT_TRUE(CreateFolderPath(spool_));
        ASSERT_TRUE(WriteFileBytes(spool_ + "41", captured));
        const std::string pdf = folder_ + "letter.pdf";
        ::DeleteFileA(pdf.c_str());
        TPrintFilesThread& thread = Make({Entry(folder_ + "letter.txt", quickCommand_, pdf)}, 20000);
        Start(thread);
        const auto got = Collect(thread, [&](const Status& s) {
            if (s.first != BATCH_ITEM_STARTED)
                return;
            for (const auto& [id, kind] : c.messages)
                jobs_->Push({id, kind});
        });
        EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {c.result, 0}, {BATCH_FINISHED, 0}})) << c.what;
        EXPECT_EQ(FileExists(pdf), c.result == BATCH_ITEM_DONE) << c.what;
        if (c.result == BATCH_ITEM_DONE) {
            EXPECT_EQ(testing_support::PdfInfoField(pdf, "Pages"), "2") << c.what;
            EXPECT_FALSE(FileExists(captured)) << c.what << ": the captured job is deleted after its conversion";
        }
        EXPECT_EQ(FileNamesIn(spool_), std::vector<std::string>{}) << c.what << ": the spool folder is emptied";
    }
}

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

TEST_F(BatchRun, WithoutAnEarlierDefaultTheVirtualPrinterStays)
{
    ::WriteProfileStringA("Windows", "Device", "");
    ASSERT_EQ(Start(Setup({})), TBatchStart::Started);
    EXPECT_EQ(Collect(), (std::vector<Status>{{BATCH_FINISHED, 0}}));
    EXPECT_EQ(GetDefaultPrinterName(), kPrinterName);
    EXPECT_FALSE(FileExists(note_));
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

// A stop belongs to its batch: neither a stop of an idle batch nor that of the batch before
// reaches the next one.
TEST_F(BatchRun, AStopDoesNotReachTheNextBatch)
{
    batch_.Stop();
    ASSERT_EQ(Start(Setup({Waiting()}, 300)), TBatchStart::Started);
    EXPECT_EQ(Collect(), (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}))
        << "the document waits for its job until the grace is over";

    ASSERT_EQ(Start(Setup({Waiting(), Waiting()}, 60000)), TBatchStart::Started);
    batch_.Stop();
    Collect();
    ASSERT_EQ(Start(Setup({Waiting()}, 300)), TBatchStart::Started);
    EXPECT_EQ(Collect(), (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}));
}

} // namespace
