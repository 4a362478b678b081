// A thin base for top-level windows: one static procedure finds the object and forwards.
#pragma once

#include <windows.h>

namespace win {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }

    // Called by the message loop each time the queue has become empty.
    virtual void OnIdle() {}

protected:
    // Registers className once per process with this class's procedure.
    static bool RegisterClassOnce(const char* className, HBRUSH background, HICON icon = nullptr);

    // Creates the window with a client area of the given size (at 96 DPI, scaled to the screen's
    // DPI), centred on the screen.
    bool CreateCentred(const char* className, const char* caption, DWORD style, DWORD exStyle, int clientWidth,
                       int clientHeight);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// Runs the message loop until WM_QUIT, calling idle->OnIdle() whenever the queue empties.
int RunMessageLoop(Window* idle);

} // namespace win
