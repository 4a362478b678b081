// Quotes, path parts, UTF-8, device names and title file names.
#include "files/text_rules.h"

#include <algorithm>
#include <array>
#include <optional>

namespace folimar {

std::string StripQuotes(std::string_view s)
{
    if (!s.empty() && s.front() == '"')
        s.remove_prefix(1);
    if (!s.empty() && s.back() == '"')
        s.remove_suffix(1);
    return std::string(s);
}

bool EqualsNoCaseAscii(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view TrimControlAndSpace(std::string_view s)
{
    while (!s.empty() && IsControlOrSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsControlOrSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

namespace {
constexpr std::string_view kPathDelimiters = "\\/:";
} // namespace

std::string_view FolderPart(std::string_view path)
{
    size_t cut = path.find_last_of(kPathDelimiters);
    return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

std::string_view FileNamePart(std::string_view path)
{
    size_t cut = path.find_last_of(kPathDelimiters);
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string WithTrailingBackslash(std::string path)
{
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path;
}

namespace {

constexpr char32_t kReplacementChar = 0xFFFD;
constexpr char32_t kMalformed = 0xFFFFFFFF;

// Decodes the character at s[i] and moves i past it; a malformed sequence gives kMalformed and
// moves one byte on.
char32_t NextCodePoint(std::string_view s, size_t& i)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    size_t length = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        min = 0x10000;
    } else {
        ++i;
        return kMalformed;
    }
    if (i + length > s.size()) {
        ++i;
        return kMalformed;
    }
    for (size_t k = 1; k < length; ++k) {
        const auto cont = static_cast<unsigned char>(s[i + k]);
        if ((cont & 0xC0) != 0x80) {
            ++i;
            return kMalformed;
        }
        cp = (cp << 6) | (cont & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kMalformed;
    }
    i += length;
    return cp;
}

char AsciiUpperChar(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpperChar(a[i]) != AsciiUpperChar(b[i]))
            return false;
    return true;
}

// A port number of COMn or LPTn: a digit, or a superscript one, two or three as UTF-8 or as
// its code page 1252 byte.
bool IsPortNumber(std::string_view s)
{
    static constexpr std::array<std::string_view, 6> kSuperscripts = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3",
                                                                      "\xB9",     "\xB2",     "\xB3"};
    if (s.size() == 1 && s[0] >= '0' && s[0] <= '9')
        return true;
    for (std::string_view sup : kSuperscripts)
        if (s == sup)
            return true;
    return false;
}

// What a title character becomes in a file name; nothing when it stays as it is.
std::optional<std::string_view> NameReplacement(char32_t cp)
{
    switch (cp) {
    case '\\':
    case '/':
    case '|':
        return "-";
    case ':':
        return "_";
    case '*':
    case '?':
        return "";
    case '<':
        return "(";
    case '>':
        return ")";
    case '"':
        return "'";
    default:
        if (cp < 0x20 || cp == 0x7F)
            return " ";
        return std::nullopt;
    }
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();)
        if (NextCodePoint(bytes, i) == kMalformed)
            return false;
    return true;
}

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = NextCodePoint(utf8, i);
        if (cp == kMalformed) {
            out += static_cast<char16_t>(kReplacementChar);
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

bool IsReservedDeviceName(std::string_view path)
{
    if (path.starts_with("\\\\.\\") || path.starts_with("//./"))
        return true;
    while (!path.empty() && path.back() == ':') // "NUL:" names the device too
        path.remove_suffix(1);
    const size_t cut = path.find_last_of("\\/:");
    std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);

    static constexpr std::array<std::string_view, 6> kNames = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : kNames)
        if (EqualsNoCase(name, device))
            return true;
    if (name.size() < 4)
        return false;
    const std::string_view prefix = name.substr(0, 3);
    return (EqualsNoCase(prefix, "COM") || EqualsNoCase(prefix, "LPT")) && IsPortNumber(name.substr(3));
}

std::string FileNameFromTitle(std::string_view utf8Title)
{
    std::string name;
    name.reserve(utf8Title.size());
    size_t units = 0;
    for (size_t i = 0; i < utf8Title.size();) {
        const size_t at = i;
        const char32_t cp = NextCodePoint(utf8Title, i);
        const std::optional<std::string_view> replacement = NameReplacement(cp);
        // Replacements are ASCII, one unit a byte; a kept character above U+FFFF takes two units.
        const size_t width = replacement ? replacement->size() : cp != kMalformed && cp >= 0x10000 ? 2 : 1;
        if (units + width > kTitleNameUnits)
            break;
        units += width;
        name += replacement ? *replacement : utf8Title.substr(at, i - at);
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
    if (IsReservedDeviceName(name))
        name.insert(name.begin() + static_cast<std::ptrdiff_t>(std::min(name.find('.'), name.size())), '_');
    return name;
}

std::string_view CutUtf8(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    if (!IsValidUtf8(text))
        return text.substr(0, maxBytes);
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace folimar
