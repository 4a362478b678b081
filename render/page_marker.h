// Finds page markers in one chunk of Ghostscript's standard output.
#pragma once

#include <cstddef>

namespace folimar {

inline constexpr int kLastPageValue = -1;

// The page the chunk reports: -1 for a last-page marker, the number before the chunk's
// last "]%%" when it holds "%%[page:", otherwise 0. Case of ASCII letters is ignored for the
// keywords. A digit run that does not fit a 32-bit integer gives 0.
int ScanPageMarker(const char* chunk, size_t length);

} // namespace folimar
