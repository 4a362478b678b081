// Page count and embedded font program removal over a job's bytes, fed in pieces of any size; no OS calls, so it
// also builds natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folimar {

// The markers of one strip pass, matched byte for byte with case; neither may be empty. An end marker closes a
// font program only when at least zerosBeforeEnd '0' characters (in lines: white space between them is
// passed over) come right before it, as Type 1 fonts end their encrypted part.
struct StripMarkers {
    std::string_view start;
    std::string_view end;
    size_t zerosBeforeEnd;
};

// Pass 1 cuts eexec parts that end with zeros and a cleartomark line; pass 2 those that end with a fixed hex line.
inline constexpr StripMarkers kFontPass1{"mark currentfile eexec", "cleartomark", 512};
inline constexpr StripMarkers kFontPass2{"currentfile eexec", "6641d3dbc7cda5576ac556416da0051814c2705e", 0};

// The longest span a cut may have, start marker to end marker. Fonts are far smaller; the bound keeps the
// bytes held back while a font's end is looked for, and so the memory, independent of the job's size.
inline constexpr size_t kMaxFontProgram = size_t{8} << 20;

// The number in a "%%Pages:" value: decimal digits, or hexadecimal digits after "0x", that fit a
// non-negative 32-bit integer. Anything else (signs, spaces, other bytes) gives no value.
std::optional<int32_t> ParsePageNumber(std::string_view value);

// Reads the job's page count from the job fed in pieces: the first "%%Pages:" value, or the second one's when
// the first is empty or does not begin with a digit (the "(atend)" form). The value of an occurrence runs from
// the second byte after its colon to the line end, trimmed of bytes 0x00 to 0x20.
class PageCountReader {
public:
    void Feed(std::string_view piece);
    // No value when neither occurrence gives a valid number.
    std::optional<int32_t> Finish();

private:
    // One occurrence's value, read byte by byte as ParsePageNumber would read the trimmed value.
    struct Value {
        uint64_t next = 0;     // stream offset of the value's next byte to read
        bool done = false;     // its line has ended
        bool trailing = false; // white space has come since the value's last byte
        bool inner = false;    // a byte came after such white space: no number
        size_t length = 0;     // bytes of the trimmed value seen so far
        char first = 0;
        char second = 0;
        bool decimalOk = true;
        bool hexOk = true;
        uint64_t decimal = 0;
        uint64_t hex = 0;

        void Add(char c);
        std::optional<int32_t> Number() const;
        bool IsNumberForm() const;
    };

    bool Searching() const;
    void FeedValue(Value& value, std::string_view piece);

    uint64_t offset_ = 0; // stream offset of the next piece
    std::string carry_;   // the stream's last bytes, where a comment may begin that the next piece ends
    Value values_[2];
    int found_ = 0;
};

// The whole text in one piece.
std::optional<int32_t> ReadPageCount(std::string_view text);

// Receives the kept bytes in order, in pieces that are valid only during the call.
using KeptPieceSink = std::function<void(std::string_view piece)>;

// One strip pass over a job fed in pieces. A start marker begins a cut only when encrypted font data follows
// it (see Qualify in strip_fonts.cpp); the cut runs to the first end marker after it that closes a font program,
// and takes the rest of that line with its line end (CR LF, LF or CR). A start marker that is not a font, or
// whose font has no closing end marker within kMaxFontProgram, stays, and the search goes on after it; a later
// font start before the end marker means the earlier one was not a font. Everything else is handed to the sink.
class StripPassStream {
public:
    StripPassStream(const StripMarkers& markers, KeptPieceSink keep, size_t maxFontProgram = kMaxFontProgram);
    void Feed(std::string_view piece);
    void Finish();
    // Whether anything has been cut so far.
    bool cut() const { return cut_; }

private:
    enum class State { Searching, InFont, SkippingLine };

    size_t Run(std::string_view text, bool atEnd);
    void Keep(std::string_view text, size_t from, size_t to);

    StripMarkers markers_;
    KeptPieceSink keep_;
    size_t maxFontProgram_;
    State state_ = State::Searching;
    std::string held_; // bytes not yet decided on: a possible marker, or a font program whose end is not seen yet
    size_t scan_ = 0;  // offset in held_ before which no marker needs looking at again
    bool cut_ = false;
    size_t startAnchor_; // the marker bytes memchr looks for
    size_t endAnchor_;
};

// Both passes chained, the second over what the first keeps.
class FontStripper {
public:
    explicit FontStripper(KeptPieceSink keep, size_t maxFontProgram = kMaxFontProgram);
    void Feed(std::string_view piece) { first_.Feed(piece); }
    void Finish();
    bool cut() const { return first_.cut() || second_.cut(); }

private:
    StripPassStream second_;
    StripPassStream first_;
};

// Both passes over a whole text: the cleaned text (the text itself when nothing was cut).
std::string StripFontPrograms(std::string_view text);

// Reads the page count of the job file fileName into pageCount (left as it is when the job gives none) and
// rewrites the job without its font programs, reading it once in pieces of bounded size. The cleaned job goes to
// the temporary file beside it, which replaces the job by one rename only when something was cut and the whole
// cleaned job reached the disk; that file is gone when the call returns. Throws JobFileError when the job cannot
// be opened or read; the job and pageCount are then unchanged.
void StripFontsAndCountPages(const std::string& fileName, int32_t& pageCount);

// Reads the page count of the job file fileName into pageCount as StripFontsAndCountPages does and, in the same read,
// writes the job without its font programs to cleanedName (created, or emptied when it exists). True when
// cleanedName then holds the whole cleaned job; false when nothing was cut or the cleaned job could not be written
// whole, and then no file is left at cleanedName: the job itself is the one to render. The job is never changed.
// Throws JobFileError when the job cannot be opened or read; pageCount is then unchanged.
bool CopyWithoutFontsAndCountPages(const std::string& fileName, const std::string& cleanedName, int32_t& pageCount);

// The page count of the job file fileName as the two calls above read it, without changing anything; nothing when
// the job gives none. Throws JobFileError when the job cannot be opened or read.
std::optional<int32_t> ReadJobPageCount(const std::string& fileName);

// The temporary file beside a job: the job name's folder part (up to its last '\', '/' or drive colon)
// followed by "~tmp.~"; a name without a folder gives the bare name, in the current folder.
std::string StripTempFileName(std::string_view jobName);

} // namespace folimar
