// Opening the help that F1 shows.
#include "batch/window/help_opening.h"

#include "batch/rules/batch_window_rules.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "render/library_path.h"
#include "win/handle.h"

#include <shellapi.h>

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
// winebrowser ends as soon as it has started a browser, with 1 when it found none. Wine may take
// seconds to start it on a busy machine.
constexpr UINT kBrowserCheckMs = 200;
// A browser command that is still running by then is taken as showing the pages.
constexpr DWORD kBrowserWaitLimitMs = 60 * 1000;

// The path as a user of the Linux desktop opens it.
std::string PathForUser(const std::string& windowsPath)
{
    return ToLibraryPath(windowsPath).value_or(windowsPath);
}

#endif

} // namespace

std::string HelpPagePath(const std::string& programPath)
{
    return std::string(FolderPart(programPath)) + "help-html\\index.htm";
}

void THelpOpener::Open(HWND owner, const std::string& programPath)
{
#ifdef __WINE__
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
    browser_.reset(sei.hProcess);
    owner_ = owner;
    shownPath_ = PathForUser(page);
    started_ = ::GetTickCount();
    if (!::SetTimer(owner, timerId_, kBrowserCheckMs, nullptr))
        browser_.reset();
#else
    const std::string file = HelpFilePath(programPath);
    const auto result =
        reinterpret_cast<INT_PTR>(::ShellExecuteA(owner, "open", file.c_str(), nullptr, nullptr, SW_SHOW));
    if (result <= 32)
        ShowHelpNotShown(owner, file, FileExists(file));
#endif
}

bool THelpOpener::OnTimer(UINT_PTR id)
{
    if (id != timerId_)
        return false;
#ifdef __WINE__
    if (!browser_) {
        ::KillTimer(owner_, timerId_);
        return true;
    }
    const bool ended = ::WaitForSingleObject(browser_.get(), 0) == WAIT_OBJECT_0;
    if (!ended && ::GetTickCount() - started_ < kBrowserWaitLimitMs)
        return true;
    ::KillTimer(owner_, timerId_);
    // Let go before the box: its own message loop would run this timer again.
    const win::UniqueHandle browser = std::move(browser_);
    DWORD code = 0;
    if (ended && ::GetExitCodeProcess(browser.get(), &code) && code != 0)
        ShowHelpNotShown(owner_, shownPath_, true);
#endif
    return true;
}

} // namespace folimar
