// The words of a row's failure.
#include "batch/rules/row_result.h"

namespace folimar {

namespace {

// "reason" or "reason: detail" when there is a detail.
std::string WithDetail(std::string reason, const std::string& detail)
{
    return detail.empty() ? reason : reason + ": " + detail;
}

} // namespace

std::string RowFailureText(const TRowResult& result)
{
    switch (result.failure) {
    case TRowFailure::None:
        return {};
    case TRowFailure::FileNotFound:
        return "file not found";
    case TRowFailure::NoPrintCommand:
        return "no program can print " + (result.detail.empty() ? std::string("these") : result.detail) + " files";
    case TRowFailure::NameNotPrintable:
        return WithDetail("the print program cannot be given this file name", result.detail);
    case TRowFailure::PrintProgramFailed:
        return WithDetail("the print program could not print", result.detail);
    case TRowFailure::NotPrinted:
        // detail: the limit in seconds, when it is not the default one
        return "the print program showed no sign of printing for " +
               (result.detail.empty() ? std::to_string(kPrintLimitSeconds) : result.detail) + " s";
    case TRowFailure::NoJob:
        return "the print program ended without printing";
    case TRowFailure::JobRefused:
        return WithDetail("the print job was refused", result.detail);
    case TRowFailure::NotConverted:
        return result.detail.empty() ? "no PDF was made" : result.detail;
    case TRowFailure::Stopped:
        return "stopped";
    case TRowFailure::Other:
        return WithDetail("failed", result.detail);
    }
    return {};
}

} // namespace folimar
