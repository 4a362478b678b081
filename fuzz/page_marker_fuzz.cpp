// Fuzzes the scanner of Ghostscript's standard output chunks for page markers against a plain reference.
#include "fuzz/fuzz_check.h"
#include "render/page_marker.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

using namespace folimar;

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

// The value the chunk reports: -1 for a last page, else the digits right before the last "]%%" of a chunk
// holding a page marker, 0 when there are none or they do not fit.
int ReferenceMarker(std::string_view chunk)
{
    std::string lower = Lower(chunk);
    if (lower.find("lastpage") != std::string::npos)
        return kLastPageValue;
    if (lower.find("%%[page:") == std::string::npos)
        return 0;
    size_t close = chunk.rfind("]%%");
    if (close == std::string_view::npos || close == 0)
        return 0;
    size_t first = close;
    while (first > 0 && chunk[first - 1] >= '0' && chunk[first - 1] <= '9')
        --first;
    if (first == close)
        return 0;
    std::string_view digits = chunk.substr(first, close - first);
    digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.size() > 10 || (digits.size() == 10 && digits > "2147483647"))
        return 0;
    return digits.empty() ? 0 : std::stoi(std::string(digits));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view chunk(reinterpret_cast<const char*>(data), size);
    int page = ScanPageMarker(chunk.data(), chunk.size());
    FUZZ_REQUIRE(page >= kLastPageValue);
    FUZZ_REQUIRE(page == ReferenceMarker(chunk));
    return 0;
}
