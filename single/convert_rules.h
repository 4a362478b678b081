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

} // namespace folimar
