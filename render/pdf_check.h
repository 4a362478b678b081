// Whether a PDF file is whole: a pure check over the bytes at its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace folimar {

// How many bytes at the end of a file the check reads.
inline constexpr size_t kPdfTailBytes = 1024;

// True when tail, the last bytes of a file of fileSize bytes, ends in "%%EOF" (line ends and
// spaces may follow) and the "startxref" before it gives an offset inside the file, before itself.
bool PdfTailComplete(std::string_view tail, uint64_t fileSize);

} // namespace folimar
