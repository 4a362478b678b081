// Page count and embedded font program removal over a job's bytes; no OS calls, so it also builds natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folimar {

// The markers of one strip pass, matched byte for byte with case; neither may be empty.
struct StripMarkers {
    std::string_view start;
    std::string_view end;
};

// Pass 1 cuts eexec parts that end with a cleartomark line; pass 2 those that end with a fixed hex line.
inline constexpr StripMarkers kFontPass1{"mark currentfile eexec", "cleartomark"};
inline constexpr StripMarkers kFontPass2{"currentfile eexec", "6641d3dbc7cda5576ac556416da0051814c2705e"};

// The number in a "%%Pages:" value: decimal digits, or hexadecimal digits after "0x", that fit a
// non-negative 32-bit integer. Anything else (signs, spaces, other bytes) gives no value.
std::optional<int32_t> ParsePageNumber(std::string_view value);

// The job's page count: the first "%%Pages:" value, or the second one's when the first is empty or does
// not begin with a digit (the "(atend)" form). No value when neither gives a valid number.
std::optional<int32_t> ReadPageCount(std::string_view text);

// Receives the kept pieces of a pass in order; each piece points into the pass's input.
using KeptPieceSink = std::function<void(std::string_view piece)>;

// One strip pass over text. Each start marker that has an end marker after it is cut together with its
// encrypted data, the end marker and the rest of the end marker's line. A start marker without an end
// marker after it ends the pass and stays. Returns whether anything was cut; the sink is called only
// then, with every kept piece (empty ones included), so that their concatenation is the cleaned text.
bool StripPass(std::string_view text, const StripMarkers& markers, const KeptPieceSink& keep);

// The same pass, moving the kept pieces to the front of data. Returns the kept length, which is
// length itself when nothing was cut.
size_t StripPassInPlace(char* data, size_t length, const StripMarkers& markers);

// Both passes in place, the second one over what the first one kept. Returns the kept length.
size_t StripFontPrograms(char* data, size_t length);

// Reads the page count of the job file fileName into pageCount (left as it is when the job gives none) and
// rewrites the job without its font programs through the temporary file beside it (defined with the file
// calls in strip_fonts_file.cpp). The job is replaced only when something was cut and the whole cleaned
// text reached the temporary file; that file is gone when the call returns. Throws JobFileError when the
// job cannot be opened or read; the job and pageCount are then unchanged.
void StripFontsAndCountPages(const std::string& fileName, int32_t& pageCount);

// The temporary file beside a job: the job name's folder part (up to its last '\', '/' or drive colon)
// followed by "~tmp.~"; a name without a folder gives the bare name, in the current folder.
std::string StripTempFileName(std::string_view jobName);

} // namespace folimar
