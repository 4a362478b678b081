// Why a conversion made no PDF, in the words every mode shows: the console converter's error
// line, a batch row's status and tooltip, and the single-job window's message.
#pragma once

#include "render/conversion_rules.h"

#include <string>

namespace folimar {

// Plain words in lower case, so a caller may put its own lead before them: "disk full",
// "PostScript error: undefined: foo", "cannot write to C:\out: Access denied." ... Empty for a
// made PDF. pdfFile is the PDF the conversion was to make (its folder is named when it cannot be
// written to).
std::string ConvertFailureText(const TConvertOutcome& outcome, const std::string& pdfFile);

} // namespace folimar
