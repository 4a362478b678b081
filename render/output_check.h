// Checks of the place a PDF is to be written, made before any rendering.
#pragma once

#include <optional>
#include <string>

namespace folimar {

// Whether two paths name the same existing file (volume and file index, not the spelling).
bool SameFile(const std::string& a, const std::string& b);

// What stands in the way of writing the PDF at pdfPath for the job at jobPath, said for the user;
// nothing when the place looks usable. Whether the folder accepts files shows when the temporary
// PDF is made there.
std::optional<std::string> OutputProblem(const std::string& jobPath, const std::string& pdfPath);

} // namespace folimar
