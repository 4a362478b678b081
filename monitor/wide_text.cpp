// UTF-8 and UTF-16 across the spooler's wide-character interface.
#include "monitor/wide_text.h"

#include "files/text_rules.h"

#include <windows.h>

namespace qvmon {

std::string ToUtf8(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring ToWide(std::string_view utf8)
{
    const std::u16string units = folimar::Utf8ToUtf16(utf8);
    return std::wstring(units.begin(), units.end());
}

} // namespace qvmon
