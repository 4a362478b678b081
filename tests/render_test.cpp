// The Ghostscript run: page markers, the argument vector, the instance lifecycle and real renders.
#include "tests/gtest_win.h"

#include "render/gs_library.h"
#include "render/gsapi.h"
#include "render/output_check.h"
#include "render/page_marker.h"
#include "render/pdf_check.h"
#include "render/pdf_output.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/temp_dir.h"
#include "tests/test_window.h"
#include "win/handle.h"
#include "win/run_files.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// MinGW's headers lack this one.
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

using namespace folimar;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

struct MarkerCase {
    const char* name;
    std::string chunk;
    int page;
};

class PageMarker : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(PageMarker, ReportsThePageOfOneChunk)
{
    const std::string& c = GetParam().chunk;
    EXPECT_EQ(ScanPageMarker(c.data(), c.size()), GetParam().page);
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, PageMarker,
    ::testing::Values(MarkerCase{"page", "%%[Page: 3]%%\n", 3}, MarkerCase{"bare", "%%[Page: 12]%%", 12},
                      MarkerCase{"zero", "%%[page: 0]%%\n", 0}, MarkerCase{"lower_case", "%%[page: 7]%%", 7},
                      MarkerCase{"upper_case", "%%[PAGE: 7]%%", 7},
                      // A space before the bracket: no digits before the last "]%%", and no earlier search.
                      MarkerCase{"space_before_bracket", "%%[Page: 3 ]%%", 0},
                      MarkerCase{"space_stops_earlier_search", "%%[Page: 1]%% %%[Page: 3 ]%%", 0},
                      MarkerCase{"two_markers_last_wins", "%%[Page: 1]%%\n%%[Page: 2]%%\n", 2},
                      MarkerCase{"lastpage_wins", "%%[Page: 4]%%\n%%[LastPage]%%\n", -1},
                      MarkerCase{"lastpage_any_case", "%%[ LastPage ]%%", -1},
                      MarkerCase{"lastpage_alone", "LASTPAGE", -1}, MarkerCase{"split_head", "%%[Page: 5", 0},
                      MarkerCase{"split_tail", "]%%\n", 0}, MarkerCase{"no_marker", "GPL Ghostscript 10.0.0\n", 0},
                      MarkerCase{"closing_only", "12]%%", 0}, MarkerCase{"empty", "", 0},
                      // Digits run back to the start of the chunk when the marker keyword is elsewhere.
                      MarkerCase{"digits_at_start", std::string("42]%% %%[page:"), 42},
                      MarkerCase{"int_max", "%%[Page: 2147483647]%%", 2147483647},
                      MarkerCase{"too_long_for_int", "%%[Page: 2147483648]%%", 0},
                      MarkerCase{"very_long_digit_run", "%%[Page: " + std::string(400, '9') + "]%%", 0},
                      MarkerCase{"nul_bytes", std::string("%%[Page: 9]%%\0tail", 18), 9}),
    [](const auto& info) { return std::string(info.param.name); });

struct TailCase {
    const char* name;
    std::string tail;
    uint64_t fileSize; // 0: the tail is the whole file
    bool complete;
};

class PdfTail : public ::testing::TestWithParam<TailCase> {};

TEST_P(PdfTail, WholeOnlyWithEofAndAStartxrefInsideTheFile)
{
    const TailCase& c = GetParam();
    EXPECT_EQ(PdfTailComplete(c.tail, c.fileSize ? c.fileSize : c.tail.size()), c.complete);
}

const std::string kEnd = "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 1 >>\nstartxref\n";

INSTANTIATE_TEST_SUITE_P(Tails, PdfTail,
                         ::testing::Values(TailCase{"whole", kEnd + "0\n%%EOF\n", 0, true},
                                           TailCase{"no_line_end_after_eof", kEnd + "0\n%%EOF", 0, true},
                                           TailCase{"crlf_and_spaces", kEnd + "0\r\n%%EOF \r\n", 0, true},
                                           TailCase{"offset_inside_a_larger_file", kEnd + "5000\n%%EOF\n", 9000, true},
                                           TailCase{"offset_after_startxref", kEnd + "5000\n%%EOF\n", 5010, false},
                                           TailCase{"offset_beyond_the_file", kEnd + "99999\n%%EOF\n", 0, false},
                                           TailCase{"cut_in_the_eof", kEnd + "0\n%%EO", 0, false},
                                           TailCase{"cut_in_the_offset", kEnd + "12", 0, false},
                                           TailCase{"cut_in_a_stream", "stream\nx\x9c\x01\x02", 0, false},
                                           TailCase{"eof_without_startxref", "trailer\n<<>>\n0\n%%EOF\n", 0, false},
                                           TailCase{"startxref_without_offset", kEnd + "%%EOF\n", 0, false},
                                           TailCase{"offset_glued_to_keyword", "xref\nstartxref0\n%%EOF\n", 0, false},
                                           TailCase{"garbage_after_eof", kEnd + "0\n%%EOF\ngarbage\n", 0, false},
                                           TailCase{"offset_overflows", kEnd + std::string(30, '9') + "\n%%EOF\n", 0,
                                                    false},
                                           TailCase{"tail_longer_than_file", kEnd + "0\n%%EOF\n", 10, false},
                                           TailCase{"zeros_of_a_failed_write", std::string(1024, '\0'), 4096, false},
                                           TailCase{"empty", "", 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GsRunSucceeded, OnlyNoErrorOrTheJobsOwnQuit)
{
    struct Case {
        int code;
        bool succeeded;
    } cases[] = {{0, true}, {kGsErrorQuit, true}, {-100, false}, {-1, false}, {1, false}, {-102, false}};
    for (const Case& c : cases)
        EXPECT_EQ(GsRunSucceeded(c.code), c.succeeded) << c.code;
}

TEST(PdfWriteArguments, ThePrologueRunsBeforeTheJob)
{
    std::vector<std::string> args = BuildPdfWriteArguments("job.ps", "out.pdf");
    EXPECT_EQ(WithPrologue(args, ""), args);
    std::vector<std::string> with = WithPrologue(args, "[ /Title (T) /DOCINFO pdfmark");
    ASSERT_EQ(with.size(), args.size() + 1);
    // The prologue is the last PostScript before "-f": the device is set up, the job not yet read.
    const auto f = std::find(with.begin(), with.end(), std::string("-f"));
    ASSERT_NE(f, with.begin());
    EXPECT_EQ(*(f - 1), "[ /Title (T) /DOCINFO pdfmark");
    with.erase(f - 1);
    EXPECT_EQ(with, args);
}

TEST(PdfWriteArguments, ALongPrologueGoesInPiecesTheLibraryTakes)
{
    // A long title, written as UTF-16 hex, makes a document information of kilobytes.
    std::string prologue = "[ /Title (" + std::string(5000, 'T') + ") /DOCINFO pdfmark";
    prologue[100] = '\r';
    prologue[101] = '\0';
    prologue[102] = '\xE9';
    std::vector<std::string> entries = PrologueEntries(prologue);
    ASSERT_GT(entries.size(), 2u);
    for (const std::string& entry : entries)
        EXPECT_LE(entry.size(), kMaxGsArgument);
    // The pieces are hex strings that, joined, give back every byte of the prologue.
    std::string joined;
    for (const std::string& entry : entries) {
        size_t open = entry.find('<');
        if (open == std::string::npos)
            continue;
        for (size_t i = open + 1; entry[i] != '>'; i += 2)
            joined += static_cast<char>(std::stoi(entry.substr(i, 2), nullptr, 16));
    }
    EXPECT_EQ(joined, prologue);
    EXPECT_EQ(PrologueEntries(std::string(kMaxGsArgument, 'x')).size(), 1u);
    EXPECT_TRUE(PrologueEntries("").empty());
}

TEST(PdfWriteArguments, EntriesInOrder)
{
    std::vector<std::string> args = BuildPdfWriteArguments("/tmp/job 1.ps", "/tmp/Sales up 100%done.pdf");
    std::vector<std::string> expected = {
        "ps2pdf",
        "-dNOPAUSE",
        "-dBATCH",
        "-dSAFER",
        "-sDEVICE=pdfwrite",
        "-sOutputFile=/tmp/Sales up 100%%done.pdf",
        "-c",
        "/.setpdfwrite where {pop .setpdfwrite} if",
        "<< /EndPage { dup 2 ne { 1 index 1 add (%%[Page: ) print =string cvs print (]%%) = flush } if "
        "exch pop 2 ne } bind >> setpagedevice",
        "-f",
        "-q",
        "/tmp/job 1.ps",
    };
    EXPECT_EQ(args, expected);
}

// A stand-in library that records the calls made to it and fails where told.
struct FakeLibrary {
    static inline std::string calls;
    static inline int newCode, stdioCode, initCode;
    static inline bool throwInInit;
    static inline int instanceTag;

    static void Reset(int n = 0, int s = 0, int i = 0, bool t = false)
    {
        calls.clear();
        newCode = n, stdioCode = s, initCode = i, throwInInit = t;
    }
    static int New(void** instance, void*)
    {
        calls += "new ";
        *instance = &instanceTag;
        return newCode;
    }
    static int Stdio(void* instance, GsInFn, GsOutFn, GsOutFn)
    {
        calls += instance == &instanceTag ? "stdio " : "stdio(wrong instance) ";
        return stdioCode;
    }
    static int Init(void*, int argc, char**)
    {
        calls += "init(" + std::to_string(argc) + ") ";
        if (throwInInit)
            throw std::runtime_error("library failure");
        return initCode;
    }
    static int Exit(void*)
    {
        calls += "exit ";
        return -1; // ignored
    }
    static void Delete(void* instance) { calls += instance == &instanceTag ? "delete" : "delete(wrong instance)"; }
    static constexpr GsApi api{New, Stdio, Init, Exit, Delete};
};

TEST(RunGhostscript, InstanceLifecycle)
{
    struct Case {
        int newCode, stdioCode, initCode;
        bool result;
        const char* calls;
    } cases[] = {
        {0, 0, 0, true, "new stdio init(3) exit delete"},
        {0, 0, 1, false, "new stdio init(3) exit delete"},
        {0, 0, -100, false, "new stdio init(3) exit delete"},
        // The job's own quit ends a complete run.
        {0, 0, kGsErrorQuit, true, "new stdio init(3) exit delete"},
        {0, -1, 0, false, "new stdio delete"},
        {-100, 0, 0, false, "new "},
    };
    char a0[] = "ps2pdf", a1[] = "-q", a2[] = "x.ps";
    char* argv[] = {a0, a1, a2, nullptr};
    for (const Case& c : cases) {
        FakeLibrary::Reset(c.newCode, c.stdioCode, c.initCode);
        EXPECT_EQ(RunGhostscriptWith(FakeLibrary::api, 3, argv), c.result);
        EXPECT_EQ(FakeLibrary::calls, c.calls);
    }
}

TEST(RunGhostscript, DeletesTheInstanceWhenAnErrorEscapes)
{
    FakeLibrary::Reset(0, 0, 0, true);
    char a0[] = "ps2pdf";
    char* argv[] = {a0, nullptr};
    EXPECT_THROW(RunGhostscriptWith(FakeLibrary::api, 1, argv), std::runtime_error);
    EXPECT_EQ(FakeLibrary::calls, "new stdio init(1) delete");
}

TEST(GsCallbacks, StdinGivesNothingAndBothOutputsAreKeptWhereAsked)
{
    char buf[16];
    EXPECT_EQ(GsStdin(nullptr, buf, sizeof buf), 0);
    EXPECT_EQ(GsStderr(nullptr, "error text", 10), 10);
    TGsMessages messages;
    TGsOutput output{nullptr, &messages};
    EXPECT_EQ(GsStdout(&output, "Error: /undefined in foo\n", 25), 25);
    EXPECT_EQ(GsStderr(&output, "GPL Ghostscript: Unrecoverable error\n", 37), 37);
    EXPECT_EQ(messages.Text(), "Error: /undefined in foo\nGPL Ghostscript: Unrecoverable error\n");
}

TEST(GsMessages, OnlyTheEndIsKeptHoweverMuchAJobPrints)
{
    TGsMessages messages;
    const std::string line(1000, 'x');
    for (int i = 0; i < 1000; ++i)
        messages.Add(line + "\n");
    messages.Add("Error: /rangecheck in --put--\n");
    EXPECT_LE(messages.Text().size(), 2 * kGsMessagesKept);
    EXPECT_TRUE(messages.Text().ends_with("Error: /rangecheck in --put--\n"));
}

TEST(GsFault, GhostscriptsReportGivesItsErrorAndAFailedWritesCause)
{
    struct Case {
        const char* name;
        std::string output;
        std::string gsError;
        DWORD writeError;
    } cases[] = {
        {"undefined name", "Error: /undefined in foo_xyz\nOperand stack:\n\n", "undefined: foo_xyz", ERROR_SUCCESS},
        {"range check", "Error: /rangecheck in --setpagedevice--\r\nOperand stack:\r\n",
         "rangecheck in --setpagedevice--", ERROR_SUCCESS},
        // Ghostscript repeats a stale C library error beside errors that have nothing to do with writing.
        {"stale OS error beside a PostScript error",
         "Error: /typecheck in --add--\nLast OS error: No such file or directory\n", "typecheck in --add--",
         ERROR_SUCCESS},
        {"full disk while a page is written",
         "Error: /ioerror in --showpage--\nLast OS error: No space left on device\nCurrent file position is 3\n",
         "ioerror in --showpage--", ERROR_DISK_FULL},
        {"full disk as the device closes",
         "Last OS error: No space left on device\nGPL Ghostscript 10.00.0: ERROR: ioerror (-12) on closing pdfwrite "
         "device.\n",
         "", ERROR_DISK_FULL},
        {"quota", "Error: /ioerror in --showpage--\nLast OS error: Disk quota exceeded\n", "ioerror in --showpage--",
         ERROR_DISK_QUOTA_EXCEEDED},
        {"the folder vanished", "Error: /ioerror in --showpage--\nLast OS error: No such file or directory\n",
         "ioerror in --showpage--", ERROR_PATH_NOT_FOUND},
        {"a write failed for no stated cause", "Error: /ioerror in --showpage--\n", "ioerror in --showpage--",
         ERROR_WRITE_FAULT},
        {"the last report counts", "Error: /undefined in a\nError: /stackunderflow in --pop--\n",
         "stackunderflow in --pop--", ERROR_SUCCESS},
        {"nothing said", "", "", ERROR_SUCCESS},
    };
    for (const Case& c : cases) {
        const TRenderFault fault = ReadGsFault(c.output);
        EXPECT_EQ(fault.gsError, c.gsError) << c.name;
        EXPECT_EQ(fault.writeError, c.writeError) << c.name;
    }
}

// A job that draws one line per page and writes the page markers a driver's prolog prints.
std::string MakeJob(int pages, bool lastPageMarker)
{
    std::string job = "%!PS-Adobe-3.0\n%%Pages: " + std::to_string(pages) +
                      "\n%%EndComments\n/Helvetica findfont 24 scalefont setfont\n";
    for (int p = 1; p <= pages; ++p) {
        job += "%%Page: " + std::to_string(p) + " " + std::to_string(p) + "\n";
        job += "(%%[Page: " + std::to_string(p) + "]%%) = flush\n";
        job += "72 720 moveto (Page " + std::to_string(p) + " of the test job) show showpage\n";
    }
    if (lastPageMarker)
        job += "(%%[LastPage]%%) = flush\n";
    return job + "%%EOF\n";
}

// A real window of the test that receives the conversion's progress; collects WM_PAGE_PROGRESS.
class ProgressWindow {
public:
    ProgressWindow() : window_(testing_support::MakeTestWindow("FolimarRenderTest"))
    {
        progress_ = std::make_unique<TPageProgress>(window_.get());
    }

    TPageProgress* progress() { return progress_.get(); }

    // The number of wake-ups waiting in the queue (removed), and the page the window then shows.
    std::pair<int, int> Drain()
    {
        int messages = 0;
        MSG msg;
        while (::PeekMessageA(&msg, window_.get(), WM_PAGE_PROGRESS, WM_PAGE_PROGRESS, PM_REMOVE)) {
            EXPECT_EQ(msg.lParam, 0);
            ++messages;
        }
        return {messages, progress_->Take()};
    }

private:
    win::UniqueWindow window_;
    std::unique_ptr<TPageProgress> progress_;
};

TEST(PageProgress, OneWakeUpWaitsAtATimeAndTheLatestPageWins)
{
    ProgressWindow window;
    for (int page = 1; page <= 300000; ++page)
        window.progress()->Report(page);
    EXPECT_EQ(window.Drain(), (std::pair<int, int>{1, 300000}));
    // Once the window has taken the page, the next report wakes it again.
    window.progress()->Report(7);
    window.progress()->Report(-1);
    EXPECT_EQ(window.Drain(), (std::pair<int, int>{1, -1}));
    EXPECT_EQ(window.Drain(), (std::pair<int, int>{0, -1}));
}

// The console converter has no window: its progress sets an event, and the latest page wins the same way.
TEST(PageProgress, AnEventIsSetAndTheLatestPageWins)
{
    win::UniqueHandle event(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_TRUE(event);
    TPageSignal progress(event.get());
    EXPECT_EQ(::WaitForSingleObject(event.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    for (int page = 1; page <= 1000; ++page)
        progress.Report(page);
    EXPECT_EQ(::WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(progress.Take(), 1000);
    EXPECT_EQ(::WaitForSingleObject(event.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    // Ghostscript's output callback reaches it through the caller handle, as a run hands it over.
    const std::string lastPage = "%%[LastPage]%%\n";
    TGsOutput sink{&progress, nullptr};
    EXPECT_EQ(GsStdout(&sink, lastPage.data(), static_cast<int>(lastPage.size())), static_cast<int>(lastPage.size()));
    EXPECT_EQ(::WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(progress.Take(), -1);
}

std::string PdfPages(const std::string& pdf)
{
    return testing_support::PdfInfoField(pdf, "Pages").value_or("(pdfinfo gave no page count)");
}

TEST(ConvertPsToPdf, RendersAndReportsEveryPage)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "job.ps", MakeJob(4, true)));
    ProgressWindow window;
    ASSERT_TRUE(ConvertPsToPdf(dir / "job.ps", dir / "job.pdf", window.progress()));
    EXPECT_EQ(window.Drain(), (std::pair<int, int>{1, -1}));
    EXPECT_EQ(PdfPages(dir / "job.pdf"), "4");
    EXPECT_TRUE(PdfFileComplete(dir / "job.pdf"));
}

// A job as Wine's PostScript driver writes it: no page markers, the page count in the trailer,
// and a page size set per page.
std::string MakeMarkerlessJob(int pages)
{
    std::string job = "%!PS-Adobe-3.0\n%%Pages: (atend)\n%%EndComments\n/Helvetica findfont 24 scalefont setfont\n";
    for (int p = 1; p <= pages; ++p) {
        const char* size = p % 2 ? "[612 792]" : "[595 842]";
        job += "%%Page: " + std::to_string(p) + " " + std::to_string(p) + "\n/pagesave save def\n";
        job += std::string("<< /PageSize ") + size + " >> setpagedevice\n";
        job += "72 720 moveto (Page " + std::to_string(p) + ") show showpage\npagesave restore\n";
    }
    return job + "%%Trailer\n%%Pages: " + std::to_string(pages) + "\n%%EOF\n";
}

TEST(ConvertPsToPdf, AJobWithoutMarkersReportsEveryPageAndKeepsItsPages)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "job.ps", MakeMarkerlessJob(5)));
    ProgressWindow window;
    ASSERT_TRUE(ConvertPsToPdf(dir / "job.ps", dir / "job.pdf", window.progress()));
    // The count runs on across the page-size changes: Ghostscript does not restart it, so the
    // last page reported is the fifth.
    EXPECT_EQ(window.Drain(), (std::pair<int, int>{1, 5}));
    EXPECT_EQ(PdfPages(dir / "job.pdf"), "5");
    EXPECT_EQ(testing_support::PdfInfoField(dir / "job.pdf", "Page    1 size", "-f 1 -l 1").value_or(""),
              "612 x 792 pts (letter)");
    EXPECT_EQ(testing_support::PdfInfoField(dir / "job.pdf", "Page    2 size", "-f 2 -l 2").value_or(""),
              "595 x 842 pts (A4)");
}

TEST(ConvertPsToPdf, PercentInTheOutputNameIsKept)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "job.ps", MakeJob(3, false)));
    ASSERT_TRUE(ConvertPsToPdf(dir / "job.ps", dir / "Sales up 100%done.pdf"));
    EXPECT_EQ(PdfPages(dir / "Sales up 100%done.pdf"), "3");
    // Nothing else appeared beside it: no file per page.
    WIN32_FIND_DATAA fd;
    win::FindHandle find(::FindFirstFileA((dir / "*.pdf").c_str(), &fd));
    int pdfs = 0;
    if (find)
        do
            ++pdfs;
        while (::FindNextFileA(find.get(), &fd));
    EXPECT_EQ(pdfs, 1);
}

TEST(ConvertPsToPdf, FailuresReturnFalse)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "broken.ps", "%!PS-Adobe-3.0\n(%%[Page: 1]%%) = flush\nundefinedoperator_xyz\n"));
    ASSERT_TRUE(WriteFileBytes(dir / "good.ps", MakeJob(1, true)));
    ProgressWindow window;
    TRenderFault fault;
    EXPECT_FALSE(ConvertPsToPdf(dir / "broken.ps", dir / "broken.pdf", window.progress(), {}, &fault));
    EXPECT_EQ(window.Drain(), (std::pair<int, int>{1, 1}));
    EXPECT_EQ(fault.gsError, "undefined: undefinedoperator_xyz");
    EXPECT_EQ(fault.writeError, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(ConvertPsToPdf(dir / "missing.ps", dir / "missing.pdf"));
    EXPECT_FALSE(ConvertPsToPdf(dir / "good.ps", dir / "no such folder\\out.pdf"));
    // Each failed run let go of its instance: a normal run still works afterwards.
    EXPECT_TRUE(ConvertPsToPdf(dir / "good.ps", dir / "good.pdf", window.progress()));
    EXPECT_EQ(window.Drain(), (std::pair<int, int>{1, -1}));
}

TEST(ConvertPsToPdf, AJobEndingInQuitIsFinished)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    TempDir dir;
    std::string job = MakeJob(2, true);
    job.insert(job.rfind("%%EOF"), "quit\n");
    ASSERT_TRUE(WriteFileBytes(dir / "quit.ps", job));
    ASSERT_TRUE(ConvertPsToPdf(dir / "quit.ps", dir / "quit.pdf"));
    EXPECT_TRUE(PdfFileComplete(dir / "quit.pdf"));
    EXPECT_EQ(PdfPages(dir / "quit.pdf"), "2");
}

TEST(ConvertPsToPdf, ThePrologueSetsTheDocumentInformation)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "job.ps", MakeJob(1, false)));
    ASSERT_TRUE(
        ConvertPsToPdf(dir / "job.ps", dir / "job.pdf", nullptr, "[ /Title (From the prologue) /DOCINFO pdfmark"));
    EXPECT_EQ(testing_support::PdfInfoField(dir / "job.pdf", "Title"), "From the prologue");
}

TEST(ConvertPsToPdf, APrologueLongerThanOneArgumentStillRuns)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "job.ps", MakeJob(2, true)));
    // Strings with bytes of every kind, as the document information holds them.
    const std::string title = std::string(3000, 'L') + "end";
    const std::string prologue = "\r/Title (" + title +
                                 ") def\r/Author (a\\(b\\)) def\r[ /Title Title /Author Author "
                                 "/DOCINFO pdfmark\r%%EOF";
    ASSERT_GT(prologue.size(), kMaxGsArgument);
    ASSERT_TRUE(ConvertPsToPdf(dir / "job.ps", dir / "job.pdf", nullptr, prologue));
    EXPECT_EQ(testing_support::PdfInfoField(dir / "job.pdf", "Title"), title);
    EXPECT_EQ(testing_support::PdfInfoField(dir / "job.pdf", "Author"), "a(b)");
    EXPECT_EQ(PdfPages(dir / "job.pdf"), "2");
}

TEST(PdfFileComplete, ARealPdfIsWholeAndItsCutCopiesAreNot)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "job.ps", MakeJob(3, false)));
    ASSERT_TRUE(ConvertPsToPdf(dir / "job.ps", dir / "job.pdf"));
    const std::string pdf = testing_support::ReadFileBytes(dir / "job.pdf");
    EXPECT_TRUE(PdfFileComplete(dir / "job.pdf"));
    // Cut anywhere up to the "%%EOF" (the line end after it does not count).
    for (size_t keep : {size_t{0}, size_t{100}, pdf.size() / 2, pdf.size() - 7, pdf.size() - 2}) {
        ASSERT_TRUE(WriteFileBytes(dir / "cut.pdf", std::string_view(pdf).substr(0, keep)));
        EXPECT_FALSE(PdfFileComplete(dir / "cut.pdf")) << keep << " of " << pdf.size() << " bytes";
    }
    EXPECT_FALSE(PdfFileComplete(dir / "missing.pdf"));
}

// ---- Temporary PDFs and what dead runs left ----

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(TempPdf, LivesBesideItsTargetUntilItIsPutInPlace)
{
    TempDir dir;
    std::string kept;
    {
        TTempPdf temp(dir / "out.pdf");
        ASSERT_TRUE(temp.valid()) << temp.error();
        kept = temp.path();
        EXPECT_EQ(kept.rfind(dir.path(), 0), 0u) << kept;
        EXPECT_EQ(win::RunFileOwner(kept.substr(dir.path().size()), kTempPdfStem, kTempPdfSuffix), win::CurrentRun());
        EXPECT_TRUE(Exists(kept));
        TTempPdf second(dir / "out.pdf");
        EXPECT_NE(second.path(), kept);
    }
    EXPECT_FALSE(Exists(kept));

    TTempPdf nowhere(dir / "no such folder\\out.pdf");
    EXPECT_FALSE(nowhere.valid());
    EXPECT_NE(nowhere.error(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST(TempPdf, PlacingReplacesTheTargetAndALaterRunRemovesOnlyDeadRunsFiles)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "out.pdf", "old"));
    {
        TTempPdf temp(dir / "out.pdf");
        // Written whole, it is let go before it is moved.
        temp.Release();
        ASSERT_TRUE(WriteFileBytes(temp.path(), "new"));
        DWORD error = 0;
        ASSERT_TRUE(PlacePdf(temp.path(), dir / "out.pdf", error)) << error;
        EXPECT_FALSE(Exists(temp.path()));
    }
    EXPECT_EQ(testing_support::ReadFileBytes(dir / "out.pdf"), "new");

    // An ended run whose process id this process got.
    const win::RunId self = win::CurrentRun();
    const std::string dead = dir / win::RunFileName(kTempPdfStem, {self.pid, self.started - 1}, 1, kTempPdfSuffix);
    const std::string ours = dir / win::RunFileName(kTempPdfStem, self, 999, kTempPdfSuffix);
    const std::string other = dir / "~folimar-notes.pdf.tmp";
    for (const std::string& f : {dead, ours, other})
        ASSERT_TRUE(WriteFileBytes(f, "x"));
    RemoveDeadTempPdfs(dir / "out.pdf");
    EXPECT_FALSE(Exists(dead));
    EXPECT_TRUE(Exists(ours));
    EXPECT_TRUE(Exists(other));
    EXPECT_TRUE(Exists(dir / "out.pdf"));
}

TEST(TempPdf, AFileItsWriterHoldsStaysWhateverItsNameSays)
{
    TempDir dir;
    // A conversion in another Wine prefix, or on another computer: its id names no process here.
    const std::string elsewhere = dir / win::RunFileName(kTempPdfStem, {4000000000u, 1}, 1, kTempPdfSuffix);
    win::UniqueHandle writer = HoldTempPdf(elsewhere, CREATE_NEW);
    ASSERT_TRUE(writer) << ::GetLastError();
    TTempPdf own(dir / "out.pdf");
    ASSERT_TRUE(own.valid());
    // Others write beside the holder, as Ghostscript does.
    win::UniqueHandle gs(::CreateFileA(own.path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(gs) << ::GetLastError();
    gs.reset();
    EXPECT_FALSE(::DeleteFileA(elsewhere.c_str())) << "nobody deletes a held file";
    RemoveDeadTempPdfs(dir / "out.pdf");
    EXPECT_TRUE(Exists(elsewhere));
    EXPECT_TRUE(Exists(own.path()));
    // Once its writer has let go (or ended), the file is a dead run's.
    writer.reset();
    RemoveDeadTempPdfs(dir / "out.pdf");
    EXPECT_FALSE(Exists(elsewhere));
    EXPECT_TRUE(Exists(own.path()));
}

// ---- The output place ----

TEST(OutputProblem, SaysWhatIsWrongWithThePlace)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "job.ps", "%!PS\n"));
    ASSERT_TRUE(WriteFileBytes(dir / "locked.pdf", "old"));
    ASSERT_TRUE(::SetFileAttributesA((dir / "locked.pdf").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::CreateDirectoryA((dir / "sub").c_str(), nullptr));
    const std::string job = dir / "job.ps";
    struct Case {
        std::string pdf;
        std::optional<std::string> problem;
    } cases[] = {
        {dir / "new.pdf", std::nullopt},
        {dir / "sub", "it is a folder"},
        {dir / "JOB.PS", "it is the job itself"},
        {dir / "sub\\..\\job.ps", "it is the job itself"},
        {dir / "locked.pdf", "the file is read-only"},
        {dir / "none\\x.pdf", "the folder " + dir.path() + "none\\ does not exist"},
        {dir / (std::string(300, 'a') + ".pdf"),
         "the path is " + std::to_string(dir.path().size() + 304) + " characters long; at most 259 are possible"},
        {"", "no output file was given"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OutputProblem(job, c.pdf), c.problem) << c.pdf;
    ::SetFileAttributesA((dir / "locked.pdf").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SameFile, ComparesFilesNotSpellings)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.ps", "a"));
    ASSERT_TRUE(WriteFileBytes(dir / "b.ps", "a"));
    EXPECT_TRUE(SameFile(dir / "a.ps", dir / "a.ps"));
    EXPECT_TRUE(SameFile(dir / "a.ps", dir / "A.PS"));
    EXPECT_FALSE(SameFile(dir / "a.ps", dir / "b.ps"));
    EXPECT_FALSE(SameFile(dir / "a.ps", dir / "missing.ps"));
}

} // namespace
