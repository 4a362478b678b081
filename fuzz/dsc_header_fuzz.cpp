// Fuzzes the DSC header parser and its decoders: element bounds, and blindness to bytes it must not see;
// and the file name made from a title: never a device, never a character a file name cannot hold.
#include "files/text_rules.h"
#include "fuzz/fuzz_check.h"
#include "jobprep/dsc_header.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

using namespace folimar;

namespace {

constexpr std::string_view kLocalNow = "20100105090703";

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return AsciiUpper(a) == AsciiUpper(b);
}

// What the parser may look at: up to kDscHeaderSize bytes, cut at the first NUL.
std::string_view VisibleText(std::string_view bytes)
{
    std::string_view text = bytes.substr(0, kDscHeaderSize);
    return text.substr(0, text.find('\0'));
}

void CheckElement(const TPSElement& e, std::string_view keyword, std::string_view text, bool isCreationDate)
{
    if (!e.Present()) {
        FUZZ_REQUIRE(e.Position == 0);
        FUZZ_REQUIRE(e.Value == (isCreationDate ? kLocalNow : std::string_view()));
        FUZZ_REQUIRE(AsciiUpper(text).find(AsciiUpper(keyword)) == std::string::npos);
        return;
    }
    size_t pos = static_cast<size_t>(e.Position);
    size_t end = static_cast<size_t>(e.LineEnd);
    FUZZ_REQUIRE(e.Position >= 0 && pos + keyword.size() <= end && end <= text.size());
    FUZZ_REQUIRE(SameIgnoringAsciiCase(text.substr(pos, keyword.size()), keyword));
    FUZZ_REQUIRE(end == text.size() || text[end] == '\n' || text[end] == '\r');
    // No line end inside the value; a CR LF ends it at its LF.
    const size_t lineEnd = text.find_first_of("\r\n", pos + keyword.size());
    FUZZ_REQUIRE(end == std::min(lineEnd, text.size()) ||
                 (text[lineEnd] == '\r' && end == lineEnd + 1 && text[end] == '\n'));
    if (!isCreationDate)
        FUZZ_REQUIRE(e.Value.size() <= end - pos - keyword.size());
    FUZZ_REQUIRE(e.Value.find('\0') == std::string::npos);
}

void CheckFileName(std::string_view title)
{
    const std::string name = FileNameFromTitle(title);
    FUZZ_REQUIRE(!IsReservedDeviceName(name));
    FUZZ_REQUIRE(name.empty() || (name.back() != ' ' && name.back() != '.'));
    for (char c : name)
        FUZZ_REQUIRE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F &&
                     std::string_view("\\/:*?<>\"|").find(c) == std::string_view::npos);
    if (IsValidUtf8(title)) {
        FUZZ_REQUIRE(IsValidUtf8(name));
        // Thirty units, and the "_" a device name gets.
        FUZZ_REQUIRE(Utf8ToUtf16(name).size() <= kTitleNameUnits + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TPSHeaderInfo info;
    bool parsed = ParseDscHeader(bytes, kLocalNow, info);
    FUZZ_REQUIRE(parsed == !bytes.empty());
    if (!parsed)
        return 0;
    std::string_view text = VisibleText(bytes);
    for (const TDscKeyword& k : kDscKeywords)
        CheckElement(info.*k.Field, k.Keyword, text, k.Field == &TPSHeaderInfo::CreationDate);

    // Bytes past the first NUL or past the header size change nothing.
    if (!text.empty()) {
        TPSHeaderInfo fromText;
        FUZZ_REQUIRE(ParseDscHeader(text, kLocalNow, fromText));
        FUZZ_REQUIRE(fromText == info);
    }

    CheckFileName(info.Title.Value);
    CheckFileName(bytes);

    // The decoders on the raw input: decoding never grows a value.
    FUZZ_REQUIRE(DecodeOctalEscapes(bytes).size() <= bytes.size());
    FUZZ_REQUIRE(DecodeHexValue(std::string(bytes)).size() <= bytes.size());
    std::string_view trimmed = TrimControlAndSpace(bytes);
    FUZZ_REQUIRE(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > 0x20 &&
                                     static_cast<unsigned char>(trimmed.back()) > 0x20));
    std::string date = NormaliseCreationDate(std::string(bytes), kLocalNow);
    FUZZ_REQUIRE(!date.empty());
    FUZZ_REQUIRE(date.size() <= std::max(bytes.size() + 2, kLocalNow.size()));
    return 0;
}
