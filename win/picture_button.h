// A flat owner-drawn button with a glyph (normal and disabled form) or link-style text; a tab
// stop with a focus rectangle, its caption's "&" marking the access key.
#pragma once

#include "win/controls.h"
#include "win/gdi.h"

#include <windows.h>

namespace win {

// A button's picture in its normal and disabled forms, both of one size.
struct ButtonGlyph {
    Bitmap normal;
    Bitmap disabled;
};

class PictureButton {
public:
    enum class Layout {
        Glyph,             // the glyph alone, centred
        GlyphAboveCaption, // the glyph, then the caption under it
        Link,              // the caption only, blue and underlined (give an underlined font)
    };

    PictureButton() = default;
    PictureButton(const PictureButton&) = delete;
    PictureButton& operator=(const PictureButton&) = delete;

    // The button keeps its address in the control: it must not move once created.
    bool Create(HWND parent, int id, const Bounds& bounds, const char* caption, HFONT font, Layout layout,
                COLORREF background, ButtonGlyph glyph = {});
    HWND Handle() const { return hwnd_; }
    bool IsLink() const { return layout_ == Layout::Link; }

    // The button object of a control made by Create, or null for any other window.
    static PictureButton* FromHandle(HWND hwnd);

    // Paints the button; called by the parent for WM_DRAWITEM.
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    static LRESULT CALLBACK HoverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    void DrawCaption(HDC dc, RECT rc, bool disabled, UINT prefix) const;
    void DrawFocus(HDC dc, const RECT& rc, int textHeight, UINT prefix) const;

    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    Layout layout_ = Layout::Glyph;
    COLORREF background_ = 0;
    Bitmap normal_;
    Bitmap disabled_;
    SIZE glyphSize_{};
    bool hot_ = false; // the mouse is over the button: a flat button shows its edge, a link does not
};

} // namespace win
