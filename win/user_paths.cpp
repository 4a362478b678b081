// File names in messages as the user gave them.
#include "win/user_paths.h"

#include <windows.h>

#include <shellapi.h>

namespace win {

namespace {

bool IsPathEnd(char c)
{
    return c == ':' || c == '"' || c == '\r' || c == '\n';
}

#ifdef __WINE__
bool GivenLinuxPath()
{
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args)
        return false;
    bool found = false;
    for (int i = 1; i < count && !found; ++i)
        found = args[i][0] == L'/';
    ::LocalFree(args);
    return found;
}
#endif

} // namespace

std::string UnixPathsIn(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool inPath = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!inPath && (c == 'Z' || c == 'z') && text.substr(i + 1, 2) == ":\\" &&
            (i == 0 || !::IsCharAlphaNumericA(text[i - 1]))) {
            out += '/';
            i += 2; // past ":\"
            inPath = true;
        } else if (inPath && IsPathEnd(c)) {
            inPath = false;
            out += c;
        } else {
            out += inPath && c == '\\' ? '/' : c;
        }
    }
    return out;
}

std::string MessageForUser(const std::string& message)
{
#ifdef __WINE__
    if (GivenLinuxPath())
        return UnixPathsIn(message);
#endif
    return message;
}

} // namespace win
