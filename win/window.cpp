// Window base and the application's message loop.
#include "win/window.h"

#include "win/dpi.h"

namespace win {

Window::~Window()
{
    if (hwnd_) {
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

bool Window::RegisterClassOnce(const char* className, HBRUSH background, HICON icon)
{
    WNDCLASSEXA wc{};
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), className, &wc))
        return true;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    return ::RegisterClassExA(&wc) != 0;
}

bool Window::CreateCentred(const char* className, const char* caption, DWORD style, DWORD exStyle,
                           int clientWidth, int clientHeight)
{
    RECT r{0, 0, Scale(clientWidth), Scale(clientHeight)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + ((work.right - work.left) - width) / 2;
    int y = work.top + ((work.bottom - work.top) - height) / 2;
    HWND hwnd = ::CreateWindowExA(exStyle, className, caption, style, x, y, width, height, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), this);
    return hwnd != nullptr;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(msg, wParam, lParam); }

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

int RunMessageLoop(Window* idle)
{
    MSG msg{};
    for (;;) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            if (idle && idle->Handle() && ::IsDialogMessageA(idle->Handle(), &msg))
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
