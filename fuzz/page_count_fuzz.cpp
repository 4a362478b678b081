// Fuzzes the page count reader, fed in random pieces, against a plain reference that reads the digits one by one.
#include "fuzz/fuzz_check.h"
#include "jobprep/strip_fonts.h"

#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>

using namespace folimar;

namespace {

constexpr std::string_view kComment = "%%Pages:";

std::optional<int32_t> ReferenceNumber(std::string_view v)
{
    const bool hex = v.size() > 2 && v.substr(0, 2) == "0x";
    const std::string_view digits = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (hex)
        v.remove_prefix(2);
    if (v.empty() || v.find_first_not_of(digits) != std::string_view::npos)
        return std::nullopt;
    int64_t n = 0;
    for (char c : v) {
        int d = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        n = n * (hex ? 16 : 10) + d;
        if (n > INT32_MAX)
            return std::nullopt;
    }
    return static_cast<int32_t>(n);
}

std::string_view ReferenceValue(std::string_view text, size_t at)
{
    size_t first = at + kComment.size() + 1;
    if (first >= text.size())
        return {};
    size_t stop = text.find_first_of("\r\n", first);
    std::string_view v = text.substr(first, stop == std::string_view::npos ? std::string_view::npos : stop - first);
    size_t b = 0;
    while (b < v.size() && static_cast<unsigned char>(v[b]) <= 0x20)
        ++b;
    size_t e = v.size();
    while (e > b && static_cast<unsigned char>(v[e - 1]) <= 0x20)
        --e;
    return v.substr(b, e - b);
}

std::optional<int32_t> ReferencePageCount(std::string_view text)
{
    size_t first = text.find(kComment);
    if (first == std::string_view::npos)
        return std::nullopt;
    std::string_view v = ReferenceValue(text, first);
    if (!v.empty() && v.front() >= '0' && v.front() <= '9')
        return ReferenceNumber(v);
    size_t second = text.find(kComment, first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    return ReferenceNumber(ReferenceValue(text, second));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<int32_t> pages = ReadPageCount(text);
    FUZZ_REQUIRE(pages == ReferencePageCount(text));
    FUZZ_REQUIRE(!pages || *pages >= 0);
    FUZZ_REQUIRE(!pages || text.find(kComment) != std::string_view::npos);
    // The same text in pieces, their sizes drawn from its first byte, gives the same count.
    PageCountReader reader;
    uint32_t seed = size > 0 ? data[0] * 2654435761u + 1 : 1;
    for (size_t at = 0; at < size;) {
        seed = seed * 1103515245u + 12345u;
        size_t piece = 1 + (seed >> 16) % (size > 0 && data[0] < 64 ? 8 : 300);
        reader.Feed(text.substr(at, piece));
        at += piece;
    }
    FUZZ_REQUIRE(reader.Finish() == pages);
    // The whole input as a bare value as well.
    FUZZ_REQUIRE(ParsePageNumber(text) == ReferenceNumber(text));
    return 0;
}
