// Helpers for windows built from standard controls: child creation, fonts, hints and containers.
#pragma once

#include "win/gdi.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

namespace win {

// Position and size of a control relative to its parent's client area, in pixels at 96 DPI.
struct Bounds {
    int left;
    int top;
    int width;
    int height;
};

// A child control with the given font, its bounds scaled to the screen's DPI; returns null when
// the control cannot be made.
HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, const Bounds& bounds, int id,
                 HFONT font, DWORD exStyle = 0);

// "MS Sans Serif" with a cell height of 13 pixels at 96 DPI, optionally bold or underlined.
Font CreateFormFont(bool bold = false, bool underline = false);

// A control that holds other controls (a panel or a group box) hands their notifications,
// colour requests and drawing requests on to its own parent, and paints its background with
// the brush that parent gives for it.
bool ForwardChildNotifications(HWND container);

// A panel (a static, owner-drawn unless style says otherwise) or a group box that holds other
// controls: clips them, lets Tab into them and forwards their notifications.
HWND CreatePanel(HWND parent, const Bounds& bounds, int id, HFONT font, DWORD style = SS_OWNERDRAW);
HWND CreateGroupBox(HWND parent, const char* caption, const Bounds& bounds, int id, HFONT font);

// A read-only path field that runs browse when double-clicked.
HWND CreatePathField(HWND parent, const Bounds& bounds, int id, HFONT font, std::function<void()> browse);

std::string GetText(HWND control);

// Calls action after the control has handled a double click of the left button (a read-only
// path field that browses when double-clicked). The action lives as long as the control.
bool OnDoubleClick(HWND control, std::function<void()> action);

// The hints of one window: tool tips over its controls, and over areas inside a control (a
// list's rows), each area its own tool, so that the tip shows again when the mouse goes from one
// area to the next.
class Hints {
public:
    bool Create(HWND owner);
    void Add(HWND control, const std::string& text);
    void Update(HWND control, const std::string& text);
    // Before the control goes: the tool tip must not keep a tool for a destroyed window.
    void Remove(HWND control);

    // An area of control (its client pixels) told apart from the control's other areas by id.
    // The control hands its mouse messages to Relay: the tool tip does not subclass it for areas,
    // since taking away one area's subclass would silence the others.
    void AddArea(HWND control, UINT_PTR id, const RECT& area, const std::string& text);
    void MoveArea(HWND control, UINT_PTR id, const RECT& area);
    void UpdateArea(HWND control, UINT_PTR id, const std::string& text);
    void RemoveArea(HWND control, UINT_PTR id);
    // A mouse message of a control with areas; any other message is ignored.
    void Relay(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void Send(UINT msg, HWND control, const TOOLINFOA& tool);

    HWND tooltip_ = nullptr; // owned by its owner window, destroyed with it
};

} // namespace win
