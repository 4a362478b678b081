// The base of the program's windows: fonts, enabled and visible states, message boxes owned by
// the window, and one dispatch of the messages every such window handles.
#pragma once

#include "win/gdi.h"
#include "win/window.h"

#include <initializer_list>
#include <string>

namespace win {

// What makes one kind of form: its window class, caption, client size (at 96 DPI) and the icon
// of the program's resources that its caption and the taskbar show.
struct FormClass {
    const char* className;
    const char* caption;
    int clientWidth;
    int clientHeight;
    int iconId;
};

class Form : public Window {
protected:
    // A main window of the program: a fixed border with the system menu and the minimise box,
    // centred on the screen, painted in the form colour; its end ends the message loop. Makes
    // the fonts, then runs CreateControls and FormCreate.
    bool CreateMainForm(const FormClass& form);

    // The same steps for a window already made (a dialog frame).
    void Populate();

    // The controls, made once the window and the fonts exist.
    virtual void CreateControls() = 0;
    // Runs after CreateControls: fills the controls and shows the window.
    virtual void FormCreate() {}
    // Runs when the window is destroyed.
    virtual void FormDestroy() {}

    // WM_COMMAND from a control (control null for a menu, an accelerator or a dialog key).
    virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
    virtual LRESULT OnNotify(const NMHDR& /*header*/) { return 0; }
    // Paints the window's flat picture buttons; a form with owner-drawn panels draws them first.
    virtual void OnDrawItem(const DRAWITEMSTRUCT& item);
    // Links show the hand cursor; true when the cursor was set.
    virtual bool OnSetCursor(HWND control);
    // Controls painted white (banners, a read-only field in use) rather than in the form colour.
    virtual bool IsPanelColored(HWND /*control*/) const { return false; }
    // The button Enter presses (DM_GETDEFID).
    virtual WPARAM DefaultButtonId() const { return IDOK; }
    // Every message the dispatch above leaves.
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(msg, wParam, lParam); }

    // Enter presses the focused one of buttons, and fallback from anywhere else.
    static WPARAM FocusedButtonOr(std::initializer_list<HWND> buttons, WPARAM fallback);

    // Changes a control only when its state differs: no flicker from the idle rule.
    static void SetEnabled(HWND control, bool enabled);
    static void SetVisible(HWND control, bool visible);

    // A message box owned by this window, which is painted first.
    int Box(const std::string& text, const char* caption, UINT flags);

    // "MS Sans Serif", and the same underlined for links.
    Font FFont;
    Font FLinkFont;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) final;
    LRESULT OnColor(HDC dc, HWND control);

    bool mainForm_ = false;
};

} // namespace win
