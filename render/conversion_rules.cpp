// The course of one conversion.
#include "render/conversion_rules.h"

namespace folimar {

namespace {

TConvertOutcome Outcome(TConvertReason reason, DWORD error = ERROR_SUCCESS)
{
    return TConvertOutcome{reason, error};
}

// A failed write is the cause, whatever error Ghostscript raised for it.
TConvertOutcome FailedRender(const TRenderFault& fault)
{
    if (fault.writeError != ERROR_SUCCESS)
        return Outcome(TConvertReason::WriteFailed, fault.writeError);
    TConvertOutcome failed = Outcome(TConvertReason::RenderFailed);
    failed.gsError = fault.gsError;
    return failed;
}

// Whether text holds "%%Trailer" or "%%EOF" at the start of a line.
bool HoldsTrailer(std::string_view text)
{
    for (std::string_view mark : {"%%Trailer", "%%EOF"})
        for (size_t at = text.find(mark); at != std::string_view::npos; at = text.find(mark, at + 1))
            if (at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r')
                return true;
    return false;
}

// The ordinal of "%%Page: label ordinal", the last number on its line; 0 when there is none.
int PageOrdinal(std::string_view line)
{
    const size_t end = line.find_last_of("0123456789");
    if (end == std::string_view::npos)
        return 0;
    size_t start = end;
    while (start > 0 && line[start - 1] >= '0' && line[start - 1] <= '9')
        --start;
    if (end - start >= 9)
        return 0;
    int ordinal = 0;
    for (size_t i = start; i <= end; ++i)
        ordinal = ordinal * 10 + (line[i] - '0');
    return ordinal;
}

// The steps between the reserved temporary file and the PDF in place.
TConvertOutcome RenderAndPlace(TConversionSteps& steps, TConversionGate& gate)
{
    DWORD error = ERROR_SUCCESS;
    if (!steps.AddDocInfo(error))
        return Outcome(TConvertReason::JobUnreadable, error);
    switch (steps.Render()) {
    case TRenderEnd::Rendered:
        break;
    case TRenderEnd::Stopped:
        return Outcome(TConvertReason::Cancelled);
    case TRenderEnd::DiskFull:
        return Outcome(TConvertReason::DiskFull);
    case TRenderEnd::Failed:
        return gate.Cancelled() || steps.StopRequested() ? Outcome(TConvertReason::Cancelled)
                                                         : FailedRender(steps.RenderFault());
    }
    // Ghostscript does not always report a failed write: the file itself must be whole.
    if (!steps.TempPdfComplete(error))
        return gate.Cancelled() || steps.StopRequested() ? Outcome(TConvertReason::Cancelled)
                                                         : Outcome(TConvertReason::Incomplete, error);
    if (const std::optional<TPageCount> pages = steps.RenderedPages(); pages && PagesMissing(*pages)) {
        TConvertOutcome missing = Outcome(TConvertReason::PagesMissing);
        missing.pagesFound = pages->found;
        missing.pagesAnnounced = pages->announced;
        return missing;
    }
    // A stopped conversion never replaces an older PDF, however far it got.
    if (steps.StopRequested())
        return Outcome(TConvertReason::Cancelled);
    bool tried = false;
    if (gate.Commit([&] {
            tried = true;
            return steps.PlacePdf(error);
        }))
        return Outcome(TConvertReason::Made);
    return tried ? Outcome(TConvertReason::NotPlaced, error) : Outcome(TConvertReason::Cancelled);
}

} // namespace

bool PagesMissing(const TPageCount& pages)
{
    return pages.announced > 0 && pages.found < pages.announced && !pages.endsWhole;
}

TJobEnd ReadJobEnd(std::string_view tail)
{
    TJobEnd end;
    size_t lastPage = std::string_view::npos;
    for (size_t at = tail.find("%%Page:"); at != std::string_view::npos; at = tail.find("%%Page:", at + 1))
        if (at == 0 || tail[at - 1] == '\n' || tail[at - 1] == '\r')
            lastPage = at;
    std::string_view after = tail;
    if (lastPage != std::string_view::npos) {
        const size_t lineEnd = tail.find_first_of("\r\n", lastPage);
        end.lastPage = PageOrdinal(tail.substr(
            lastPage + 7, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - lastPage - 7));
        after = lineEnd == std::string_view::npos ? std::string_view{} : tail.substr(lineEnd);
    }
    end.closed = HoldsTrailer(after);
    return end;
}

bool JobEndsWhole(const TJobEnd& end, int found)
{
    return end.closed && end.lastPage <= found;
}

TConvertOutcome RunConversion(TConversionSteps& steps, TConversionGate& gate)
{
    DWORD error = ERROR_SUCCESS;
    const std::optional<uint64_t> size = steps.JobSize(error);
    if (!size)
        return Outcome(TConvertReason::JobUnreadable, error);
    // An empty job would come out as one blank page; the document information must not make it
    // non-empty.
    if (*size == 0)
        return Outcome(TConvertReason::EmptyJob);
    // Replacing the job by its own PDF would lose the job.
    if (steps.OutputIsJob())
        return Outcome(TConvertReason::SameFile);
    bool tried = false;
    if (!gate.Enter([&] {
            tried = true;
            return steps.MakeTempPdf(error);
        }))
        return tried ? Outcome(TConvertReason::FolderNotWritable, error) : Outcome(TConvertReason::Cancelled);
    TConvertOutcome outcome = RenderAndPlace(steps, gate);
    if (!outcome.Made())
        steps.RemoveTempPdf();
    return outcome;
}

} // namespace folimar
