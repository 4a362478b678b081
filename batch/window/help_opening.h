// Opening the help that F1 shows.
#pragma once

#include "win/handle.h"

#include <windows.h>

#include <string>

namespace folimar {

// The first page of the help's HTML pages, in the "help-html" folder beside the program (the Winelib
// build puts them there).
std::string HelpPagePath(const std::string& programPath);

// Opens the help for the user, owned by a window: the help file beside the program with the shell's
// "open" verb; under Wine, which has no HTML engine here to show a help file, the pages it is made
// from in the desktop's browser. When nothing can show it, a box owned by the window says where it
// is. Under Wine the browser's start is watched by a timer of the window, so the window keeps
// answering while Wine starts it.
class THelpOpener {
public:
    // timerId: a timer id of owner that nothing else uses; its WM_TIMER goes to OnTimer.
    explicit THelpOpener(UINT_PTR timerId) : timerId_(timerId) {}
    THelpOpener(const THelpOpener&) = delete;
    THelpOpener& operator=(const THelpOpener&) = delete;

    void Open(HWND owner, const std::string& programPath);
    // The window's WM_TIMER: true when the id was the opener's.
    bool OnTimer(UINT_PTR id);

private:
    UINT_PTR timerId_;
    // The browser start being watched; a second F1 takes the place of the first.
    win::UniqueHandle browser_;
    HWND owner_ = nullptr;
    std::string shownPath_;
    DWORD started_ = 0;
};

} // namespace folimar
