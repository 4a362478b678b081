// File names in messages as the user gave them.
#include "win/user_paths.h"

#include "win/command_line.h"

#include <windows.h>

namespace win {

namespace {

bool IsPathEnd(char c)
{
    return c == ':' || c == '"' || c == '\r' || c == '\n';
}

#ifdef __WINE__
bool GivenLinuxPath()
{
    const std::vector<WideString> args = ProgramArguments();
    for (size_t i = 1; i < args.size(); ++i)
        if (!args[i].empty() && args[i][0] == '/')
            return true;
    return false;
}
#endif

// As IsCharAlphaNumericA, which would bring in user32.
bool IsAlphaNumeric(char c)
{
    WCHAR wide = 0;
    WORD type = 0;
    return ::MultiByteToWideChar(CP_ACP, 0, &c, 1, &wide, 1) == 1 && ::GetStringTypeW(CT_CTYPE1, &wide, 1, &type) &&
           (type & (C1_ALPHA | C1_DIGIT));
}

} // namespace

std::string UnixPathsIn(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool inPath = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!inPath && (c == 'Z' || c == 'z') && text.substr(i + 1, 2) == ":\\" &&
            (i == 0 || !IsAlphaNumeric(text[i - 1]))) {
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
