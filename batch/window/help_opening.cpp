// Opening the help that F1 shows.
#include "batch/window/help_opening.h"

#include "batch/rules/batch_window_rules.h"
#include "files/text_rules.h"

#include <shellapi.h>

namespace folimar {

std::string HelpPagePath(const std::string& programPath)
{
    return std::string(FolderPart(programPath)) + "help-html\\index.htm";
}

void OpenHelp(HWND owner, const std::string& programPath)
{
#ifdef __WINE__
    // winebrowser hands a page to the desktop's browser (xdg-open); Wine's own viewer would show
    // an empty window.
    const std::string page = "\"" + HelpPagePath(programPath) + "\"";
    ::ShellExecuteA(owner, "open", "winebrowser.exe", page.c_str(), nullptr, SW_SHOW);
#else
    ::ShellExecuteA(owner, "open", HelpFilePath(programPath).c_str(), nullptr, nullptr, SW_SHOW);
#endif
}

} // namespace folimar
