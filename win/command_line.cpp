// Command-line splitting with the shell's rules, in kernel32 alone: a console program that only
// checks its arguments then loads neither shell32 nor the user32 and gdi32 it pulls in.
#include "win/command_line.h"

namespace win {

namespace {

static_assert(sizeof(WCHAR) == sizeof(char16_t));

constexpr char16_t kQuote = '"';
constexpr char16_t kBackslash = '\\';

bool IsBlank(char16_t c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::vector<WideString> SplitCommandLine(const WCHAR* text)
{
    const std::u16string_view line(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(::lstrlenW(text)));
    std::vector<WideString> args(1);
    size_t at = 0;
    // The program's path: no escapes, and a quote only ends it.
    if (at < line.size() && line[at] == kQuote) {
        for (++at; at < line.size() && line[at] != kQuote; ++at)
            args[0] += line[at];
        if (at < line.size())
            ++at;
    } else {
        for (; at < line.size() && !IsBlank(line[at]); ++at)
            args[0] += line[at];
    }
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    if (at == line.size())
        return args;

    args.emplace_back();
    int quotes = 0; // 1 inside a group; 2 right after a quote that may be doubled
    size_t backslashes = 0;
    while (at < line.size()) {
        const char16_t c = line[at];
        if (IsBlank(c) && quotes == 0) {
            while (at < line.size() && IsBlank(line[at]))
                ++at;
            if (at < line.size())
                args.emplace_back();
            backslashes = 0;
        } else if (c == kBackslash) {
            args.back() += c;
            ++backslashes;
            ++at;
        } else if (c == kQuote) {
            WideString& arg = args.back();
            if (backslashes % 2 == 0) {
                arg.resize(arg.size() - backslashes / 2);
                ++quotes;
            } else {
                arg.resize(arg.size() - backslashes / 2 - 1);
                arg += kQuote;
            }
            backslashes = 0;
            // Counted with the quote above and an opening one: every third is a literal quote.
            for (++at; at < line.size() && line[at] == kQuote; ++at) {
                if (++quotes == 3) {
                    arg += kQuote;
                    quotes = 0;
                }
            }
            if (quotes == 2)
                quotes = 0;
        } else {
            args.back() += c;
            backslashes = 0;
            ++at;
        }
    }
    return args;
}

std::vector<WideString> ProgramArguments()
{
    return SplitCommandLine(::GetCommandLineW());
}

} // namespace win
