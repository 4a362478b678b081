// What became of one row of a batch, and how the window words a failure. The print-files thread
// records a row's result before it posts the row's status; the window reads it from the batch.
#pragma once

#include "settings/settings.h"

#include <string>

namespace folimar {

// Why a row failed. detail adds what the reason's text names (see RowFailureText).
enum class TRowFailure {
    None,               // the PDF was made
    FileNotFound,       // the document was gone when its turn came
    NoPrintCommand,     // no program prints this type; detail: the extension (".docx")
    NameNotPrintable,   // the print command cannot name this file; detail: why
    PrintProgramFailed, // the print program could not be started or told to print; detail: why
    NotPrinted,         // no sign of printing within the limit; the print program was ended; detail: seconds
    NoJob,              // the print program ended without printing
    JobRefused,         // what arrived was no job the virtual printer's port captured
    NotConverted,       // the job made no PDF; detail: why, in the conversion's own words
    Stopped,            // the batch was stopped while this row ran
    Other,              // detail: what happened
};

struct TRowResult {
    TRowFailure failure = TRowFailure::None;
    std::string detail;
    std::string pdfPath; // the PDF actually written (when made)

    bool Made() const { return failure == TRowFailure::None; }
};

// How long a row's printing may show no sign of life (its print program idle, no job growing in
// the spool folder) unless the settings say otherwise; then it is ended and the row fails.
inline constexpr unsigned kPrintLimitSeconds = kDefaultPrintLimitSeconds;

// The reason as the row's tooltip and status text show it: "file not found", "no program can
// print .docx files", "the print program showed no sign of printing for 120 s", "PostScript error:
// undefined: foo", "cannot write to FOLDER: ...", "disk full", ... Empty for a made row.
std::string RowFailureText(const TRowResult& result);

} // namespace folimar
