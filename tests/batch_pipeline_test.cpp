// The batch pipeline without the window: the watcher's rules and its spool-folder source, the
// spool folder's files, and whole runs of the print-files thread.
#include "tests/gtest_win.h"

#include "base/printer_constants.h"
#include "batch/default_printer.h"
#include "batch/print_queue_watcher.h"
#include "batch/prnthread.h"
#include "jobprep/common.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/temp_dir.h"
#include "tests/test_window.h"

#include <string>
#include <utility>
#include <vector>

using namespace folimar;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

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

// The files (not folders) in folder.
int FilesIn(const std::string& folder)
{
    int files = 0;
    WIN32_FIND_DATAA found;
    win::FindHandle find(::FindFirstFileA((folder + "*").c_str(), &found));
    if (!find)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
    } while (::FindNextFileA(find.get(), &found));
    return files;
}

// The WM_SPOOL_JOB messages that reach this thread within bound milliseconds, until count arrived.
std::vector<std::pair<WPARAM, LPARAM>> SpoolMessages(size_t count, DWORD bound)
{
    std::vector<std::pair<WPARAM, LPARAM>> got;
    const DWORD start = ::GetTickCount();
    while (got.size() < count) {
        const DWORD waited = ::GetTickCount() - start;
        if (waited >= bound)
            break;
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, bound - waited, QS_POSTMESSAGE) != WAIT_OBJECT_0)
            break;
        MSG msg;
        while (::PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) {
            if (msg.message == WM_SPOOL_JOB)
                got.emplace_back(msg.wParam, msg.lParam);
        }
    }
    return got;
}

// The watcher with a printer that has no spooler notifications takes the jobs from the folder.
class SpoolFolderWatcher : public ::testing::Test {
protected:
    void Start(DWORD printThreadId = ::GetCurrentThreadId())
    {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        lstrcpynA(params_.printerName, "No Such Printer Anywhere", sizeof params_.printerName);
        params_.stopEvent = stop_.get();
        params_.printThreadId = printThreadId;
        params_.spoolFolder = folder_;
        watcher_.reset(::CreateThread(nullptr, 0, &PrintQueueWatcher, &params_, 0, nullptr));
        ASSERT_TRUE(watcher_);
        // A watcher without a thread to tell cannot show that it watches.
        if (printThreadId != 0)
            WaitUntilWatching();
    }
    // The watcher first notes the files already there (as a batch starts it before any document
    // prints); a job written before that would count as stale. Probe jobs are written until one
    // is reported: the watcher took its note before that probe, so every later probe is reported
    // as well. Their messages are taken and their files removed before the test goes on.
    void WaitUntilWatching()
    {
        const DWORD start = ::GetTickCount();
        std::vector<std::string> probes;
        size_t messages = 0;
        DWORD firstReported = 0;
        for (DWORD id = 4000000000u; !firstReported; ++id) {
            ASSERT_LT(::GetTickCount() - start, 60000u) << "the watcher reported no job within a minute";
            probes.push_back(std::to_string(id));
            Announce(probes.back(), "C:\\probe.~ps");
            for (const auto& [job, kind] : SpoolMessages(2, 2000)) {
                ++messages;
                if (!firstReported || job < firstReported)
                    firstReported = static_cast<DWORD>(job);
            }
        }
        const size_t expected = 2 * (std::stoul(probes.back()) - firstReported + 1);
        if (messages < expected)
            messages += SpoolMessages(expected - messages, 60000).size();
        ASSERT_EQ(messages, expected) << "each probe from the first reported one on is added and finished";
        for (const std::string& probe : probes)
            ASSERT_TRUE(::DeleteFileA((folder_ + probe).c_str()));
    }
    void TearDown() override
    {
        ::SetEvent(stop_.get());
        if (watcher_) {
            EXPECT_EQ(::WaitForSingleObject(watcher_.get(), 10000), WAIT_OBJECT_0) << "the stop event ends the watcher";
        }
    }
    // Writes a job file as the port does: whole, then renamed to its job id.
    void Announce(const std::string& name, const std::string& content)
    {
        ASSERT_TRUE(WriteFileBytes(folder_ + "~job.tmp", content));
        ASSERT_TRUE(::MoveFileExA((folder_ + "~job.tmp").c_str(), (folder_ + name).c_str(), 0));
    }

    TempDir dir_;
    std::string folder_ = dir_.path() + "\\";
    win::UniqueHandle stop_{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    TWatcherParams params_;
    win::UniqueHandle watcher_;
};

TEST_F(SpoolFolderWatcher, ReportsANewJobFileAsAddedThenFinished)
{
    Start();
    Announce("1234", "C:\\job.~ps");
    const auto got = SpoolMessages(2, 10000);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], std::make_pair(WPARAM{1234}, JOB_ADDED));
    EXPECT_EQ(got[1], std::make_pair(WPARAM{1234}, JOB_FINISHED));
}

TEST_F(SpoolFolderWatcher, IgnoresOtherFilesAndJobFilesFromBeforeTheBatch)
{
    ASSERT_TRUE(WriteFileBytes(folder_ + "77", "stale"));
    Start();
    ASSERT_TRUE(WriteFileBytes(folder_ + "~dest.tmp", "C:\\out.pdf"));
    ASSERT_TRUE(WriteFileBytes(folder_ + "job.~ps", "%!PS"));
    Announce("78", "C:\\job.~ps");
    const auto got = SpoolMessages(3, 4000);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].first, 78u);
    EXPECT_EQ(got[1].first, 78u);
}

TEST_F(SpoolFolderWatcher, AJobIdUsedAgainAfterItsFileWasTakenIsNew)
{
    Start();
    Announce("5", "first");
    ASSERT_EQ(SpoolMessages(2, 10000).size(), 2u);
    ASSERT_TRUE(::DeleteFileA((folder_ + "5").c_str()));
    // The deletion is seen before the same name comes back.
    ASSERT_TRUE(SpoolMessages(1, 1500).empty());
    Announce("5", "second");
    EXPECT_EQ(SpoolMessages(2, 10000).size(), 2u);
}

TEST_F(SpoolFolderWatcher, WithoutAThreadIdItWatchesButPostsNothing)
{
    Start(0);
    Announce("9", "x");
    EXPECT_TRUE(SpoolMessages(1, 2500).empty());
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

// Runs the print-files thread over a list, as the batch window does, and collects its statuses.
class PrintFilesRun : public ::testing::Test {
protected:
    PrintFilesRun() : window_(testing_support::MakeTestWindow("FolimarBatchTest"))
    {
        CreateStopEvents();
        ::ResetEvent(StopPrintEvent());
    }

    TBatchEntry Entry(const std::string& document, const std::string& command, const std::string& pdf)
    {
        TBatchEntry e;
        e.caption = document;
        e.fields[kFieldPrintCommand] = command;
        e.fields[kFieldDocument] = document;
        e.fields[kFieldPdfPath] = pdf;
        return e;
    }

    std::unique_ptr<TPrintFilesThread> Make(std::vector<TBatchEntry> entries)
    {
        auto thread = std::make_unique<TPrintFilesThread>(true, window_.get(), ::CreateMutexA(nullptr, FALSE, nullptr));
        thread->FListView = std::move(entries);
        thread->FSpoolFolder = spool_;
        return thread;
    }

    // Pumps until BATCH_FINISHED (or 60 s); onStatus sees each status as it comes.
    std::vector<Status> Collect(TPrintFilesThread& thread, const std::function<void(const Status&)>& onStatus = {})
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
                    thread.WaitFor();
                    return got;
                }
            }
        }
        ADD_FAILURE() << "no BATCH_FINISHED within 60 s";
        thread.Terminate();
        thread.WaitFor();
        return got;
    }

    std::vector<Status> Run(std::vector<TBatchEntry> entries)
    {
        auto thread = Make(std::move(entries));
        thread->Resume();
        return Collect(*thread);
    }

    TempDir dir_;
    std::string folder_ = dir_.path() + "\\";
    std::string spool_ = folder_ + "spool\\";
    win::UniqueWindow window_;
    // A print command that starts and ends at once without printing anything.
    std::string quickCommand_ = "C:\\windows\\system32\\cmd.exe /c rem \"%1\"";
};

TEST_F(PrintFilesRun, AnEmptyListOnlyFinishes)
{
    EXPECT_EQ(Run({}), (std::vector<Status>{{BATCH_FINISHED, 0}}));
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
                          Entry(folder_ + "100% done.txt", quickCommand_, folder_ + "c.pdf")});
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0},
                                        {BATCH_ITEM_FAILED, 0},
                                        {BATCH_ITEM_STARTED, 1},
                                        {BATCH_ITEM_FAILED, 1},
                                        {BATCH_ITEM_STARTED, 2},
                                        {BATCH_ITEM_FAILED, 2},
                                        {BATCH_FINISHED, 0}}));
    EXPECT_FALSE(FileExists(spool_ + kDestNoteFileName)) << "nothing was printed";
}

TEST_F(PrintFilesRun, APrintCommandThatCannotStartFailsAndLeavesNoDestFile)
{
    const auto got = Run({Entry(folder_ + "a.txt", "C:\\no\\such\\printer.exe /p \"%1\"", folder_ + "a.pdf")});
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_FALSE(FileExists(spool_ + kDestNoteFileName));
}

TEST_F(PrintFilesRun, APrintApplicationThatEndsWithoutAJobFailsAfterTheGrace)
{
    auto thread = Make({Entry(folder_ + "a.txt", quickCommand_, folder_ + "a.pdf")});
    thread->FJobGraceMs = 300;
    thread->Resume();
    EXPECT_EQ(Collect(*thread),
              (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}));
}

// The watcher's messages, played by the test: which job the document's PDF comes from.
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
        auto thread = Make({Entry(folder_ + "letter.txt", quickCommand_, pdf)});
        thread->FJobGraceMs = 20000;
        thread->Resume();
        const auto got = Collect(*thread, [&](const Status& s) {
            if (s.first != BATCH_ITEM_STARTED)
                return;
            for (const auto& [id, kind] : c.messages)
                ::PostThreadMessageA(thread->ThreadID(), WM_SPOOL_JOB, id, kind);
        });
        EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {c.result, 0}, {BATCH_FINISHED, 0}})) << c.what;
        EXPECT_EQ(FileExists(pdf), c.result == BATCH_ITEM_DONE) << c.what;
        if (c.result == BATCH_ITEM_DONE) {
            EXPECT_EQ(testing_support::PdfInfoField(pdf, "Pages"), "2") << c.what;
            EXPECT_FALSE(FileExists(captured)) << c.what << ": the captured job is deleted after its conversion";
        }
        EXPECT_EQ(FilesIn(spool_), 0) << c.what << ": the spool folder is emptied";
    }
}

TEST_F(PrintFilesRun, StopWhileWaitingForAJobEndsTheBatchWithoutAResult)
{
    // The command ends at once; with no job the wait goes on until the stop.
    auto thread = Make({Entry(folder_ + "a.txt", quickCommand_, folder_ + "a.pdf"),
                        Entry(folder_ + "b.txt", quickCommand_, folder_ + "b.pdf")});
    thread->FJobGraceMs = 60000;
    thread->Resume();
    const auto got = Collect(*thread, [&](const Status& s) {
        if (s.first == BATCH_ITEM_STARTED) {
            ::Sleep(300);
            ::SetEvent(StopPrintEvent());
            thread->Terminate();
        }
    });
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_STOPPED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_EQ(FilesIn(spool_), 0);
}

TEST_F(PrintFilesRun, AStopBeforeTheFirstDocumentStartsNothing)
{
    ASSERT_TRUE(WriteFileBytes(folder_ + "a.ps", PostScript("A", 1)));
    auto thread = Make({Entry(folder_ + "a.ps", ".ps", folder_ + "a.pdf")});
    thread->Terminate();
    thread->Resume();
    EXPECT_EQ(Collect(*thread), (std::vector<Status>{{BATCH_STOPPED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_FALSE(FileExists(folder_ + "a.pdf"));
}

// The profile's printer entries around a batch; restored afterwards.
class DefaultPrinterAroundABatch : public PrintFilesRun {
protected:
    void SetUp() override
    {
        saved_ = Read("Windows", "Device");
        ::WriteProfileStringA("Devices", kPrinterName, "wineps.drv,|true");
        ::WriteProfileStringA("Devices", "Office Laser", "winspool,LPT1:");
    }
    void TearDown() override
    {
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
    std::string saved_;
};

TEST_F(DefaultPrinterAroundABatch, IsTheVirtualPrinterDuringTheBatchAndPutBackAfterIt)
{
    ::WriteProfileStringA("Windows", "Device", "Office Laser,winspool,LPT1:");
    auto thread = Make({});
    EXPECT_EQ(GetDefaultPrinterName(), kPrinterName) << "construction switches the printer";
    thread->Resume();
    Collect(*thread);
    EXPECT_EQ(Read("Windows", "Device"), "Office Laser,winspool,LPT1:");
}

TEST_F(DefaultPrinterAroundABatch, WithoutAnEarlierDefaultTheVirtualPrinterStays)
{
    ::WriteProfileStringA("Windows", "Device", "");
    auto thread = Make({});
    thread->Resume();
    Collect(*thread);
    EXPECT_EQ(GetDefaultPrinterName(), kPrinterName);
}

} // namespace
