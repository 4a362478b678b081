// The single-job window's rules and its conversion worker on real jobs.
#include "tests/gtest_win.h"

#include "render/gsapi.h"
#include "single/conversion_worker.h"
#include "single/convert_rules.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/temp_dir.h"
#include "win/handle.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace folimar;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

// ---- Rules without a window ----

struct EnabledCase {
    const char* name;
    const char* jobFile;
    bool busy;
    bool jobExists;
    const char* output;
    bool enabled;
};

class ConvertEnabledRule : public ::testing::TestWithParam<EnabledCase> {};

TEST_P(ConvertEnabledRule, NeedsJobIdleAndPath)
{
    const EnabledCase& c = GetParam();
    EXPECT_EQ(ConvertEnabled(c.jobFile, c.busy, c.jobExists, c.output), c.enabled);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConvertEnabledRule,
                         ::testing::Values(EnabledCase{"all_hold", "\"C:\\job.ps\"", false, true, "C:\\a.pdf", true},
                                           EnabledCase{"no_job", "", false, true, "C:\\a.pdf", false},
                                           EnabledCase{"busy", "\"C:\\job.ps\"", true, true, "C:\\a.pdf", false},
                                           EnabledCase{"job_gone", "\"C:\\job.ps\"", false, false, "C:\\a.pdf", false},
                                           EnabledCase{"empty_path", "\"C:\\job.ps\"", false, true, "", false},
                                           EnabledCase{"blank_path", "\"C:\\job.ps\"", false, true, " \t\r\n ", false},
                                           EnabledCase{"padded_path", "\"C:\\job.ps\"", false, true, "  C:\\a.pdf  ",
                                                       true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OverwriteQuestion, QuotesThePathAndKeepsTheProductWording)
{
    EXPECT_EQ(OverwriteQuestion("C:\\out\\a b.pdf"), "\"C:\\out\\a b.pdf\" aleady exists, overwrite it?");
}

TEST(DeviceNameRefusal, NamesThePath)
{
    EXPECT_EQ(DeviceNameRefusal("C:\\out\\NUL.pdf"),
              "\"C:\\out\\NUL.pdf\" is the name of a Windows device, not of a file: choose another name");
}

// A conversion's progress bar, message by message.
struct BarCase {
    const char* name;
    int32_t pageCount;
    std::vector<int64_t> pages; // WM_PAGE_PROGRESS values, in order
    bool finished;              // the worker has ended
    TBarState expected;
};

class ProgressBar : public ::testing::TestWithParam<BarCase> {};

TEST_P(ProgressBar, FollowsPagesOrRunsIndeterminate)
{
    const BarCase& c = GetParam();
    TBarState bar = StartBar(c.pageCount);
    for (int64_t page : c.pages)
        bar = PageProgress(bar, page);
    if (c.finished)
        bar = FinishBar(bar);
    EXPECT_EQ(bar, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressBar,
                         ::testing::Values(BarCase{"start_with_count", 12, {}, false, {false, 12, 0}},
                                           BarCase{"pages_move_the_bar", 12, {1, 2, 5}, false, {false, 12, 5}},
                                           // The last-page marker fills the bar even when page markers were missed.
                                           BarCase{"last_page_fills", 12, {1, 2, -1}, false, {false, 12, 12}},
                                           BarCase{
                                               "end_without_last_page_keeps_position", 12, {3}, true, {false, 12, 3}},
                                           BarCase{"page_beyond_count_is_full", 3, {7}, false, {false, 3, 3}},
                                           BarCase{"no_count_is_marquee", 0, {}, false, {true, 1, 0}},
                                           BarCase{"negative_count_is_marquee", -5, {}, false, {true, 1, 0}},
                                           BarCase{"marquee_ignores_pages", 0, {1, 2, 3}, false, {true, 1, 0}},
                                           BarCase{"marquee_ends_full_at_last_page", 0, {1, -1}, false, {false, 1, 1}},
                                           BarCase{"marquee_ends_full_at_the_end", 0, {1, 2}, true, {false, 1, 1}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressBar, LatePageAfterTheEndOfAMarqueeKeepsItFull)
{
    TBarState bar = FinishBar(StartBar(0));
    EXPECT_EQ(PageProgress(bar, 40), (TBarState{false, 1, 1}));
}

TEST(PageText, CountedOrNot)
{
    struct Case {
        int64_t page;
        int32_t pageCount;
        const char* text;
    } cases[] = {
        {0, 12, ""},
        {1, 12, "page 1 of 12"},
        {12, 12, "page 12 of 12"},
        {15, 12, "page 12 of 12"}, // markers beyond the announced count
        {3, 0, "page 3"},          // the job announces no count
        {0, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageText(c.page, c.pageCount), c.text) << c.page << " / " << c.pageCount;
}

// ---- The worker on real jobs ----

// Three pages, each announcing itself on standard output as a printer driver's job would.
constexpr char kThreePageJob[] = "%!PS-Adobe-3.0\n"
                                 "%%Title: Worker test\n"
                                 "%%Creator: single_test\n"
                                 "%%Pages: 3\n"
                                 "%%EndComments\n"
                                 "/Helvetica findfont 20 scalefont setfont\n"
                                 "(%%[Page: 1]%%) = flush 72 700 moveto (one) show showpage\n"
                                 "(%%[Page: 2]%%) = flush 72 700 moveto (two) show showpage\n"
                                 "(%%[Page: 3]%%) = flush 72 700 moveto (three) show showpage\n"
                                 "(%%[LastPage]%%) = flush\n"
                                 "%%EOF\n";

// Fails inside the library: an undefined name on the first page.
constexpr char kBrokenJob[] = "%!PS-Adobe-3.0\n"
                              "%%Title: Broken\n"
                              "%%EndComments\n"
                              "thisisnotapostscriptoperator\n"
                              "showpage\n";

constexpr char kDocInfoMark[] = "/DOCINFO pdfmark";

// Runs the worker as the window does, with a progress window of the test's own.
class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FOLIMAR_REQUIRE_GHOSTSCRIPT();
        ASSERT_TRUE(folder.valid());
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "SingleTestProgress";
        ::RegisterClassA(&wc);
        window.reset(
            ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
        ASSERT_TRUE(window);
        progress = std::make_unique<TPageProgress>(window.get());
        Progress() = progress.get();
        pages().clear();
    }
    void TearDown() override { Progress() = nullptr; }

    // Started at once, awaited while messages are handled; the PDF goes through a temporary file.
    DWORD Convert(const std::string& job, const std::string& pdf, bool docInfoInJob = true, bool cancelled = false)
    {
        params = std::make_unique<TConvertParams>(TConvertRequest{
            job, pdf, docInfoInJob ? TDocInfoPlace::AppendToJob : TDocInfoPlace::Prologue, progress.get()});
        if (cancelled) {
            EXPECT_TRUE(params->Conversion.Cancel());
        }
        win::UniqueHandle thread = StartConversionWorker(*params);
        EXPECT_TRUE(thread);
        if (!thread)
            return 0;
        DWORD code = WaitForConversionWorker(thread.get());
        // A wake-up posted just before the thread ended may still wait in the queue.
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        return code;
    }

    // Nothing but the expected files is left in the folder: no temporary PDF.
    std::vector<std::string> Files() { return testing_support::FileNamesIn(folder.path()); }

    static TPageProgress*& Progress()
    {
        static TPageProgress* current = nullptr;
        return current;
    }
    static std::vector<int64_t>& pages()
    {
        static std::vector<int64_t> seen;
        return seen;
    }

    static LRESULT CALLBACK RecordProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_PAGE_PROGRESS && Progress()) {
            pages().push_back(Progress()->Take());
            return 0;
        }
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    TempDir folder;
    win::UniqueWindow window;
    std::unique_ptr<TPageProgress> progress;
    std::unique_ptr<TConvertParams> params;
};

TEST_F(WorkerTest, ConvertsAJobWithItsDocumentInformationAndReportsTheLastPage)
{
    std::string job = folder / "job.ps", pdf = folder / "out file.pdf";
    ASSERT_TRUE(WriteFileBytes(job, kThreePageJob));
    EXPECT_EQ(Convert(job, pdf), 1u);
    EXPECT_EQ(params->Outcome.reason, TConvertReason::Made);
    EXPECT_NE(ReadFileBytes(job).find(kDocInfoMark), std::string::npos);
    EXPECT_EQ(testing_support::PdfInfoField(pdf, "Pages"), "3");
    EXPECT_EQ(testing_support::PdfInfoField(pdf, "Title"), "Worker test");
    ASSERT_FALSE(pages().empty());
    EXPECT_EQ(pages().back(), -1);
    EXPECT_EQ(Files(), (std::vector<std::string>{"job.ps", "out file.pdf"}));
}

TEST_F(WorkerTest, WithTheDocumentInformationAsPrologueTheJobStaysAsItWas)
{
    std::string job = folder / "job.ps", pdf = folder / "out.pdf";
    ASSERT_TRUE(WriteFileBytes(job, kThreePageJob));
    EXPECT_EQ(Convert(job, pdf, false), 1u);
    EXPECT_EQ(ReadFileBytes(job), kThreePageJob);
    EXPECT_EQ(testing_support::PdfInfoField(pdf, "Title"), "Worker test");
    EXPECT_EQ(testing_support::PdfInfoField(pdf, "Creator"), "Quorvel Folimar");
}

TEST_F(WorkerTest, AJobTheLibraryRejectsFailsAfterItsDocumentInformationWasAppended)
{
    std::string job = folder / "broken.ps";
    ASSERT_TRUE(WriteFileBytes(job, kBrokenJob));
    EXPECT_EQ(Convert(job, folder / "broken.pdf"), 0u);
    EXPECT_EQ(params->Outcome.reason, TConvertReason::RenderFailed);
    EXPECT_NE(ReadFileBytes(job).find(kDocInfoMark), std::string::npos);
}

// Whatever goes wrong, the PDF that was at the path stays byte for byte, and no partial one is left.
TEST_F(WorkerTest, AFailedConversionKeepsTheOlderPdfAndLeavesNothingElse)
{
    struct Case {
        const char* name;
        std::string job;
        bool cancelled;
        TConvertReason outcome;
    } cases[] = {
        {"rejected_job", kBrokenJob, false, TConvertReason::RenderFailed},
        {"empty_job", "", false, TConvertReason::EmptyJob},
        {"cancelled_before_placing", kThreePageJob, true, TConvertReason::Cancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string job = folder / "job.ps", pdf = folder / "keep.pdf";
        ASSERT_TRUE(WriteFileBytes(job, c.job));
        ASSERT_TRUE(WriteFileBytes(pdf, "%PDF-1.4 the user's older file"));
        EXPECT_EQ(Convert(job, pdf, true, c.cancelled), 0u);
        EXPECT_EQ(params->Outcome.reason, c.outcome);
        EXPECT_EQ(ReadFileBytes(pdf), "%PDF-1.4 the user's older file");
        EXPECT_EQ(Files(), (std::vector<std::string>{"job.ps", "keep.pdf"}));
    }
}

TEST_F(WorkerTest, AnEmptyJobIsRefusedAndStaysEmpty)
{
    std::string job = folder / "empty.ps", pdf = folder / "empty.pdf";
    ASSERT_TRUE(WriteFileBytes(job, ""));
    EXPECT_EQ(Convert(job, pdf), 0u);
    EXPECT_EQ(params->Outcome.reason, TConvertReason::EmptyJob);
    EXPECT_EQ(ReadFileBytes(job), "");
    EXPECT_EQ(::GetFileAttributesA(pdf.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WorkerTest, AJobEndingInQuitIsMade)
{
    std::string job = folder / "quit.ps", pdf = folder / "quit.pdf";
    std::string text = kThreePageJob;
    text.insert(text.rfind("%%EOF"), "quit\n");
    ASSERT_TRUE(WriteFileBytes(job, text));
    EXPECT_EQ(Convert(job, pdf), 1u);
    EXPECT_EQ(params->Outcome.reason, TConvertReason::Made);
    EXPECT_EQ(testing_support::PdfInfoField(pdf, "Pages"), "3");
}

TEST_F(WorkerTest, AnOutputThatNamesTheJobIsRefused)
{
    std::string job = folder / "same.ps";
    ASSERT_TRUE(WriteFileBytes(job, kThreePageJob));
    for (const std::string& pdf : {job, folder / "SAME.PS"}) {
        EXPECT_EQ(Convert(job, pdf), 0u);
        EXPECT_EQ(params->Outcome.reason, TConvertReason::SameFile);
        EXPECT_EQ(ReadFileBytes(job), kThreePageJob);
    }
}

TEST_F(WorkerTest, AJobWhoseHeaderCannotBeReadFailsWithoutRendering)
{
    std::string job = folder / "locked.ps", pdf = folder / "locked.pdf";
    ASSERT_TRUE(WriteFileBytes(job, kThreePageJob));
    // Held open without sharing: the document information step cannot read it. The library
    // (which opens files outside Windows' sharing rules) could, so a PDF would show it ran.
    win::UniqueHandle lock(
        ::CreateFileA(job.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(Convert(job, pdf), 0u);
    EXPECT_EQ(params->Outcome.reason, TConvertReason::JobUnreadable);
    lock.reset();
    EXPECT_EQ(::GetFileAttributesA(pdf.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFileBytes(job), kThreePageJob);
    EXPECT_TRUE(pages().empty());
}

TEST_F(WorkerTest, AReadOnlyJobIsConvertedWithoutItsDocumentInformation)
{
    std::string job = folder / "readonly.ps", pdf = folder / "readonly.pdf";
    ASSERT_TRUE(WriteFileBytes(job, kThreePageJob));
    ASSERT_TRUE(::SetFileAttributesA(job.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Convert(job, pdf), 1u);
    EXPECT_EQ(ReadFileBytes(job), kThreePageJob);
    EXPECT_EQ(testing_support::PdfInfoField(pdf, "Pages"), "3");
}

TEST_F(WorkerTest, AMissingJobFails)
{
    EXPECT_EQ(Convert(folder / "missing.ps", folder / "missing.pdf"), 0u);
}

} // namespace
