// Page marker scanning over raw bytes; each chunk is judged on its own.
#include "render/page_marker.h"

#include <algorithm>
#include <climits>
#include <string_view>

namespace folimar {

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive (ASCII letters only) search of a lower-case needle.
bool ContainsFolded(std::string_view hay, std::string_view lowerNeedle)
{
    auto it = std::search(hay.begin(), hay.end(), lowerNeedle.begin(), lowerNeedle.end(),
                          [](char a, char b) { return LowerAscii(a) == b; });
    return it != hay.end();
}

} // namespace

int ScanPageMarker(const char* chunk, size_t length)
{
    std::string_view text(chunk, length);
    if (ContainsFolded(text, "lastpage"))
        return kLastPageValue;
    if (!ContainsFolded(text, "%%[page:") || length <= 3)
        return 0;

    for (size_t start = length - 3; start >= 1; --start) {
        if (text.compare(start, 3, "]%%") != 0)
            continue;
        // Digits standing right before the last "]%%", walking backwards.
        size_t first = start;
        while (first > 0 && text[first - 1] >= '0' && text[first - 1] <= '9')
            --first;
        if (first == start)
            return 0;
        long long value = 0;
        for (size_t i = first; i < start; ++i) {
            value = value * 10 + (text[i] - '0');
            if (value > INT_MAX)
                return 0;
        }
        return static_cast<int>(value);
    }
    return 0;
}

} // namespace folimar
