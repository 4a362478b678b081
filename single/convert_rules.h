// Rules of the single-job window that need no window: enabled state, texts, paths, progress bar.
// The console converter gives the same refusals.
#pragma once

#include <cstdint>
#include <string>

namespace folimar {

// Convert may be pressed: a job is named and exists, nothing runs, and an output path is given
// (ignoring bytes up to 32 at both ends).
bool ConvertEnabled(const std::string& jobFile, bool busy, bool jobExists, const std::string& outputText);

// The overwrite question for an existing output file (its wording is the product's own).
std::string OverwriteQuestion(const std::string& pdfPath);

// The one-line refusal of a path that names a Windows device (IsReservedDeviceName).
std::string DeviceNameRefusal(const std::string& path);

// What the progress bar shows. With a page count the bar follows the page markers; without
// one it runs as an indeterminate (marquee) bar until the last page or the end, then is full.
struct TBarState {
    bool marquee = false;
    int32_t max = 0;
    int32_t position = 0;

    bool operator==(const TBarState&) const = default;
};

// The bar when a conversion starts; pageCount <= 0 means the job gave no usable count.
TBarState StartBar(int32_t pageCount);

// The bar after a page-progress message: page > 0 is the page reached, -1 the last page.
TBarState PageProgress(const TBarState& bar, int64_t page);

// The bar when the worker has ended.
TBarState FinishBar(const TBarState& bar);

// The text beside the bar: "page N of M" with a page count, "page N" without one; empty before the
// first page. page is the page reached (at most pageCount when there is one).
std::string PageText(int64_t page, int32_t pageCount);

// The failure message: the program's failure text on its first line, the reason below it.
inline constexpr char kConversionFailedText[] = "An unknown error occurred, the conversion failed.";
std::string FailureMessage(const std::string& reason);

// What the window says in place of the bar after Cancel stopped an auto-save.
inline constexpr char kStoppedText[] = "Cancelled: the print job is kept.";

} // namespace folimar
