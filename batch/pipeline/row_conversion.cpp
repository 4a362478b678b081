// A conversion's reason as a row's failure.
#include "batch/pipeline/row_conversion.h"

#include "render/convert_failure.h"
#include "win/error_text.h"

namespace folimar {

TRowResult RowResultOf(const TConvertOutcome& outcome, const std::string& pdfPath, DWORD converterError)
{
    switch (outcome.reason) {
    case TConvertReason::Made:
        return TRowResult{TRowFailure::None, {}, pdfPath};
    case TConvertReason::Cancelled:
        return TRowResult{TRowFailure::Stopped, {}, {}};
    case TConvertReason::RenderFailed:
        // No converter, no render: that is the cause, not the job.
        if (converterError != ERROR_SUCCESS)
            return TRowResult{
                TRowFailure::Other, "the converter could not be started: " + win::SystemErrorText(converterError), {}};
        break;
    default:
        break;
    }
    return TRowResult{TRowFailure::NotConverted, ConvertFailureText(outcome, pdfPath), {}};
}

} // namespace folimar
