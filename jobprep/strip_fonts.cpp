// Page count reading and the font program strip passes, over bytes in memory.
#include "jobprep/strip_fonts.h"

#include "base/printer_constants.h"
#include "jobprep/dsc_header.h"

#include <charconv>
#include <climits>
#include <cstring>

namespace folimar {

namespace {

constexpr size_t kNotFound = std::string_view::npos;
constexpr std::string_view kPagesComment = "%%Pages:";

// How common a byte is in print jobs, roughly: PostScript code and text are mostly lower-case letters,
// digits, spaces and line ends; other punctuation, and any one byte of binary font data, is rare.
int Commonness(char c)
{
    constexpr std::string_view kLettersMostCommonFirst = "etaoinsrhldcumfpgwybvkxjqz";
    if ((c >= '0' && c <= '9') || std::string_view(" \r\n/.()-").find(c) != std::string_view::npos)
        return 100;
    char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    size_t rank = kLettersMostCommonFirst.find(lower);
    return rank == std::string_view::npos ? 0 : 99 - static_cast<int>(rank);
}

// Finds a marker by letting memchr, which runs at memory speed, look for the marker's rarest byte, and
// comparing the whole marker around each hit. Linear: each hit costs at most one marker-sized compare.
class MarkerFinder {
public:
    explicit MarkerFinder(std::string_view marker) : marker_(marker)
    {
        for (size_t i = 1; i < marker_.size(); ++i)
            if (Commonness(marker_[i]) < Commonness(marker_[anchor_]))
                anchor_ = i;
    }

    // Offset of the first occurrence at or after from, or kNotFound.
    size_t Find(std::string_view text, size_t from) const
    {
        if (from > text.size() || text.size() - from < marker_.size())
            return kNotFound;
        const char* next = text.data() + from + anchor_;
        // The anchor of the last place the marker could start.
        const char* last = text.data() + text.size() - marker_.size() + anchor_;
        while (next <= last) {
            const void* hit = std::memchr(next, marker_[anchor_], static_cast<size_t>(last - next) + 1);
            if (!hit)
                break;
            const char* start = static_cast<const char*>(hit) - anchor_;
            if (std::memcmp(start, marker_.data(), marker_.size()) == 0)
                return static_cast<size_t>(start - text.data());
            next = static_cast<const char*>(hit) + 1;
        }
        return kNotFound;
    }

private:
    std::string_view marker_;
    size_t anchor_ = 0;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of the "%%Pages:" comment at offset at: the byte after the colon is passed over, the value
// runs to the line end and is trimmed of control bytes and spaces.
std::string_view PagesValue(std::string_view text, size_t at)
{
    size_t first = at + kPagesComment.size() + 1;
    if (first >= text.size())
        return {};
    std::string_view value = text.substr(first);
    return TrimControlAndSpace(value.substr(0, value.find_first_of("\r\n")));
}

// Just past the line that holds an end marker: the byte after the marker is passed over whatever it is
// (the CR of a CR LF), then everything up to and including the next LF. When that byte is itself the
// LF of an LF-only line end, the line ends there: the next line belongs to the job and stays.
size_t PastEndMarkerLine(std::string_view text, size_t afterMarker)
{
    if (afterMarker >= text.size())
        return text.size();
    if (text[afterMarker] == '\n')
        return afterMarker + 1;
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
    if (value.empty())
        return std::nullopt;
    // Unsigned, so that from_chars takes no sign; a number too long for 64 bits reports out of range.
    uint64_t number = 0;
    const char* end = value.data() + value.size();
    auto [stop, error] = std::from_chars(value.data(), end, number, base);
    if (error != std::errc() || stop != end || number > INT32_MAX)
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
