// How jobs reach a batch document: the job queue, the watcher's rules and its spool-folder
// source, the spool folder's files, and which job a document takes.
#include "tests/gtest_win.h"

#include "base/printer_constants.h"
#include "batch/pipeline/job_queue.h"
#include "batch/pipeline/print_queue_watcher.h"
#include "batch/pipeline/prnthread.h"
#include "batch/rules/spool_job_rules.h"
#include "files/folders.h"
#include "tests/temp_dir.h"

#include <ostream>
#include <string>
#include <vector>

using namespace folimar;

namespace folimar {
void PrintTo(const TSpoolJob& job, std::ostream* os)
{
    *os << "job " << job.id << (job.kind == JOB_ADDED ? " added" : job.kind == JOB_FINISHED ? " finished" : " ?");
}
} // namespace folimar
using testing_support::FileNamesIn;
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

TEST_F(JobQueue, ClearingForgetsWaitingJobsButNotTheClose)
{
    queue_.Push({5, JOB_ADDED});
    queue_.Push({5, JOB_FINISHED});
    queue_.Clear();
    EXPECT_EQ(Take(50), TWait::TimedOut) << "a cleared queue does not wake the taker";
    queue_.Push({6, JOB_ADDED});
    EXPECT_EQ(Take(0), TWait::Job);
    EXPECT_EQ(job_, (TSpoolJob{6, JOB_ADDED}));
    queue_.Close();
    queue_.Clear();
    EXPECT_EQ(Take(INFINITE), TWait::Closed);
}

// Which job a row takes, as the job-id file and the disk tell it.
TEST(JudgeJob, TheRowsTokenOrTheFirstJobWithoutOneOthersAreHandedOver)
{
    const std::string job = "C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\TEMP\\captured.ps";
    const std::string mine = "FOLIMAR_BATCH_1c_2/3";
    struct Case {
        const char* what;
        std::string token;
        bool inSpoolFolder;
        bool rowWaiting;
        TJobVerdict verdict;
    } cases[] = {
        {"the row's own job", mine, true, true, TJobVerdict::Take},
        {"a job with the path alone", "", true, true, TJobVerdict::Take},
        {"an earlier row's job", "FOLIMAR_BATCH_1c_2/2", true, true, TJobVerdict::HandOver},
        {"another batch's job", "FOLIMAR_BATCH_1c_1/3", true, true, TJobVerdict::HandOver},
        {"a token of no batch", "print", true, true, TJobVerdict::HandOver},
        {"the row's own job after its row", mine, true, false, TJobVerdict::Drop},
        {"a job with the path alone after the row's", "", true, false, TJobVerdict::HandOver},
        {"another row's job after the row", "FOLIMAR_BATCH_1c_2/2", true, false, TJobVerdict::HandOver},
        {"a file not in the spool folder", mine, false, true, TJobVerdict::Refuse},
        {"a file not in the spool folder, no token", "", false, true, TJobVerdict::Refuse},
        {"a file not in the spool folder after the row", "", false, false, TJobVerdict::Refuse},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeJob({job, c.token}, c.inSpoolFolder, mine, c.rowWaiting), c.verdict) << c.what;
    EXPECT_EQ(JudgeJob({job, mine}, true, "", true), TJobVerdict::HandOver) << "no row: no job is its own";
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

} // namespace
