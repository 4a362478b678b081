// The words of a conversion's failure: one text for the console converter, the batch and the
// single-job window.
#include "tests/gtest_win.h"

#include "render/convert_failure.h"
#include "win/error_text.h"

#include <string>

using namespace folimar;

namespace {

TConvertOutcome Outcome(TConvertReason reason, DWORD error = ERROR_SUCCESS)
{
    TConvertOutcome outcome;
    outcome.reason = reason;
    outcome.error = error;
    return outcome;
}

struct Case {
    const char* name;
    TConvertOutcome outcome;
    std::string text;
};

TEST(ConvertFailureText, EachReasonInPlainWords)
{
    TConvertOutcome missing = Outcome(TConvertReason::PagesMissing);
    missing.pagesFound = 2;
    missing.pagesAnnounced = 5;
    TConvertOutcome undefined = Outcome(TConvertReason::RenderFailed);
    undefined.gsError = "undefined: foo";
    const std::string denied = win::SystemErrorText(ERROR_ACCESS_DENIED);
    const Case cases[] = {
        {"made", Outcome(TConvertReason::Made), ""},
        {"empty job", Outcome(TConvertReason::EmptyJob), "the print job is empty"},
        {"same file", Outcome(TConvertReason::SameFile), "the PDF would replace the print job itself"},
        {"unreadable", Outcome(TConvertReason::JobUnreadable, ERROR_ACCESS_DENIED),
         "cannot read the print job: " + denied},
        {"folder", Outcome(TConvertReason::FolderNotWritable, ERROR_ACCESS_DENIED),
         "cannot write to C:\\out: " + denied},
        {"PostScript error, no words", Outcome(TConvertReason::RenderFailed), "PostScript error"},
        {"PostScript error, Ghostscript's words", undefined, "PostScript error: undefined: foo"},
        {"short PDF", Outcome(TConvertReason::Incomplete), "disk full"},
        {"runaway ended", Outcome(TConvertReason::DiskFull), "disk full"},
        {"write failed, no space", Outcome(TConvertReason::Incomplete, ERROR_DISK_FULL), "disk full"},
        {"write failed, folder gone", Outcome(TConvertReason::Incomplete, ERROR_PATH_NOT_FOUND),
         "the PDF could not be written: " + win::SystemErrorText(ERROR_PATH_NOT_FOUND)},
        {"not placed", Outcome(TConvertReason::NotPlaced, ERROR_ACCESS_DENIED),
         "the PDF could not replace the older one: " + denied},
        {"cancelled", Outcome(TConvertReason::Cancelled), "stopped"},
        {"pages missing", missing, "pages are missing: 2 of 5 pages made"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConvertFailureText(c.outcome, "C:\\out\\a.pdf"), c.text) << c.name;
}

TEST(ConvertFailureText, DriveRootKeepsItsBackslash)
{
    EXPECT_EQ(ConvertFailureText(Outcome(TConvertReason::FolderNotWritable, ERROR_ACCESS_DENIED), "D:\\a.pdf"),
              "cannot write to D:\\: " + win::SystemErrorText(ERROR_ACCESS_DENIED));
}

} // namespace
