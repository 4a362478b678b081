// Window base and the application's message loop.
#include "win/window.h"

#include "win/dpi.h"

#include <algorithm>

namespace win {

Window::~Window()
{
    if (hwnd_) {
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

namespace {

POINT CentreOnRect(const RECT& area, int width, int height)
{
    POINT pt{area.left + ((area.right - area.left) - width) / 2, area.top + ((area.bottom - area.top) - height) / 2};
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (::GetMonitorInfoA(::MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &mi)) {
        pt.x = std::max(mi.rcWork.left, std::min(pt.x, mi.rcWork.right - width));
        pt.y = std::max(mi.rcWork.top, std::min(pt.y, mi.rcWork.bottom - height));
    }
    return pt;
}

} // namespace

POINT CentreOn(HWND owner, int width, int height)
{
    RECT ownerRect{};
    ::GetWindowRect(owner, &ownerRect);
    return CentreOnRect(ownerRect, width, height);
}

HICON ResourceIcon(int iconId, bool smallIcon)
{
    const int size = ::GetSystemMetrics(smallIcon ? SM_CXSMICON : SM_CXICON);
    return static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, LR_SHARED));
}

bool Window::RegisterClassOnce(const char* className, HBRUSH background, int iconId)
{
    WNDCLASSEXA wc{};
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), className, &wc))
        return true;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    // Without them the caption and the taskbar show the system's default icon.
    wc.hIcon = ResourceIcon(iconId, false);
    wc.hIconSm = ResourceIcon(iconId, true);
    wc.lpszClassName = className;
    return ::RegisterClassExA(&wc) != 0;
}

bool Window::CreateCentred(const char* className, const char* caption, DWORD style, DWORD exStyle, int clientWidth,
                           int clientHeight)
{
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return CreateAt(nullptr, work, className, caption, style, exStyle, clientWidth, clientHeight);
}

bool Window::CreateCentredOn(HWND owner, const char* className, const char* caption, DWORD style, DWORD exStyle,
                             int clientWidth, int clientHeight)
{
    RECT area{};
    ::GetWindowRect(owner ? owner : ::GetDesktopWindow(), &area);
    return CreateAt(owner, area, className, caption, style, exStyle, clientWidth, clientHeight);
}

// Creates the window centred on area and kept on the work area of area's monitor.
bool Window::CreateAt(HWND owner, const RECT& area, const char* className, const char* caption, DWORD style,
                      DWORD exStyle, int clientWidth, int clientHeight)
{
    RECT r{0, 0, Scale(clientWidth), Scale(clientHeight)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const POINT pt = CentreOnRect(area, width, height);
    // `this` reaches the window procedure with WM_NCCREATE.
    HWND hwnd = ::CreateWindowExA(exStyle, className, caption, style, pt.x, pt.y, width, height, owner, nullptr,
                                  ::GetModuleHandleA(nullptr), this);
    // The taskbar asks the window first, and a window with a dialog frame takes its caption icon
    // from WM_SETICON, not from its class.
    if (hwnd) {
        ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, static_cast<LPARAM>(::GetClassLongPtrA(hwnd, GCLP_HICON)));
        ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(::GetClassLongPtrA(hwnd, GCLP_HICONSM)));
    }
    return hwnd != nullptr;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(msg, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<Window*>(cs->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // No C++ exception may unwind into the system.
        result = ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

bool HandleDialogKeys(HWND window, MSG& msg)
{
    if (!window || (msg.hwnd != window && !::IsChild(window, msg.hwnd)))
        return false;
    // Focus rectangles and access-key underlines stay hidden until the keyboard is used, as in
    // a dialog; the window's children draw them from the state this sets.
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_TAB || msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT ||
                                      msg.wParam == VK_UP || msg.wParam == VK_DOWN))
        ::SendMessageA(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    else if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_MENU)
        ::SendMessageA(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    return ::IsDialogMessageA(window, &msg) != FALSE;
}

void HideKeyboardCues(HWND window)
{
    BOOL always = FALSE;
    if (::SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &always, 0) && always)
        return;
    ::SendMessageA(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

int RunMessageLoop(Window* idle)
{
    MSG msg{};
    for (;;) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            if (idle && idle->PreviewMessage(msg))
                continue;
            if (idle && HandleDialogKeys(idle->Handle(), msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (idle && idle->Handle())
            idle->OnIdle();
        ::WaitMessage();
    }
}

} // namespace win
