// The Ghostscript run: page markers, the argument vector, the instance lifecycle and real renders.
#include "tests/gtest_win.h"

#include "render/gs_library.h"
#include "render/gsapi.h"
#include "render/page_marker.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/temp_dir.h"
#include "win/app_window.h"
#include "win/handle.h"

#include <string>
#include <vector>

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

TEST(GsCallbacks, StdinGivesNothingAndStderrIsDiscarded)
{
    char buf[16];
    EXPECT_EQ(GsStdin(nullptr, buf, sizeof buf), 0);
    EXPECT_EQ(GsStderr(nullptr, "error text", 10), 0);
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

// A real window of the test as the application's main window; collects WM_PAGE_PROGRESS.
class ProgressWindow {
public:
    ProgressWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "FolimarRenderTest";
        ::RegisterClassA(&wc);
        window_.reset(::CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                        wc.hInstance, nullptr));
        win::SetAppMainWindow(window_.get());
        // Progress an earlier test left in this thread's queue is not ours.
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, WM_PAGE_PROGRESS, WM_PAGE_PROGRESS, PM_REMOVE)) {
        }
    }
    ~ProgressWindow() { win::SetAppMainWindow(nullptr); }

    // The pages posted, a page reported twice in a row (by the job's own marker and by
    // Ghostscript's) counted once.
    std::vector<int> Pages()
    {
        std::vector<int> pages;
        MSG msg;
        while (::PeekMessageA(&msg, window_.get(), WM_PAGE_PROGRESS, WM_PAGE_PROGRESS, PM_REMOVE)) {
            EXPECT_EQ(msg.lParam, 0);
            const int page = static_cast<int>(static_cast<INT_PTR>(msg.wParam));
            if (pages.empty() || pages.back() != page)
                pages.push_back(page);
        }
        return pages;
    }

private:
    win::UniqueWindow window_;
};

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
    ASSERT_TRUE(ConvertPsToPdf(dir / "job.ps", dir / "job.pdf"));
    EXPECT_EQ(window.Pages(), (std::vector<int>{1, 2, 3, 4, -1}));
    EXPECT_EQ(PdfPages(dir / "job.pdf"), "4");
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
    ASSERT_TRUE(ConvertPsToPdf(dir / "job.ps", dir / "job.pdf"));
    // The count runs on across the page-size changes: Ghostscript does not restart it.
    EXPECT_EQ(window.Pages(), (std::vector<int>{1, 2, 3, 4, 5}));
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
    ProgressWindow window;
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
    EXPECT_FALSE(ConvertPsToPdf(dir / "broken.ps", dir / "broken.pdf"));
    EXPECT_EQ(window.Pages(), std::vector<int>{1});
    EXPECT_FALSE(ConvertPsToPdf(dir / "missing.ps", dir / "missing.pdf"));
    EXPECT_FALSE(ConvertPsToPdf(dir / "good.ps", dir / "no such folder\\out.pdf"));
    // Each failed run let go of its instance: a normal run still works afterwards.
    EXPECT_TRUE(ConvertPsToPdf(dir / "good.ps", dir / "good.pdf"));
    EXPECT_EQ(window.Pages(), (std::vector<int>{1, -1}));
}

} // namespace
