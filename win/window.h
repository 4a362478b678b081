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

    // Called by the message loop for every message before it is dispatched, so that the window
    // sees keys meant for its controls first; true when the message was used up.
    virtual bool PreviewMessage(const MSG&) { return false; }

protected:
    // Registers className once per process with this class's procedure and the icon iconId of the
    // program's resources.
    static bool RegisterClassOnce(const char* className, HBRUSH background, int iconId);

    // Creates the window with a client area of the given size (at 96 DPI, scaled to the screen's
    // DPI), centred on the screen.
    bool CreateCentred(const char* className, const char* caption, DWORD style, DWORD exStyle, int clientWidth,
                       int clientHeight);

    // The same for a window owned by owner and centred on it (on the screen when owner is null).
    bool CreateCentredOn(HWND owner, const char* className, const char* caption, DWORD style, DWORD exStyle,
                         int clientWidth, int clientHeight);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    bool CreateAt(HWND owner, const RECT& area, const char* className, const char* caption, DWORD style, DWORD exStyle,
                  int clientWidth, int clientHeight);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// Top-left corner that centres a window of the given size on owner, kept on its monitor's work area.
POINT CentreOn(HWND owner, int width, int height);

// The icon iconId of the program's resources at the system's large or small icon size; shared
// (loaded once, never destroyed), or null when the program carries none.
HICON ResourceIcon(int iconId, bool smallIcon);

// Keyboard navigation for a window of controls, as in a dialog: Tab, the arrow keys, Enter (the
// default button the window names through DM_GETDEFID), Esc (IDCANCEL) and Alt+access keys.
// Keyboard use shows focus rectangles and access-key underlines. True when msg was used up.
bool HandleDialogKeys(HWND window, MSG& msg);

// Hides focus rectangles and access-key underlines in window until the keyboard is used, unless
// the user asked to see them always.
void HideKeyboardCues(HWND window);

// Runs the message loop until WM_QUIT, calling idle->OnIdle() whenever the queue empties.
int RunMessageLoop(Window* idle);

} // namespace win
