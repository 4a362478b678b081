// The program's command line split into its arguments, without the shell's DLL.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win {

// UTF-16 text as std::u16string: under Winelib WCHAR is a 16-bit wchar_t, for which the C
// library's wide-string functions behind std::wstring do not work.
using WideString = std::u16string;

// The arguments of a command line as CommandLineToArgvW splits it: the program's path (entry 0)
// ends at the next space or tab, or at its closing quote when it starts with one, and takes no
// escapes; after it, quotes group, 2n backslashes before a quote give n and the quote groups,
// 2n+1 give n and a literal quote, and the third of consecutive quotes inside a group is a literal
// one. An empty line gives one empty entry, where the shell would put the program's own path.
std::vector<WideString> SplitCommandLine(const WCHAR* line);

// This process's arguments (GetCommandLineW, split as above).
std::vector<WideString> ProgramArguments();

} // namespace win
