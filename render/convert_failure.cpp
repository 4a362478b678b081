// The words for a conversion's failure.
#include "render/convert_failure.h"

#include "win/error_text.h"

namespace folimar {

namespace {

std::string FolderOf(const std::string& file)
{
    const size_t slash = file.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    // A drive root keeps its backslash: "C:\".
    return slash > 0 && file[slash - 1] == ':' ? file.substr(0, slash + 1) : file.substr(0, slash);
}

bool IsDiskFull(DWORD error)
{
    return error == ERROR_SUCCESS || error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

} // namespace

std::string ConvertFailureText(const TConvertOutcome& outcome, const std::string& pdfFile)
{
    switch (outcome.reason) {
    case TConvertReason::Made:
        return {};
    case TConvertReason::EmptyJob:
        return "the print job is empty";
    case TConvertReason::SameFile:
        return "the PDF would replace the print job itself";
    case TConvertReason::JobUnreadable:
        return "cannot read the print job: " + win::SystemErrorText(outcome.error);
    case TConvertReason::FolderNotWritable:
        return "cannot write to " + FolderOf(pdfFile) + ": " + win::SystemErrorText(outcome.error);
    case TConvertReason::RenderFailed:
        return outcome.gsError.empty() ? "PostScript error" : "PostScript error: " + outcome.gsError;
    case TConvertReason::WriteFailed:
    case TConvertReason::Incomplete:
    case TConvertReason::DiskFull:
        // Without a code the file's own state was all there was to go on: a short PDF is a full
        // disk far more often than anything else.
        if (IsDiskFull(outcome.error))
            return "disk full";
        return "the PDF could not be written: " + win::SystemErrorText(outcome.error);
    case TConvertReason::NotPlaced:
        return "the PDF could not replace the older one: " + win::SystemErrorText(outcome.error);
    case TConvertReason::Cancelled:
        return "stopped";
    case TConvertReason::PagesMissing:
        return "pages are missing: " + std::to_string(outcome.pagesFound) + " of " +
               std::to_string(outcome.pagesAnnounced) + " pages made";
    }
    return "failed";
}

} // namespace folimar
