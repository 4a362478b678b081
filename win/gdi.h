// Owners for GDI objects and device contexts, and the scopes that select into or print on a DC.
#pragma once

#include "win/handle.h"

#include <windows.h>

namespace win {

template <class T> struct GdiObjectTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};

using Font = Scoped<GdiObjectTraits<HFONT>>;
using Brush = Scoped<GdiObjectTraits<HBRUSH>>;
using Bitmap = Scoped<GdiObjectTraits<HBITMAP>>;
using Pen = Scoped<GdiObjectTraits<HPEN>>;

// A device context the program created (CreateDCA, CreateCompatibleDC); not one from GetDC.
struct DcTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};

using Dc = Scoped<DcTraits>;

// A memory device context compatible with the screen.
class MemoryDc : public Dc {
public:
    MemoryDc() : Dc(::CreateCompatibleDC(nullptr)) {}
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

// Selects a GDI object into a device context for one scope. Declare it after the owner of the
// object: the object is put back out of the DC before it is deleted.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        // A failed selection (no DC, no object) has nothing to put back.
        if (old_ && old_ != HGDI_ERROR)
            ::SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    bool selected() const { return old_ && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A document started on a printer's DC; aborted unless End completes it, so that a failed page
// never leaves a half job in the queue.
class PrintDocument {
public:
    PrintDocument(HDC dc, const char* name) : dc_(dc)
    {
        DOCINFOA info{};
        info.cbSize = sizeof info;
        info.lpszDocName = name;
        started_ = ::StartDocA(dc, &info) > 0;
    }
    ~PrintDocument()
    {
        if (started_)
            ::AbortDoc(dc_);
    }
    PrintDocument(const PrintDocument&) = delete;
    PrintDocument& operator=(const PrintDocument&) = delete;
    bool started() const { return started_; }
    // Ends the document; false when it was not started or the printer did not take it.
    bool End()
    {
        if (!started_)
            return false;
        started_ = false;
        return ::EndDoc(dc_) > 0;
    }

private:
    HDC dc_;
    bool started_ = false;
};

} // namespace win
