// Opening the help that F1 shows.
#pragma once

#include <windows.h>

#include <string>

namespace folimar {

// The first page of the help's HTML pages, in the "help-html" folder beside the program (the Winelib
// build puts them there).
std::string HelpPagePath(const std::string& programPath);

// Opens the help for the user, owned by owner: the help file beside the program with the shell's
// "open" verb; under Wine, which has no HTML engine here to show a help file, the pages it is made
// from in the desktop's browser. When nothing can show it, a box owned by owner says where it is.
void OpenHelp(HWND owner, const std::string& programPath);

} // namespace folimar
