// What Ghostscript said about a failed run: its error in a few words, and whether a write failed.
// Pure text, so the library's output can be read the same way in every process.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace folimar {

// Why a render failed, as far as its output tells.
struct TRenderFault {
    // Ghostscript's error: "undefined: foo", "rangecheck in --setpagedevice--"; empty when it gave none.
    std::string gsError;
    // A write failed (ioerror): the system's code for its cause (ERROR_DISK_FULL, ...); ERROR_SUCCESS
    // when no write failed.
    DWORD writeError = ERROR_SUCCESS;
};

// Keeps the end of what a run writes to its standard output and error: Ghostscript's error report
// comes last, and a job may print without end before it.
class TGsMessages {
public:
    void Add(std::string_view text);
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// How much of the end TGsMessages keeps, at least.
inline constexpr size_t kGsMessagesKept = 16384;

// Reads Ghostscript's report ("Error: /undefined in foo", "Last OS error: No space left on
// device", "ERROR: ioerror (-12) on closing pdfwrite device").
TRenderFault ReadGsFault(std::string_view output);

// The system's code for the C library's words for a failed write (Ghostscript's "Last OS error").
DWORD WriteErrorCode(std::string_view osError);

} // namespace folimar
