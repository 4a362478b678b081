// A conversion's reason as a row's failure.
#include "batch/pipeline/row_conversion.h"

#include "files/text_rules.h"
#include "win/error_text.h"

namespace folimar {

namespace {

TRowResult Failure(TRowFailure failure, std::string detail = {})
{
    return TRowResult{failure, std::move(detail), {}};
}

// "C:\out" of "C:\out\a.pdf", as the user knows the folder.
std::string FolderOf(const std::string& pdfPath)
{
    std::string folder(FolderPart(pdfPath));
    if (folder.size() > 1 && folder.back() == '\\' && folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}

} // namespace

TRowResult RowResultOf(const TConvertOutcome& outcome, const std::string& pdfPath, DWORD converterError)
{
    switch (outcome.reason) {
    case TConvertReason::Made:
        return TRowResult{TRowFailure::None, {}, pdfPath};
    case TConvertReason::EmptyJob:
        return Failure(TRowFailure::Other, "the print job is empty");
    case TConvertReason::SameFile:
        return Failure(TRowFailure::Other, "the PDF would replace the document itself");
    case TConvertReason::JobUnreadable:
        return Failure(TRowFailure::Other, "cannot read the print job: " + win::SystemErrorText(outcome.error));
    case TConvertReason::FolderNotWritable:
        return Failure(TRowFailure::FolderNotWritable, FolderOf(pdfPath) + ": " + win::SystemErrorText(outcome.error));
    case TConvertReason::RenderFailed:
        if (converterError != ERROR_SUCCESS)
            return Failure(TRowFailure::Other,
                           "the converter could not be started: " + win::SystemErrorText(converterError));
        return Failure(TRowFailure::PostScriptError);
    case TConvertReason::Incomplete:
    case TConvertReason::DiskFull:
        return Failure(TRowFailure::DiskFull);
    case TConvertReason::NotPlaced:
        return Failure(TRowFailure::NotPlaced, win::SystemErrorText(outcome.error));
    case TConvertReason::Cancelled:
        return Failure(TRowFailure::Stopped);
    case TConvertReason::PagesMissing:
        return Failure(TRowFailure::PagesMissing, std::to_string(outcome.pagesFound) + " of " +
                                                      std::to_string(outcome.pagesAnnounced) + " pages made");
    }
    return Failure(TRowFailure::Other);
}

} // namespace folimar
