// How a document's conversion ends up in its row: the conversion core's reason as the row's failure.
#pragma once

#include "batch/rules/row_result.h"
#include "render/conversion_rules.h"

#include <windows.h>

#include <string>

namespace folimar {

// The row's result for a conversion to pdfPath that ended with outcome; converterError is why the
// converter process could not be started (ERROR_SUCCESS when it ran).
TRowResult RowResultOf(const TConvertOutcome& outcome, const std::string& pdfPath, DWORD converterError);

} // namespace folimar
