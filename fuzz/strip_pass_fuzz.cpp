// Fuzzes the font program strip passes, fed in random pieces, against a plain reference over the whole text.
// The first input byte chooses the piece sizes, the second the longest font span; the rest is the job.
#include "fuzz/fuzz_check.h"
#include "jobprep/strip_fonts.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

using namespace folimar;

namespace {

constexpr size_t npos = std::string_view::npos;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsText(char c)
{
    auto u = static_cast<unsigned char>(c);
    return (u >= 0x20 && u < 0x7f) || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// One to 64 white-space bytes, then four hex digits or a byte that is not text among the next 16.
bool FollowedByFontData(std::string_view text, size_t at)
{
    size_t space = 0;
    while (at + space < text.size() && IsSpace(text[at + space]))
        ++space;
    if (space == 0 || space > 64)
        return false;
    std::string_view data = text.substr(at + space, 16);
    if (data.size() >= 4 && std::all_of(data.begin(), data.begin() + 4, IsHex))
        return true;
    return !std::all_of(data.begin(), data.end(), IsText);
}

bool ClosesFont(std::string_view text, size_t dataBegin, size_t end, size_t zerosNeeded)
{
    size_t zeros = 0;
    for (size_t i = end; i > dataBegin && (text[i - 1] == '0' || IsSpace(text[i - 1])); --i)
        zeros += text[i - 1] == '0';
    return zeros >= zerosNeeded;
}

// The first font start at or after from: a start marker with font data after it.
size_t NextFontStart(std::string_view text, size_t from, const StripMarkers& m)
{
    for (size_t s = text.find(m.start, from); s != npos; s = text.find(m.start, s + 1))
        if (FollowedByFontData(text, s + m.start.size()))
            return s;
    return npos;
}

// The pass written the slow obvious way: for each font start, the first closing end marker after it within the
// longest span, unless another font start comes first; the rest of the end marker's line goes with its line end.
std::string ReferencePass(std::string_view text, const StripMarkers& m, size_t maxSpan)
{
    std::string out;
    size_t cursor = 0;
    for (size_t s = NextFontStart(text, 0, m); s != npos;) {
        size_t e = text.find(m.end, s + 1);
        while (e != npos && !ClosesFont(text, s + m.start.size(), e, m.zerosBeforeEnd))
            e = text.find(m.end, e + 1);
        if (e != npos && e + m.end.size() - s > maxSpan)
            e = npos;
        size_t next = NextFontStart(text, s + 1, m);
        if (e == npos || (next != npos && next < e)) {
            s = next;
            continue;
        }
        out.append(text.substr(cursor, s - cursor));
        size_t lineEnd = text.find_first_of("\r\n", e + m.end.size());
        if (lineEnd == npos)
            cursor = text.size();
        else
            cursor = lineEnd + 1 + (text[lineEnd] == '\r' && lineEnd + 1 < text.size() && text[lineEnd + 1] == '\n');
        s = NextFontStart(text, cursor, m);
    }
    out.append(text.substr(cursor));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    uint32_t seed = data[0] * 2654435761u + 1;
    size_t maxSpan = data[1] < 128 ? 40 + size_t{data[1]} * 16 : kMaxFontProgram;
    std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);

    std::string afterFirst = ReferencePass(input, kFontPass1, maxSpan);
    std::string expected = ReferencePass(afterFirst, kFontPass2, maxSpan);

    std::string kept;
    FontStripper stripper([&](std::string_view piece) { kept += piece; }, maxSpan);
    for (size_t at = 0; at < input.size();) {
        seed = seed * 1103515245u + 12345u;
        size_t piece = 1 + (seed >> 16) % (data[0] < 64 ? 8 : 300);
        stripper.Feed(input.substr(at, piece));
        at += piece;
    }
    stripper.Finish();
    FUZZ_REQUIRE(kept == expected);
    FUZZ_REQUIRE(stripper.cut() == (expected != input));
    FUZZ_REQUIRE(expected.size() <= input.size());
    return 0;
}
