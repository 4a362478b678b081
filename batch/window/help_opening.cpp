// Opening the help that F1 shows.
#include "batch/window/help_opening.h"

#include "batch/rules/batch_window_rules.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "render/library_path.h"
#include "win/handle.h"

#include <shellapi.h>

#include <memory>

namespace folimar {

namespace {

constexpr char kHelpBoxCaption[] = "Help";

// What the box says: where the help is (path, as the user would open it), or where it belongs
// when it is not there.
std::string HelpNotShownText(const std::string& path, bool found)
{
    if (!found)
        return "The help could not be opened: there is no file\n" + path;
#ifdef __WINE__
    return "The help could not be opened: no web browser started.\n\nThe help is the file\n" + path +
           "\n\nOpen it in your web browser.";
#else
    return "The help could not be opened.\n\nThe help is the file\n" + path;
#endif
}

void ShowHelpNotShown(HWND owner, const std::string& path, bool found)
{
    ::MessageBoxA(owner && ::IsWindow(owner) ? owner : nullptr, HelpNotShownText(path, found).c_str(), kHelpBoxCaption,
                  MB_OK | MB_ICONINFORMATION);
}

#ifdef __WINE__
// winebrowser ends as soon as it has started a browser, with 1 when it found none. It is watched
// from the window's own message loop: Wine may take seconds to start it on a busy machine.
constexpr UINT kBrowserCheckMs = 200;
// A browser command that is still running by then is taken as showing the pages.
constexpr DWORD kBrowserWaitLimitMs = 60 * 1000;

struct TBrowserStart {
    win::UniqueHandle process;
    HWND owner = nullptr;
    std::string shownPath;
    DWORD started = 0;
    UINT_PTR timer = 0;
};

// One start watched at a time: a second F1 takes the place of the first.
std::unique_ptr<TBrowserStart> gBrowserStart;

void CALLBACK CheckBrowserStart(HWND, UINT, UINT_PTR, DWORD)
{
    if (!gBrowserStart)
        return;
    const bool ended = ::WaitForSingleObject(gBrowserStart->process.get(), 0) == WAIT_OBJECT_0;
    if (!ended && ::GetTickCount() - gBrowserStart->started < kBrowserWaitLimitMs)
        return;
    ::KillTimer(nullptr, gBrowserStart->timer);
    // Let go before the box: its own message loop runs this timer's messages.
    const std::unique_ptr<TBrowserStart> start = std::move(gBrowserStart);
    DWORD code = 0;
    if (ended && ::GetExitCodeProcess(start->process.get(), &code) && code != 0)
        ShowHelpNotShown(start->owner, start->shownPath, true);
}

// The path as a user of the Linux desktop opens it.
std::string PathForUser(const std::string& windowsPath)
{
    return ToLibraryPath(windowsPath).value_or(windowsPath);
}

void OpenHelpPages(HWND owner, const std::string& programPath)
{
    // winebrowser hands a page to the desktop's browser (xdg-open); Wine's own viewer would show
    // an empty window.
    const std::string page = HelpPagePath(programPath);
    if (!FileExists(page)) {
        ShowHelpNotShown(owner, PathForUser(page), false);
        return;
    }
    const std::string quoted = "\"" + page + "\"";
    SHELLEXECUTEINFOA sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.hwnd = owner;
    sei.lpVerb = "open";
    sei.lpFile = "winebrowser.exe";
    sei.lpParameters = quoted.c_str();
    sei.nShow = SW_SHOW;
    if (!::ShellExecuteExA(&sei) || !sei.hProcess) {
        ShowHelpNotShown(owner, PathForUser(page), true);
        return;
    }
    if (gBrowserStart)
        ::KillTimer(nullptr, gBrowserStart->timer);
    auto start = std::make_unique<TBrowserStart>();
    start->process.reset(sei.hProcess);
    start->owner = owner;
    start->shownPath = PathForUser(page);
    start->started = ::GetTickCount();
    start->timer = ::SetTimer(nullptr, 0, kBrowserCheckMs, CheckBrowserStart);
    gBrowserStart = start->timer ? std::move(start) : nullptr;
}
#endif

} // namespace

std::string HelpPagePath(const std::string& programPath)
{
    return std::string(FolderPart(programPath)) + "help-html\\index.htm";
}

void OpenHelp(HWND owner, const std::string& programPath)
{
#ifdef __WINE__
    OpenHelpPages(owner, programPath);
#else
    const std::string file = HelpFilePath(programPath);
    const auto result =
        reinterpret_cast<INT_PTR>(::ShellExecuteA(owner, "open", file.c_str(), nullptr, nullptr, SW_SHOW));
    if (result <= 32)
        ShowHelpNotShown(owner, file, FileExists(file));
#endif
}

} // namespace folimar
