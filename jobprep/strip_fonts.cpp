// Page count reading and the font program strip passes, over bytes in memory.
#include "jobprep/strip_fonts.h"

#include "app/printer_constants.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <functional>

namespace folimar {

namespace {

constexpr size_t kNotFound = std::string_view::npos;
constexpr std::string_view kPagesComment = "%%Pages:";

// A marker with its skip table built once, so that a pass over hundreds of megabytes stays linear and
// mostly jumps instead of comparing every byte.
class MarkerFinder {
public:
    explicit MarkerFinder(std::string_view marker) : searcher_(marker.begin(), marker.end()) {}

    // Offset of the first occurrence at or after from, or kNotFound.
    size_t Find(std::string_view text, size_t from) const
    {
        if (from > text.size())
            return kNotFound;
        auto found = searcher_(text.begin() + from, text.end()).first;
        return found == text.end() ? kNotFound : static_cast<size_t>(found - text.begin());
    }

private:
    std::boyer_moore_horspool_searcher<std::string_view::const_iterator> searcher_;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// The value of the "%%Pages:" comment at offset at: the byte after the colon is passed over, the value
// runs to the line end and is trimmed of control bytes and spaces.
std::string_view PagesValue(std::string_view text, size_t at)
{
    size_t first = at + kPagesComment.size() + 1;
    if (first >= text.size())
        return {};
    std::string_view value = text.substr(first);
    value = value.substr(0, value.find_first_of("\r\n"));
    while (!value.empty() && IsBlank(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && IsBlank(value.back()))
        value.remove_suffix(1);
    return value;
}

// Just past the line that holds an end marker: the byte after the marker is passed over whatever it is
// (the CR of a CR LF), then everything up to and including the next LF.
size_t PastEndMarkerLine(std::string_view text, size_t afterMarker)
{
    if (afterMarker >= text.size())
        return text.size();
    size_t next = afterMarker + 1;
    const void* lf = std::memchr(text.data() + next, '\n', text.size() - next);
    return lf ? static_cast<size_t>(static_cast<const char*>(lf) - text.data()) + 1 : text.size();
}

} // namespace

std::optional<int32_t> ParsePageNumber(std::string_view value)
{
    int base = 10;
    if (value.size() > 2 && value[0] == '0' && value[1] == 'x') {
        base = 16;
        value.remove_prefix(2);
    }
    // Unsigned, so that from_chars takes no sign; a number too long for 64 bits reports out of range.
    uint64_t number = 0;
    const char* end = value.data() + value.size();
    auto [stop, error] = std::from_chars(value.data(), end, number, base);
    if (value.empty() || error != std::errc() || stop != end || number > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(number);
}

std::optional<int32_t> ReadPageCount(std::string_view text)
{
    MarkerFinder pages(kPagesComment);
    size_t first = pages.Find(text, 0);
    if (first == kNotFound)
        return std::nullopt;
    std::string_view value = PagesValue(text, first);
    // A number in the header is final, valid or not; only "(atend)" and the like defer to the trailer.
    if (!value.empty() && IsDigit(value.front()))
        return ParsePageNumber(value);
    size_t second = pages.Find(text, first + kPagesComment.size());
    if (second == kNotFound)
        return std::nullopt;
    return ParsePageNumber(PagesValue(text, second));
}

bool StripPass(std::string_view text, const StripMarkers& markers, const KeptPieceSink& keep)
{
    MarkerFinder start(markers.start);
    MarkerFinder end(markers.end);
    size_t cursor = 0;
    bool cut = false;
    // The sink is handed each piece before anything after it is read again, which lets
    // StripPassInPlace move pieces within the text being searched.
    for (;;) {
        size_t startAt = start.Find(text, cursor);
        if (startAt == kNotFound)
            break;
        size_t endAt = end.Find(text, startAt);
        if (endAt == kNotFound)
            break; // an unterminated font part stays as it is, with everything after it
        cut = true;
        keep(text.substr(cursor, startAt - cursor));
        cursor = PastEndMarkerLine(text, endAt + markers.end.size());
    }
    if (cut)
        keep(text.substr(cursor));
    return cut;
}

size_t StripPassInPlace(char* data, size_t length, const StripMarkers& markers)
{
    size_t kept = 0;
    bool cut = StripPass(std::string_view(data, length), markers, [&](std::string_view piece) {
        // Pieces only ever move towards the front, so memmove over the text already passed is safe.
        if (piece.data() != data + kept)
            std::memmove(data + kept, piece.data(), piece.size());
        kept += piece.size();
    });
    return cut ? kept : length;
}

size_t StripFontPrograms(char* data, size_t length)
{
    size_t kept = StripPassInPlace(data, length, kFontPass1);
    return StripPassInPlace(data, kept, kFontPass2);
}

std::string StripTempFileName(std::string_view jobName)
{
    size_t folderEnd = jobName.find_last_of("\\/:");
    std::string name(folderEnd == kNotFound ? std::string_view() : jobName.substr(0, folderEnd + 1));
    return name + kStripTempFileName;
}

} // namespace folimar
