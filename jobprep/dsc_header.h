// DSC header comments of a PostScript job: the record, and a reader over the job's first bytes.
#pragma once

// Only standard headers here: the parser is built natively for fuzzing, without Windows headers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace folimar {

// How much of a job the header reader looks at, whatever the job's size.
inline constexpr size_t kDscHeaderSize = 5120;

// One header comment.
struct TPSElement {
    int32_t Position = 0; // offset of the keyword's first byte; 0 when absent
    int32_t LineEnd = -1; // offset of the byte that ended the value (LF, CR, or the text's end); -1 when absent
    std::string Value;    // trimmed and decoded; empty when absent

    bool Present() const { return LineEnd != -1; }
    bool operator==(const TPSElement&) const = default;
};

// The fifteen comments the reader looks for, in a fixed order (see kDscKeywords).
struct TPSHeaderInfo {
    TPSElement Header;
    TPSElement BoundingBox;
    TPSElement Orientation;
    TPSElement Title;
    TPSElement Creator;
    TPSElement CreationDate;
    TPSElement For;
    TPSElement DocumentNeededResources;
    TPSElement DocumentSuppliedResources;
    TPSElement DocumentData;
    TPSElement Pages;
    TPSElement PageOrder;
    TPSElement TargetDevice;
    TPSElement LanguageLevel;
    TPSElement EndComments;

    bool operator==(const TPSHeaderInfo&) const = default;
};

struct TDscKeyword {
    TPSElement TPSHeaderInfo::*Field;
    std::string_view Keyword;
};

// Each field of TPSHeaderInfo with the keyword searched for it, in field order.
inline constexpr TDscKeyword kDscKeywords[] = {
    {&TPSHeaderInfo::Header, "%!"},
    {&TPSHeaderInfo::BoundingBox, "%%BoundingBox:"},
    {&TPSHeaderInfo::Orientation, "%%Orientation:"},
    {&TPSHeaderInfo::Title, "%%Title:"},
    {&TPSHeaderInfo::Creator, "%%Creator:"},
    {&TPSHeaderInfo::CreationDate, "%%CreationDate:"},
    {&TPSHeaderInfo::For, "%%For:"},
    {&TPSHeaderInfo::DocumentNeededResources, "%%DocumentNeededResources:"},
    {&TPSHeaderInfo::DocumentSuppliedResources, "%%DocumentSuppliedResources:"},
    {&TPSHeaderInfo::DocumentData, "%%DocumentData:"},
    {&TPSHeaderInfo::Pages, "%%Pages:"},
    {&TPSHeaderInfo::PageOrder, "%%PageOrder:"},
    {&TPSHeaderInfo::TargetDevice, "%%TargetDevice:"},
    {&TPSHeaderInfo::LanguageLevel, "%%LanguageLevel:"},
    {&TPSHeaderInfo::EndComments, "%%EndComments"},
};

// Parses the header of a job from its first bytes.
// - bytes: the start of the job; only the first kDscHeaderSize bytes are looked at, and a NUL
//   ends the text early (nothing from the first NUL on is seen).
// - localNow: the compact local date ("yyyymmddhhnnss") that CreationDate gets when the job
//   has no creation date or an empty one.
// Returns false and leaves info unchanged when bytes is empty. Otherwise sets all fifteen
// fields (a keyword not found gives Position 0, LineEnd -1, empty Value, except CreationDate,
// whose Value is then localNow) and returns true. Never fails on malformed input.
bool ParseDscHeader(std::string_view bytes, std::string_view localNow, TPSHeaderInfo& info);

// Fills one element from the header text (up to its first NUL, at most kDscHeaderSize bytes)
// and its upper-case copy (the same length): the first occurrence of keyword, matched without
// regard to ASCII case anywhere in the text; the value runs to the line end (LF, CR LF or a CR
// alone; LineEnd is the LF of a CR LF, else the CR or LF) or the end of the text, then is trimmed
// and decoded; NUL bytes that the decoding makes are dropped (DropNulBytes).
void ReadDscComment(std::string_view text, std::string_view upperText, std::string_view keyword, TPSElement& element);

// The text with every ASCII letter a-z made upper case and every other byte unchanged.
std::string AsciiUpper(std::string_view text);

// Replaces each backslash followed by a run of octal digits with one byte, the run's value
// modulo 256. Nothing else is decoded; a backslash without an octal digit after it stays.
std::string DecodeOctalEscapes(std::string_view s);

// The value of a run of octal digits ('0'-'7') in base 8, wrapping in 32 bits as a long run
// overflows.
int32_t OctalToInt(std::string_view digits);

// A whole value written as <hex digits> (even length of at least 4): the decoded bytes,
// trimmed. Any other value, or one with a non-hex character between the brackets, is returned
// unchanged.
std::string DecodeHexValue(std::string value);

// The value without its NUL bytes, trimmed again when there were any.
std::string DropNulBytes(std::string value);

// Turns a creation date in the driver form month/day/year time into the digits of a PDF date
// (year, two-digit month and day, the time without colons). An empty value becomes localNow;
// a value not in that form is returned unchanged.
std::string NormaliseCreationDate(std::string value, std::string_view localNow);

// Reads the header of the job file fileName (defined with the file calls in dsc_header_file.cpp).
// Returns false, info unchanged, when the file does not exist or is empty; otherwise fills info
// from the first kDscHeaderSize bytes as ParseDscHeader does, with the current local time as
// the missing creation date. Throws JobFileError when an existing file cannot be opened (for
// instance while another process holds it open) or read.
bool ReadDscHeader(const std::string& fileName, TPSHeaderInfo& info);

} // namespace folimar
