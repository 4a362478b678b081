// The DSC header parser: keyword search, value decoding and the creation-date form.
#include "jobprep/dsc_header.h"

#include "files/text_rules.h"

#include <string>
#include <utility>

namespace folimar {

namespace {

bool IsOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The value of one hex digit, or -1.
int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A short month or day gets a leading zero.
std::string PadTwo(std::string_view part)
{
    return part.size() < 2 ? "0" + std::string(part) : std::string(part);
}

// The time fields without their colons. A one-digit field gets a leading zero, so that
// "9:07:03" gives the PDF digits 090703 and not the unreadable 90703.
std::string JoinTimeFields(std::string_view time)
{
    std::string out;
    out.reserve(time.size() + 3);
    size_t start = 0;
    for (;;) {
        size_t colon = time.find(':', start);
        std::string_view field = time.substr(start, colon == std::string_view::npos ? colon : colon - start);
        if (field.size() == 1 && field[0] >= '0' && field[0] <= '9')
            out += '0';
        out += field;
        if (colon == std::string_view::npos)
            return out;
        start = colon + 1;
    }
}

} // namespace

std::string AsciiUpper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

int32_t OctalToInt(std::string_view digits)
{
    // Unsigned arithmetic: a long run wraps like the 32-bit integer it is kept in.
    uint32_t value = 0;
    uint32_t weight = 1;
    for (size_t i = digits.size(); i-- > 0;) {
        value += static_cast<uint32_t>(digits[i] - '0') * weight;
        weight *= 8;
    }
    return static_cast<int32_t>(value);
}

std::string DecodeOctalEscapes(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '\\' && i + 1 < s.size() && IsOctalDigit(s[i + 1])) {
            size_t end = i + 1;
            while (end < s.size() && IsOctalDigit(s[end]))
                ++end;
            out += static_cast<char>(static_cast<uint8_t>(OctalToInt(s.substr(i + 1, end - i - 1))));
            i = end;
        } else {
            out += s[i++];
        }
    }
    return out;
}

std::string DecodeHexValue(std::string value)
{
    const size_t len = value.size();
    if (len < 4 || len % 2 != 0 || value.front() != '<' || value.back() != '>')
        return value;
    std::string bytes;
    bytes.reserve(len / 2 - 1);
    for (size_t i = 1; i + 1 < len; i += 2) {
        int hi = HexDigitValue(value[i]);
        int lo = HexDigitValue(value[i + 1]);
        if (hi < 0 || lo < 0)
            return value;
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return std::string(TrimControlAndSpace(bytes));
}

std::string DropNulBytes(std::string value)
{
    // A NUL in a text of the PDF's document information makes its XMP metadata invalid.
    if (value.find('\0') == std::string::npos)
        return value;
    std::erase(value, '\0');
    return std::string(TrimControlAndSpace(value));
}

void ReadDscComment(std::string_view text, std::string_view upperText, std::string_view keyword, TPSElement& element)
{
    element = TPSElement{};
    const size_t pos = upperText.find(AsciiUpper(keyword));
    if (pos == std::string_view::npos)
        return;
    element.Position = static_cast<int32_t>(pos);

    // The value ends at the line end of any convention: LF, CR LF, or CR alone, as Windows drivers and
    // Ghostscript's own DSC reading have it. Running on over CR-only lines would put the rest of the
    // header into the title and dates.
    const size_t begin = pos + keyword.size();
    size_t i = begin;
    while (i < text.size() && text[i] != '\n' && text[i] != '\r')
        ++i;
    const std::string_view raw = text.substr(begin, i - begin);
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n')
        ++i; // CR LF: the LF ends it
    element.LineEnd = static_cast<int32_t>(i);

    std::string_view trimmed = TrimControlAndSpace(raw);
    if (trimmed.empty())
        return;
    element.Value = DropNulBytes(DecodeHexValue(DecodeOctalEscapes(trimmed)));
}

std::string NormaliseCreationDate(std::string value, std::string_view localNow)
{
    if (value.empty())
        return std::string(localNow);
    const size_t s1 = value.find('/');
    if (s1 == std::string::npos || s1 == 0)
        return value;
    const size_t s2 = value.find('/', s1 + 1);
    if (s2 == std::string::npos || s2 == s1 + 1)
        return value;
    const size_t s3 = value.find(' ', s2 + 1);
    if (s3 == std::string::npos || s3 == s2 + 1)
        return value;

    std::string_view v(value);
    std::string time = JoinTimeFields(v.substr(s3 + 1));
    return std::string(v.substr(s2 + 1, s3 - s2 - 1)) + PadTwo(v.substr(0, s1)) +
           PadTwo(v.substr(s1 + 1, s2 - s1 - 1)) + time;
}

bool ParseDscHeader(std::string_view bytes, std::string_view localNow, TPSHeaderInfo& info)
{
    if (bytes.empty())
        return false;
    std::string_view text = bytes.substr(0, kDscHeaderSize);
    text = text.substr(0, text.find('\0'));
    const std::string upperText = AsciiUpper(text);

    for (const TDscKeyword& k : kDscKeywords)
        ReadDscComment(text, upperText, k.Keyword, info.*k.Field);
    info.CreationDate.Value = NormaliseCreationDate(std::move(info.CreationDate.Value), localNow);
    return true;
}

} // namespace folimar
