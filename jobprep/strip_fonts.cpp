// Page count reading and the font program strip passes, over a job fed in pieces.
#include "jobprep/strip_fonts.h"

#include "base/printer_constants.h"
#include "files/text_rules.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

namespace folimar {

namespace {

constexpr size_t kNotFound = std::string_view::npos;
constexpr std::string_view kPagesComment = "%%Pages:";

// While bytes are held for a possible marker, the next piece joins them this much at a time, so that the
// common case, a few held bytes, copies a little and the rest of the piece is searched where it is.
constexpr size_t kJoinLength = 4096;

// What decides whether a start marker begins a font: at most this much white space, then this much data.
constexpr size_t kMaxSpaceAfterStart = 64;
constexpr size_t kDataWindow = 16;

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

// The marker byte to let memchr look for: the rarest one.
size_t RarestByte(std::string_view marker)
{
    size_t anchor = 0;
    for (size_t i = 1; i < marker.size(); ++i)
        if (Commonness(marker[i]) < Commonness(marker[anchor]))
            anchor = i;
    return anchor;
}

// The first occurrence of marker at or after from, or kNotFound. memchr, which runs at memory speed, looks for
// the marker's anchor byte; the whole marker is compared around each hit, so each hit costs one compare.
size_t FindMarker(std::string_view text, size_t from, std::string_view marker, size_t anchor)
{
    if (from > text.size() || text.size() - from < marker.size())
        return kNotFound;
    const char* next = text.data() + from + anchor;
    // The anchor of the last place the marker could start.
    const char* last = text.data() + text.size() - marker.size() + anchor;
    while (next <= last) {
        const void* hit = std::memchr(next, marker[anchor], static_cast<size_t>(last - next) + 1);
        if (!hit)
            break;
        const char* start = static_cast<const char*>(hit) - anchor;
        if (std::memcmp(start, marker.data(), marker.size()) == 0)
            return static_cast<size_t>(start - text.data());
        next = static_cast<const char*>(hit) + 1;
    }
    return kNotFound;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The white space eexec passes over before its data.
bool IsEexecSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Bytes of printable text and its line ends; anything else is binary data.
bool IsText(char c)
{
    auto u = static_cast<unsigned char>(c);
    return (u >= 0x20 && u < 0x7f) || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

enum class Verdict { Yes, No, NeedMore };

// Whether encrypted font data follows a start marker that ends at offset at. It does when the marker is followed
// by one to kMaxSpaceAfterStart white-space bytes and then by eexec data in hex form (four hex digits, the test
// eexec itself makes) or in binary form (a byte that is not printable text among the first kDataWindow; random
// bytes all look like text that long once in millions). Page text that quotes the marker has neither. NeedMore
// when the text ends too early to tell and more may come.
Verdict Qualify(std::string_view text, size_t at, bool atEnd)
{
    size_t space = 0;
    while (at + space < text.size() && space <= kMaxSpaceAfterStart && IsEexecSpace(text[at + space]))
        ++space;
    if (space == 0 && at < text.size())
        return Verdict::No;
    if (space > kMaxSpaceAfterStart)
        return Verdict::No;
    std::string_view data = text.substr(std::min(text.size(), at + space), kDataWindow);
    if (data.size() >= 4 && std::all_of(data.begin(), data.begin() + 4, IsHexDigit))
        return Verdict::Yes;
    if (!std::all_of(data.begin(), data.end(), IsText))
        return Verdict::Yes;
    return data.size() < kDataWindow && !atEnd ? Verdict::NeedMore : Verdict::No;
}

// Whether the end marker at offset end closes a font program that begins at offset begin: enough '0'
// characters, with only white space between them, come right before it.
bool ClosesFont(std::string_view text, size_t begin, size_t end, size_t zerosNeeded)
{
    size_t zeros = 0;
    for (size_t i = end; zeros < zerosNeeded && i > begin; --i) {
        char c = text[i - 1];
        if (c == '0')
            ++zeros;
        else if (!IsEexecSpace(c))
            break;
    }
    return zeros >= zerosNeeded;
}

} // namespace

// ---- Page count ------------------------------------------------------------------------------------------------

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

void PageCountReader::Value::Add(char c)
{
    if (IsControlOrSpace(c)) {
        trailing = length > 0;
        return;
    }
    if (trailing)
        inner = true; // white space inside the value: no number
    if (length == 0)
        first = c;
    else if (length == 1)
        second = c;
    // The decimal reading of the whole value and the hexadecimal one after its first two bytes; Number
    // picks one by the value's start. Both stop counting once past the 32-bit range.
    decimalOk = decimalOk && IsDigit(c);
    if (decimalOk && decimal <= INT32_MAX)
        decimal = decimal * 10 + static_cast<uint64_t>(c - '0');
    if (length >= 2) {
        hexOk = hexOk && IsHexDigit(c);
        if (hexOk && hex <= INT32_MAX)
            hex = hex * 16 + static_cast<uint64_t>(IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    ++length;
}

std::optional<int32_t> PageCountReader::Value::Number() const
{
    if (length == 0 || inner)
        return std::nullopt;
    bool isHex = length > 2 && first == '0' && second == 'x';
    bool ok = isHex ? hexOk : decimalOk;
    uint64_t number = isHex ? hex : decimal;
    if (!ok || number > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(number);
}

// A number in the header is final, valid or not; only "(atend)" and the like defer to the trailer.
bool PageCountReader::Value::IsNumberForm() const
{
    return length > 0 && IsDigit(first);
}

bool PageCountReader::Searching() const
{
    if (found_ == 2)
        return false;
    return found_ == 0 || !values_[0].done || !values_[0].IsNumberForm();
}

void PageCountReader::FeedValue(Value& value, std::string_view piece)
{
    uint64_t end = offset_ + piece.size();
    if (value.done || value.next >= end)
        return;
    for (size_t i = static_cast<size_t>(value.next - offset_); i < piece.size(); ++i) {
        if (piece[i] == '\r' || piece[i] == '\n') {
            value.done = true;
            return;
        }
        value.Add(piece[i]);
    }
    value.next = end;
}

void PageCountReader::Feed(std::string_view piece)
{
    static const size_t anchor = RarestByte(kPagesComment);
    // The comment is found where the carried bytes and the piece meet, then inside the piece.
    std::string joint = carry_ + std::string(piece.substr(0, kPagesComment.size() - 1));
    uint64_t jointBegin = offset_ - carry_.size();
    auto found = [&](uint64_t at) {
        if (Searching())
            values_[found_++].next = at + kPagesComment.size() + 1; // the byte after the colon is passed over
    };
    for (size_t at = 0; Searching() && (at = FindMarker(joint, at, kPagesComment, anchor)) != kNotFound; ++at)
        if (at < carry_.size())
            found(jointBegin + at);
    // A value found here may begin in this very piece.
    for (size_t at = 0; Searching() && (at = FindMarker(piece, at, kPagesComment, anchor)) != kNotFound; ++at) {
        found(offset_ + at);
        FeedValue(values_[0], piece); // the first value decides whether the search goes on
    }
    for (Value& value : values_)
        if (&value - values_ < found_)
            FeedValue(value, piece);
    carry_ += piece.substr(piece.size() - std::min(piece.size(), kPagesComment.size() - 1));
    carry_.erase(0, carry_.size() - std::min(carry_.size(), kPagesComment.size() - 1));
    offset_ += piece.size();
}

std::optional<int32_t> PageCountReader::Finish()
{
    if (found_ == 0)
        return std::nullopt;
    if (values_[0].IsNumberForm())
        return values_[0].Number();
    return found_ == 2 ? values_[1].Number() : std::nullopt;
}

std::optional<int32_t> ReadPageCount(std::string_view text)
{
    PageCountReader reader;
    reader.Feed(text);
    return reader.Finish();
}

// ---- Strip passes ----------------------------------------------------------------------------------------------

StripPassStream::StripPassStream(const StripMarkers& markers, KeptPieceSink keep, size_t maxFontProgram)
    : markers_(markers), keep_(std::move(keep)), maxFontProgram_(maxFontProgram),
      startAnchor_(RarestByte(markers.start)), endAnchor_(RarestByte(markers.end))
{
}

void StripPassStream::Keep(std::string_view text, size_t from, size_t to)
{
    if (to > from)
        keep_(text.substr(from, to - from));
}

// Decides on as much of text as it can: returns how many of its first bytes were kept or cut. The rest is
// undecided; scan_ says, relative to it, where the search resumes.
size_t StripPassStream::Run(std::string_view text, bool atEnd)
{
    const size_t startLength = markers_.start.size();
    const size_t endLength = markers_.end.size();
    size_t from = 0;        // first byte not yet kept or cut
    size_t pos = scan_;     // first place a marker may begin that was not looked at
    size_t noEndBefore = 0; // in a font, no end marker begins before this that is not looked at
    for (;;) {
        if (state_ == State::SkippingLine) {
            // The rest of the end marker's line goes, with its line end: CR LF, LF, or CR alone.
            size_t i = from;
            while (i < text.size() && text[i] != '\n' && text[i] != '\r')
                ++i;
            if (i == text.size() || (text[i] == '\r' && i + 1 == text.size() && !atEnd)) {
                from = pos = i;
                break;
            }
            size_t lineEnd = i + 1 + (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0);
            from = pos = lineEnd;
            state_ = State::Searching;
            continue;
        }
        if (state_ == State::Searching) {
            size_t start = FindMarker(text, pos, markers_.start, startAnchor_);
            if (start == kNotFound) {
                // A marker may still begin in the last bytes, which the next piece completes.
                size_t decided =
                    atEnd ? text.size() : std::max(from, text.size() - std::min(text.size(), startLength - 1));
                Keep(text, from, decided);
                from = pos = decided;
                break;
            }
            Verdict verdict = Qualify(text, start + startLength, atEnd);
            if (verdict == Verdict::No) {
                pos = start + 1;
                continue;
            }
            Keep(text, from, start);
            from = start;
            pos = start + 1;
            if (verdict == Verdict::NeedMore) {
                pos = start;
                break;
            }
            state_ = State::InFont;
            noEndBefore = pos;
            continue;
        }
        // In a font program, which begins at from: the first closing end marker within reach ends it, unless
        // another font begins before that marker.
        const size_t reach = std::min(text.size(), from + std::min(maxFontProgram_, text.size() - from));
        // A font's region may be searched several times; the end markers in it are searched once.
        size_t end = FindMarker(text.substr(0, reach), std::max(pos, noEndBefore), markers_.end, endAnchor_);
        noEndBefore = end != kNotFound ? end : std::max(noEndBefore, reach - std::min(reach, endLength - 1));
        size_t startsBefore = end == kNotFound ? reach : end;
        size_t startWindow = std::min(text.size(), startsBefore + startLength - 1);
        size_t start = FindMarker(text.substr(0, startWindow), pos, markers_.start, startAnchor_);
        if (start != kNotFound) {
            Verdict verdict = Qualify(text, start + startLength, atEnd);
            if (verdict == Verdict::NeedMore) {
                pos = start;
                break;
            }
            if (verdict == Verdict::Yes) {
                Keep(text, from, start); // the earlier start was not a font
                from = start;
            }
            pos = start + 1;
            continue;
        }
        if (end != kNotFound) {
            if (ClosesFont(text, from + startLength, end, markers_.zerosBeforeEnd)) {
                cut_ = true;
                from = pos = end + endLength;
                state_ = State::SkippingLine;
            } else {
                pos = end + 1;
            }
            continue;
        }
        // Every start marker before the reach is looked at; the end markers up to it too.
        size_t startsSeen = startWindow - std::min(startWindow, startLength - 1);
        if (atEnd || reach - from >= maxFontProgram_) {
            // No closing end marker within reach: not a font. The search goes on where start markers are unseen.
            state_ = State::Searching;
            pos = std::max(pos, startsSeen);
            continue;
        }
        size_t endsSeen = reach - std::min(reach - from, endLength - 1);
        pos = std::max(pos, std::min(startsSeen, endsSeen));
        break;
    }
    scan_ = pos - from;
    return from;
}

void StripPassStream::Feed(std::string_view piece)
{
    while (!piece.empty()) {
        if (held_.empty()) {
            size_t decided = Run(piece, false);
            held_.assign(piece.substr(decided));
            return;
        }
        // Inside a font every byte is held anyway; otherwise a little of the piece resolves the held bytes.
        size_t heldBefore = held_.size();
        size_t take = state_ == State::InFont ? piece.size() : std::min(piece.size(), kJoinLength);
        held_.append(piece.substr(0, take));
        size_t decided = Run(held_, false);
        if (decided >= heldBefore) {
            // The bytes held before are decided on: what is left of the piece is searched where it is.
            piece.remove_prefix(decided - heldBefore);
            held_.clear();
            continue;
        }
        held_.erase(0, decided);
        piece.remove_prefix(take);
    }
}

void StripPassStream::Finish()
{
    Run(held_, true);
    held_.clear();
    scan_ = 0;
}

FontStripper::FontStripper(KeptPieceSink keep, size_t maxFontProgram)
    : second_(kFontPass2, std::move(keep), maxFontProgram),
      first_(
          kFontPass1, [this](std::string_view piece) { second_.Feed(piece); }, maxFontProgram)
{
}

void FontStripper::Finish()
{
    first_.Finish();
    second_.Finish();
}

std::string StripFontPrograms(std::string_view text)
{
    std::string kept;
    FontStripper stripper([&](std::string_view piece) { kept += piece; });
    stripper.Feed(text);
    stripper.Finish();
    return kept;
}

std::string StripTempFileName(std::string_view jobName)
{
    return std::string(FolderPart(jobName)) + kStripTempFileName;
}

} // namespace folimar
