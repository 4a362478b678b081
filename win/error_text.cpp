// Formats OS error codes as the system's own text.
#include "win/error_text.h"

#include <vector>

namespace win {

std::string SystemErrorText(DWORD code, size_t maxBytes)
{
    std::vector<char> buf(maxBytes + 1, '\0');
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf.data(),
                               static_cast<DWORD>(maxBytes), nullptr);
    std::string text(buf.data(), n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (text.empty())
        text = "Error " + std::to_string(code);
    return text;
}

DWORD LastErrorOr(DWORD fallback)
{
    DWORD code = ::GetLastError();
    return code != ERROR_SUCCESS ? code : fallback;
}

} // namespace win
