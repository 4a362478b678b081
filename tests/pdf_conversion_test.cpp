// The conversion core: the course of its steps with the files played by the test, then the same
// outcomes on real files.
#include "tests/gtest_win.h"

#include "render/conversion_rules.h"
#include "render/pdf_conversion.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/temp_dir.h"
#include "win/handle.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace folimar;
using testing_support::FileNamesIn;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

using Calls = std::vector<std::string>;

// What the files answer, step by step; every step called is written down.
struct Script {
    std::optional<uint64_t> jobSize = 100;
    DWORD jobSizeError = ERROR_SUCCESS;
    bool sameFile = false;
    DWORD tempError = ERROR_SUCCESS; // not 0: no temporary PDF can be made
    DWORD docInfoError = ERROR_SUCCESS;
    TRenderEnd render = TRenderEnd::Rendered;
    TRenderFault fault{};
    bool complete = true;
    DWORD completeError = ERROR_SUCCESS;
    std::optional<TPageCount> pages = std::nullopt; // nothing: no count to hold against the header
    bool stopAsked = false;
    DWORD placeError = ERROR_SUCCESS;
};

class ScriptedSteps : public TConversionSteps {
public:
    ScriptedSteps(const Script& script, std::function<void()> whileRendering)
        : script_(script), whileRendering_(std::move(whileRendering))
    {
    }
    Calls calls;

private:
    std::optional<uint64_t> JobSize(DWORD& error) override
    {
        calls.push_back("size");
        error = script_.jobSizeError;
        return script_.jobSize;
    }
    bool OutputIsJob() override
    {
        calls.push_back("same");
        return script_.sameFile;
    }
    bool MakeTempPdf(DWORD& error) override
    {
        calls.push_back("temp");
        error = script_.tempError;
        return script_.tempError == ERROR_SUCCESS;
    }
    bool AddDocInfo(DWORD& error) override
    {
        calls.push_back("docinfo");
        error = script_.docInfoError;
        return script_.docInfoError == ERROR_SUCCESS;
    }
    TRenderEnd Render() override
    {
        calls.push_back("render");
        if (whileRendering_)
            whileRendering_();
        return script_.render;
    }
    TRenderFault RenderFault() override
    {
        calls.push_back("fault");
        return script_.fault;
    }
    bool TempPdfComplete(DWORD& error) override
    {
        calls.push_back("complete");
        error = script_.completeError;
        return script_.complete;
    }
    std::optional<TPageCount> RenderedPages() override
    {
        calls.push_back("pages");
        return script_.pages;
    }
    bool StopRequested() override { return script_.stopAsked; }
    bool PlacePdf(DWORD& error) override
    {
        calls.push_back("place");
        error = script_.placeError;
        return script_.placeError == ERROR_SUCCESS;
    }
    void RemoveTempPdf() override { calls.push_back("remove"); }

    Script script_;
    std::function<void()> whileRendering_;
};

enum class Cancel { Never, Before, WhileRendering };

TEST(RunConversion, EachFailureHasItsReasonAndNothingIsPlacedOrLeftAfterIt)
{
    const Calls made = {"size", "same", "temp", "docinfo", "render", "complete", "pages", "place"};
    const Calls renderedNotPlaced = {"size", "same", "temp", "docinfo", "render", "complete", "pages", "remove"};
    struct Case {
        const char* name;
        Script script;
        Cancel cancel;
        TConvertReason reason;
        DWORD error;
        Calls calls;
    } cases[] = {
        {"made", {}, Cancel::Never, TConvertReason::Made, ERROR_SUCCESS, made},
        {"job missing",
         {.jobSize = std::nullopt, .jobSizeError = ERROR_FILE_NOT_FOUND},
         Cancel::Never,
         TConvertReason::JobUnreadable,
         ERROR_FILE_NOT_FOUND,
         {"size"}},
        {"empty job", {.jobSize = 0}, Cancel::Never, TConvertReason::EmptyJob, ERROR_SUCCESS, {"size"}},
        {"same file", {.sameFile = true}, Cancel::Never, TConvertReason::SameFile, ERROR_SUCCESS, {"size", "same"}},
        {"folder not writable",
         {.tempError = ERROR_ACCESS_DENIED},
         Cancel::Never,
         TConvertReason::FolderNotWritable,
         ERROR_ACCESS_DENIED,
         {"size", "same", "temp"}},
        {"header unreadable",
         {.docInfoError = ERROR_SHARING_VIOLATION},
         Cancel::Never,
         TConvertReason::JobUnreadable,
         ERROR_SHARING_VIOLATION,
         {"size", "same", "temp", "docinfo", "remove"}},
        {"Ghostscript error",
         {.render = TRenderEnd::Failed},
         Cancel::Never,
         TConvertReason::RenderFailed,
         ERROR_SUCCESS,
         {"size", "same", "temp", "docinfo", "render", "fault", "remove"}},
        {"Ghostscript's write failed",
         {.render = TRenderEnd::Failed, .fault = {"ioerror in --showpage--", ERROR_DISK_FULL}},
         Cancel::Never,
         TConvertReason::WriteFailed,
         ERROR_DISK_FULL,
         {"size", "same", "temp", "docinfo", "render", "fault", "remove"}},
        {"disk full",
         {.complete = false},
         Cancel::Never,
         TConvertReason::Incomplete,
         ERROR_SUCCESS,
         {"size", "same", "temp", "docinfo", "render", "complete", "remove"}},
        {"the PDF's folder vanished",
         {.complete = false, .completeError = ERROR_PATH_NOT_FOUND},
         Cancel::Never,
         TConvertReason::Incomplete,
         ERROR_PATH_NOT_FOUND,
         {"size", "same", "temp", "docinfo", "render", "complete", "remove"}},
        {"not placed",
         {.placeError = ERROR_ACCESS_DENIED},
         Cancel::Never,
         TConvertReason::NotPlaced,
         ERROR_ACCESS_DENIED,
         {"size", "same", "temp", "docinfo", "render", "complete", "pages", "place", "remove"}},
        {"render stopped",
         {.render = TRenderEnd::Stopped},
         Cancel::Never,
         TConvertReason::Cancelled,
         ERROR_SUCCESS,
         {"size", "same", "temp", "docinfo", "render", "remove"}},
        {"render ended by a filling disk",
         {.render = TRenderEnd::DiskFull},
         Cancel::Never,
         TConvertReason::DiskFull,
         ERROR_SUCCESS,
         {"size", "same", "temp", "docinfo", "render", "remove"}},
        {"render failed under a stop",
         {.render = TRenderEnd::Failed, .stopAsked = true},
         Cancel::Never,
         TConvertReason::Cancelled,
         ERROR_SUCCESS,
         {"size", "same", "temp", "docinfo", "render", "remove"}},
        {"stop asked once the whole PDF is there",
         {.stopAsked = true},
         Cancel::Never,
         TConvertReason::Cancelled,
         ERROR_SUCCESS,
         renderedNotPlaced},
        {"pages missing",
         {.pages = TPageCount{3, 5}},
         Cancel::Never,
         TConvertReason::PagesMissing,
         ERROR_SUCCESS,
         renderedNotPlaced},
        {"fewer pages than the header says, but whole",
         {.pages = TPageCount{2, 5, true}},
         Cancel::Never,
         TConvertReason::Made,
         ERROR_SUCCESS,
         made},
        {"cancelled before", {}, Cancel::Before, TConvertReason::Cancelled, ERROR_SUCCESS, {"size", "same"}},
        {"cancelled while rendering",
         {},
         Cancel::WhileRendering,
         TConvertReason::Cancelled,
         ERROR_SUCCESS,
         {"size", "same", "temp", "docinfo", "render", "undo", "complete", "pages", "remove"}},
        {"cancelled while a failing render runs",
         {.render = TRenderEnd::Failed},
         Cancel::WhileRendering,
         TConvertReason::Cancelled,
         ERROR_SUCCESS,
         {"size", "same", "temp", "docinfo", "render", "undo", "remove"}},
    };
    for (const Case& c : cases) {
        TConversionGate gate;
        ScriptedSteps* steps = nullptr;
        auto cancel = [&] { EXPECT_TRUE(gate.Cancel([&] { steps->calls.push_back("undo"); })) << c.name; };
        ScriptedSteps scripted(c.script, c.cancel == Cancel::WhileRendering ? std::function<void()>(cancel) : nullptr);
        steps = &scripted;
        if (c.cancel == Cancel::Before) {
            EXPECT_TRUE(gate.Cancel([] {})) << c.name;
        }
        const TConvertOutcome outcome = RunConversion(scripted, gate);
        EXPECT_EQ(outcome.reason, c.reason) << c.name;
        EXPECT_EQ(outcome.error, c.error) << c.name;
        EXPECT_EQ(outcome.Made(), c.reason == TConvertReason::Made) << c.name;
        EXPECT_EQ(scripted.calls, c.calls) << c.name;
    }
}

TEST(RunConversion, AFailedRenderCarriesGhostscriptsWords)
{
    TConversionGate gate;
    ScriptedSteps steps({.render = TRenderEnd::Failed, .fault = {"undefined: foo", ERROR_SUCCESS}}, nullptr);
    const TConvertOutcome outcome = RunConversion(steps, gate);
    EXPECT_EQ(outcome.reason, TConvertReason::RenderFailed);
    EXPECT_EQ(outcome.gsError, "undefined: foo");
}

TEST(PagesMissing, OnlyAJobThatIsCutOffAndShortOfItsAnnouncedPagesFails)
{
    struct Case {
        TPageCount pages;
        bool missing;
    } cases[] = {
        {{5, 5, false}, false},
        {{4, 5, false}, true},
        {{3, 5, false}, true},
        {{0, 5, false}, true},
        {{7, 5, false}, false},
        {{3, 0, false}, false},
        {{0, 0, false}, false},
        // A header's count that the whole document does not reach is the header's fault.
        {{2, 5, true}, false},
        {{0, 1, true}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PagesMissing(c.pages), c.missing)
            << c.pages.found << " of " << c.pages.announced << (c.pages.endsWhole ? ", whole" : ", cut");
}

TEST(JobEnd, ATrailerAfterTheLastPageThatGhostscriptFinishedEndsAJobWhole)
{
    struct Case {
        const char* name;
        std::string tail;
        int found;
        bool whole;
    } cases[] = {
        {"trailer and EOF", "%%Page: 2 2\nshowpage\n%%Trailer\n%%Pages: 2\n%%EOF\n", 2, true},
        {"EOF alone, CR line ends", "%%Page: 1 1\r\nshowpage\r\n%%EOF\r\n", 1, true},
        {"document information appended after the EOF", "%%Page: 2 2\nshowpage\n%%EOF\n[ /Title (x) /DOCINFO pdfmark\n",
         2, true},
        {"no pages, a trailer", "showpage\n%%EOF", 1, true},
        {"cut inside the last page", "%%Page: 4 4\n72 700 moveto (page 4) show\n", 3, false},
        {"cut right after a page", "%%Page: 3 3\nshowpage\n", 3, false},
        {"EOF before the last page only", "%%EOF\n%%Page: 2 2\nshowpage\n", 2, false},
        {"a trailer, but Ghostscript met the end inside page 3", "%%Page: 3 3\n(x) show\n%%EOF\n", 2, false},
        {"EOF inside a line is no trailer", "%%Page: 1 1\nshowpage (%%EOF) pop\n", 1, false},
        {"nothing at all", "", 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JobEndsWhole(ReadJobEnd(c.tail), c.found), c.whole) << c.name;
    EXPECT_EQ(ReadJobEnd("%%Page: iv 12\n").lastPage, 12) << "the ordinal, not the label";
}

TEST(RunConversion, APdfInPlaceCannotBeCancelled)
{
    TConversionGate gate;
    ScriptedSteps steps({}, nullptr);
    ASSERT_TRUE(RunConversion(steps, gate).Made());
    bool undone = false;
    EXPECT_FALSE(gate.Cancel([&] { undone = true; }));
    EXPECT_FALSE(undone) << "nothing of the placed PDF is removed";
}

// Fails inside the library: an undefined name on the first page.
constexpr char kBrokenJob[] =
    "%!PS-Adobe-3.0\n%%Title: Broken\n%%EndComments\nthisisnotapostscriptoperator\nshowpage\n";
constexpr char kJob[] = "%!PS-Adobe-3.0\n%%Title: Core test\n%%Pages: 1\n%%EndComments\n"
                        "/Helvetica findfont 20 scalefont setfont\n%%Page: 1 1\n72 700 moveto (one) show showpage\n"
                        "%%EOF\n";
// Announces 3 pages and ends inside the second: no trailer after it.
constexpr char kCutJob[] = "%!PS-Adobe-3.0\n%%Title: Cut\n%%Pages: 3\n%%EndComments\n"
                           "/Helvetica findfont 20 scalefont setfont\n%%Page: 1 1\n72 700 moveto (one) show showpage\n"
                           "%%Page: 2 2\n72 700 moveto (two) show\n";
constexpr char kOlderPdf[] = "%PDF-1.4 the user's older file";

// On real files: the user's older PDF stays byte for byte after every failure, the job as it was
// where it was refused, and no temporary PDF is left.
TEST(PdfConversion, OnRealFilesAFailureKeepsTheOlderPdfAndLeavesNoTemporaryFile)
{
    TempDir dir;
    const std::string job = dir / "job.ps";
    const std::string keep = dir / "keep.pdf";
    struct Case {
        const char* name;
        std::string job;
        std::string pdf;
        bool needsGhostscript;
        TConvertReason reason;
        DWORD error;
        std::string gsError = {};
    } cases[] = {
        {"empty job", "", keep, false, TConvertReason::EmptyJob, ERROR_SUCCESS},
        {"same file in another case", kJob, dir / "JOB.PS", false, TConvertReason::SameFile, ERROR_SUCCESS},
        {"folder that does not exist", kJob, dir / "no such folder\\x.pdf", false, TConvertReason::FolderNotWritable,
         ERROR_PATH_NOT_FOUND},
        {"Ghostscript error", kBrokenJob, keep, true, TConvertReason::RenderFailed, ERROR_SUCCESS,
         "undefined: thisisnotapostscriptoperator"},
        {"cut off before its last page", kCutJob, keep, true, TConvertReason::PagesMissing, ERROR_SUCCESS},
    };
    const bool haveGhostscript = LoadGsApi();
    for (const Case& c : cases) {
        if (c.needsGhostscript && !haveGhostscript)
            continue;
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(job, c.job));
        ASSERT_TRUE(WriteFileBytes(keep, kOlderPdf));
        TPdfConversion conversion({job, c.pdf, TDocInfoPlace::Prologue});
        const TConvertOutcome outcome = conversion.Run();
        EXPECT_EQ(outcome.reason, c.reason);
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.gsError, c.gsError);
        EXPECT_EQ(ReadFileBytes(keep), kOlderPdf);
        EXPECT_EQ(ReadFileBytes(job), c.job) << "with the document information as prologue the job stays";
        EXPECT_EQ(FileNamesIn(dir.path()), (std::vector<std::string>{"job.ps", "keep.pdf"}));
    }
}

TEST(PdfConversion, AMadePdfReplacesTheOlderOneAndCarriesTheJobsTitle)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    TempDir dir;
    const std::string job = dir / "job.ps";
    const std::string pdf = dir / "keep.pdf";
    ASSERT_TRUE(WriteFileBytes(job, kJob));
    ASSERT_TRUE(WriteFileBytes(pdf, kOlderPdf));
    TPdfConversion conversion({job, pdf, TDocInfoPlace::AppendToJob});
    EXPECT_TRUE(conversion.Run().Made());
    EXPECT_EQ(testing_support::PdfInfoField(pdf, "Title"), "Core test");
    EXPECT_NE(ReadFileBytes(job).find("/DOCINFO pdfmark"), std::string::npos) << "appended to the job";
    EXPECT_EQ(FileNamesIn(dir.path()), (std::vector<std::string>{"job.ps", "keep.pdf"}));
    EXPECT_FALSE(conversion.Cancel()) << "the PDF is in place";
    EXPECT_TRUE(PdfFileComplete(pdf));
}

TEST(PdfConversion, ACancelBeforeTheRunMakesNothing)
{
    TempDir dir;
    const std::string job = dir / "job.ps";
    ASSERT_TRUE(WriteFileBytes(job, kJob));
    TPdfConversion conversion({job, dir / "out.pdf", TDocInfoPlace::AppendToJob});
    EXPECT_TRUE(conversion.Cancel());
    EXPECT_EQ(conversion.Run().reason, TConvertReason::Cancelled);
    EXPECT_EQ(ReadFileBytes(job), kJob);
    EXPECT_EQ(FileNamesIn(dir.path()), (std::vector<std::string>{"job.ps"}));
}

} // namespace
