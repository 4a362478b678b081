// Helpers for windows built from standard controls: child creation, fonts, hints and containers.
#pragma once

#include "win/handle.h"

#include <windows.h>

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

std::string GetText(HWND control);

// A memory device context compatible with the screen, deleted with its owner.
class MemoryDc {
public:
    MemoryDc() : dc_(::CreateCompatibleDC(nullptr)) {}
    ~MemoryDc()
    {
        if (dc_)
            ::DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A window's device context (the screen's for a null window), released with its owner.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc()
    {
        if (dc_)
            ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects a GDI object into a device context for one scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~SelectedObject() { ::SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The hints of one window: tool tips over its controls.
class Hints {
public:
    bool Create(HWND owner);
    void Add(HWND control, const std::string& text);
    void Update(HWND control, const std::string& text);

private:
    HWND tooltip_ = nullptr; // owned by its owner window, destroyed with it
};

} // namespace win
