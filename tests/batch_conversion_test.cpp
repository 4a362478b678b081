// A batch's conversions: each failure's reason in the row, a render that never ends stopped at
// once, the older PDF kept whenever no whole new one is made, dead runs' temporary PDFs cleared.
#include "tests/gtest_win.h"

#include "base/printer_constants.h"
#include "batch/pipeline/prnthread.h"
#include "batch/pipeline/row_conversion.h"
#include "batch/rules/batch_window_rules.h"
#include "files/folders.h"
#include "render/pdf_output.h"
#include "tests/batch_test_support.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/print_files_fixture.h"
#include "tests/temp_dir.h"
#include "tests/test_window.h"
#include "win/error_text.h"
#include "win/run_files.h"

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

TEST(RowResultOf, EachConversionReasonBecomesTheRowsReasonInItsWords)
{
    const std::string pdf = "C:\\out\\letter.txt.pdf";
    auto outcome = [](TConvertReason reason, DWORD error = ERROR_SUCCESS) { return TConvertOutcome{reason, error}; };
    TConvertOutcome cut = outcome(TConvertReason::PagesMissing);
    cut.pagesFound = 3;
    cut.pagesAnnounced = 5;
    TConvertOutcome undefined = outcome(TConvertReason::RenderFailed);
    undefined.gsError = "undefined: foo";
    struct Case {
        TConvertOutcome outcome;
        DWORD converterError;
        TRowFailure failure;
        std::string text;
    } cases[] = {
        {outcome(TConvertReason::RenderFailed), ERROR_SUCCESS, TRowFailure::NotConverted, "PostScript error"},
        {undefined, ERROR_SUCCESS, TRowFailure::NotConverted, "PostScript error: undefined: foo"},
        {outcome(TConvertReason::WriteFailed, ERROR_DISK_FULL), ERROR_SUCCESS, TRowFailure::NotConverted, "disk full"},
        {outcome(TConvertReason::WriteFailed, ERROR_PATH_NOT_FOUND), ERROR_SUCCESS, TRowFailure::NotConverted,
         "the PDF could not be written: " + win::SystemErrorText(ERROR_PATH_NOT_FOUND)},
        {outcome(TConvertReason::Incomplete), ERROR_SUCCESS, TRowFailure::NotConverted, "disk full"},
        {outcome(TConvertReason::DiskFull), ERROR_SUCCESS, TRowFailure::NotConverted, "disk full"},
        {outcome(TConvertReason::FolderNotWritable, ERROR_ACCESS_DENIED), ERROR_SUCCESS, TRowFailure::NotConverted,
         "cannot write to C:\\out: " + win::SystemErrorText(ERROR_ACCESS_DENIED)},
        {outcome(TConvertReason::NotPlaced, ERROR_SHARING_VIOLATION), ERROR_SUCCESS, TRowFailure::NotConverted,
         "the PDF could not replace the older one: " + win::SystemErrorText(ERROR_SHARING_VIOLATION)},
        {cut, ERROR_SUCCESS, TRowFailure::NotConverted, "pages are missing: 3 of 5 pages made"},
        {outcome(TConvertReason::Cancelled), ERROR_SUCCESS, TRowFailure::Stopped, "stopped"},
        {outcome(TConvertReason::RenderFailed), ERROR_FILE_NOT_FOUND, TRowFailure::Other,
         "failed: the converter could not be started: " + win::SystemErrorText(ERROR_FILE_NOT_FOUND)},
        {outcome(TConvertReason::EmptyJob), ERROR_SUCCESS, TRowFailure::NotConverted, "the print job is empty"},
    };
    for (const Case& c : cases) {
        const TRowResult result = RowResultOf(c.outcome, pdf, c.converterError);
        EXPECT_EQ(result.failure, c.failure) << c.text;
        EXPECT_EQ(RowFailureText(result), c.text);
        // The Status column and the tooltip show the same words.
        EXPECT_EQ(RowStatusText(result), c.text);
        EXPECT_EQ(RowTipText(result), c.text);
        EXPECT_EQ(result.pdfPath, "") << "no PDF was written";
    }
    const TRowResult made = RowResultOf(outcome(TConvertReason::Made), pdf, ERROR_SUCCESS);
    EXPECT_TRUE(made.Made());
    EXPECT_EQ(made.pdfPath, pdf);
    EXPECT_EQ(
        RowFailureText(RowResultOf(outcome(TConvertReason::FolderNotWritable, ERROR_ACCESS_DENIED), "D:\\a.pdf", 0)),
        "cannot write to D:\\: " + win::SystemErrorText(ERROR_ACCESS_DENIED))
        << "a drive's root keeps its backslash";
}

// A PostScript document of pages pages under a header announcing announced (no count when 0), then tail.
std::string Document(int pages, int announced, const std::string& tail = "%%EOF\n")
{
    return testing_support::PostScriptDocument("Batch conversion", pages, announced, tail);
}

constexpr char kOlderPdf[] = "%PDF-1.4 the user's older file";

// The print-files thread over PostScript documents, as a batch runs it, with the results kept.
class BatchConversion : public testing_support::PrintFilesFixture {
protected:
    BatchConversion() : PrintFilesFixture("FolimarBatchConversionTest") {}
    void SetUp() override { FOLIMAR_REQUIRE_GHOSTSCRIPT(); }

    TBatchEntry Entry(const std::string& name, const std::string& pdf)
    {
        TBatchEntry e;
        e.caption = name;
        e.fields[kFieldPrintCommand] = kPostScriptCommand;
        e.fields[kFieldDocument] = folder_ + name;
        e.fields[kFieldPdfPath] = pdf;
        return e;
    }

    // Runs the list; onStarted sees each BATCH_ITEM_STARTED. The statuses, up to BATCH_FINISHED.
    std::vector<Status> Run(std::vector<TBatchEntry> entries, TDiskMargin diskMargin = {},
                            const std::function<void(LPARAM)>& onStarted = {})
    {
        TPrintFilesSetup setup = Setup(std::move(entries));
        setup.diskMargin = diskMargin;
        TPrintFilesThread& thread = Launch(std::move(setup));
        DWORD error = 0;
        EXPECT_TRUE(thread.Start({}, error)) << error;
        return Collect([&] { thread.WaitFor(); },
                       [&](const Status& status) {
                           if (status.first == BATCH_ITEM_STARTED && onStarted)
                               onStarted(status.second);
                       },
                       120000);
    }

    std::string Reason(size_t row) const
    {
        const std::optional<TRowResult> result = results_.Get(row);
        return result ? (result->Made() ? "made" : RowFailureText(*result)) : "no result";
    }

    std::string out_ = folder_ + "out\\";
};

TEST_F(BatchConversion, EveryFailedRowSaysWhyAndKeepsTheOlderPdf)
{
    ASSERT_TRUE(WriteFileBytes(folder_ + "good.ps", Document(2, 2)));
    ASSERT_TRUE(WriteFileBytes(folder_ + "broken.ps", "%!PS\n/nosuchoperator foo\n"));
    // Cut off during page 4 of 5: three whole pages.
    ASSERT_TRUE(WriteFileBytes(folder_ + "cut.ps", Document(3, 5, "%%Page: 4 4\n72 700 moveto (page 4) show\n")));
    // A whole document whose header announces more pages than it has: made as it is.
    ASSERT_TRUE(WriteFileBytes(folder_ + "last.ps", Document(2, 5)));
    ASSERT_TRUE(WriteFileBytes(folder_ + "a file", "not a folder"));
    ASSERT_TRUE(CreateFolderPath(out_));
    for (const char* older : {"broken.pdf", "cut.pdf"})
        ASSERT_TRUE(WriteFileBytes(out_ + older, kOlderPdf));
    const auto got = Run({Entry("good.ps", out_ + "good.pdf"), Entry("broken.ps", out_ + "broken.pdf"),
                          Entry("cut.ps", out_ + "cut.pdf"), Entry("last.ps", out_ + "last.pdf"),
                          Entry("good.ps", folder_ + "a file\\good.pdf")});
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0},
                                        {BATCH_ITEM_DONE, 0},
                                        {BATCH_ITEM_STARTED, 1},
                                        {BATCH_ITEM_FAILED, 1},
                                        {BATCH_ITEM_STARTED, 2},
                                        {BATCH_ITEM_FAILED, 2},
                                        {BATCH_ITEM_STARTED, 3},
                                        {BATCH_ITEM_DONE, 3},
                                        {BATCH_ITEM_STARTED, 4},
                                        {BATCH_ITEM_FAILED, 4},
                                        {BATCH_FINISHED, 0}}));
    EXPECT_EQ(Reason(0), "made");
    EXPECT_EQ(results_.Get(0)->pdfPath, out_ + "good.pdf");
    EXPECT_EQ(Reason(1), "PostScript error: undefined: foo");
    EXPECT_EQ(Reason(2), "pages are missing: 3 of 5 pages made");
    EXPECT_EQ(Reason(3), "made");
    EXPECT_EQ(testing_support::PdfInfoField(out_ + "last.pdf", "Pages"), "2");
    EXPECT_EQ(Reason(4).rfind("cannot write to " + folder_ + "a file: ", 0), 0u) << Reason(4);
    EXPECT_EQ(ReadFileBytes(out_ + "broken.pdf"), kOlderPdf);
    EXPECT_EQ(ReadFileBytes(out_ + "cut.pdf"), kOlderPdf);
    EXPECT_EQ(FileNamesIn(out_), (std::vector<std::string>{"broken.pdf", "cut.pdf", "good.pdf", "last.pdf"}));
}

TEST_F(BatchConversion, ARenderThatWouldFillTheDiskFailsDiskFullAndKeepsTheOlderPdf)
{
    // Pages without end; all the free space is the margin, so the first bytes written end it.
    ASSERT_TRUE(WriteFileBytes(folder_ + "flood.ps", Document(1, 0, "{ 72 600 moveto (again) show showpage } loop\n")));
    ASSERT_TRUE(WriteFileBytes(folder_ + "flood.pdf", kOlderPdf));
    const auto got = Run({Entry("flood.ps", folder_ + "flood.pdf")}, {UINT64_MAX, 1});
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_EQ(Reason(0), "disk full");
    EXPECT_EQ(ReadFileBytes(folder_ + "flood.pdf"), kOlderPdf);
    EXPECT_EQ(FileNamesIn(folder_), (std::vector<std::string>{"flood.pdf", "flood.ps"}));
}

TEST_F(BatchConversion, StopEndsADocumentThatNeverEndsAsStoppedAndKeepsTheOlderPdf)
{
    ASSERT_TRUE(WriteFileBytes(folder_ + "endless.ps", Document(1, 2, "{ } loop\n")));
    ASSERT_TRUE(WriteFileBytes(folder_ + "next.ps", Document(1, 1)));
    ASSERT_TRUE(WriteFileBytes(folder_ + "endless.pdf", kOlderPdf));
    DWORD stoppedAt = 0;
    const auto got =
        Run({Entry("endless.ps", folder_ + "endless.pdf"), Entry("next.ps", folder_ + "next.pdf")}, {}, [&](LPARAM) {
            // The render is under way once its temporary PDF is there.
            bool rendering = false;
            for (int i = 0; i < 600 && !rendering; ++i, ::Sleep(100))
                for (const std::string& name : FileNamesIn(folder_))
                    rendering = rendering || name.ends_with(kTempPdfSuffix);
            EXPECT_TRUE(rendering);
            stoppedAt = ::GetTickCount();
            ::SetEvent(stop_.get());
        });
    std::printf("the batch finished %lu ms after the stop\n", static_cast<unsigned long>(::GetTickCount() - stoppedAt));
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_STOPPED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_EQ(Reason(0), "stopped");
    EXPECT_EQ(ReadFileBytes(folder_ + "endless.pdf"), kOlderPdf);
    EXPECT_EQ(FileNamesIn(folder_), (std::vector<std::string>{"endless.pdf", "endless.ps", "next.ps"}));
    EXPECT_EQ(FileNamesIn(spool_), std::vector<std::string>{});
}

TEST_F(BatchConversion, TemporaryPdfsOfDeadRunsLeaveTheOutputFoldersEvenWhenNothingIsWrittenThere)
{
    ASSERT_TRUE(CreateFolderPath(out_));
    // No process has this id: its run is over. This process's own files stay.
    const std::string dead = win::RunFileName(kTempPdfStem, win::RunId{0x7ffffff0, 1}, 1, kTempPdfSuffix);
    const std::string living = win::RunFileName(kTempPdfStem, win::CurrentRun(), 999999, kTempPdfSuffix);
    for (const std::string& name : {dead, living})
        ASSERT_TRUE(WriteFileBytes(out_ + name, "%PDF-1.4 half"));
    // The document is gone before its turn: nothing is converted into out_.
    const auto got = Run({Entry("missing.ps", out_ + "missing.pdf")});
    EXPECT_EQ(got, (std::vector<Status>{{BATCH_ITEM_STARTED, 0}, {BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}));
    EXPECT_EQ(FileNamesIn(out_), std::vector<std::string>{living});
}

} // namespace
