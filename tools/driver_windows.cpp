// Facts about the windows of other processes, as the test driver reads them.
#include "tools/driver_windows.h"

#include <commctrl.h>

#include <algorithm>

namespace driver {

namespace {

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}
} // namespace

std::string ClassOf(HWND hwnd)
{
    char name[256] = {};
    int n = ::GetClassNameA(hwnd, name, sizeof name);
    return std::string(name, n > 0 ? n : 0);
}

// The window's text from its own window procedure: for controls of another process the cached
// caption that GetWindowTextA reads can be out of date.
std::string TextOf(HWND hwnd)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return {};
    std::vector<char> text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                               kSendTimeoutMs, &copied))
        return {};
    return std::string(text.data(), std::min<size_t>(copied, length));
}

DWORD ProcessOf(HWND hwnd)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

// The first visible top-level window that match accepts, or null.
HWND FindTopLevel(const std::function<bool(HWND)>& match)
{
    std::vector<HWND> windows;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND hwnd : windows) {
        if (::IsWindowVisible(hwnd) && match(hwnd))
            return hwnd;
    }
    return nullptr;
}

// Every control below parent, in the window manager's order (creation order unless re-ordered).
std::vector<HWND> ControlsOf(HWND parent)
{
    std::vector<HWND> controls;
    ::EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&controls));
    return controls;
}
// A message answered by a control of another process; nullopt when it does not answer.
std::optional<DWORD_PTR> Ask(HWND control, UINT msg, WPARAM wParam)
{
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(control, msg, wParam, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer))
        return std::nullopt;
    return answer;
}

std::string ShownTooltipText(DWORD pid)
{
    for (HWND tip = ::FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); tip;
         tip = ::FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) {
        if (ProcessOf(tip) == pid && ::IsWindowVisible(tip)) {
            std::string text = TextOf(tip);
            if (!text.empty())
                return text;
        }
    }
    return {};
}

} // namespace driver
