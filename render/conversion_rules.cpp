// The course of one conversion.
#include "render/conversion_rules.h"

namespace folimar {

namespace {

TConvertOutcome Outcome(TConvertReason reason, DWORD error = ERROR_SUCCESS)
{
    return TConvertOutcome{reason, error};
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
        return Outcome(gate.Cancelled() || steps.StopRequested() ? TConvertReason::Cancelled
                                                                 : TConvertReason::RenderFailed);
    }
    // Ghostscript does not always report a failed write: the file itself must be whole.
    if (!steps.TempPdfComplete())
        return Outcome(gate.Cancelled() || steps.StopRequested() ? TConvertReason::Cancelled
                                                                 : TConvertReason::Incomplete);
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
    return pages.announced > 0 && pages.found < pages.announced - 1;
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
