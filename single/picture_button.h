// A flat owner-drawn button with a glyph (normal and disabled form) or link-style text; a tab
// stop with a focus rectangle, its caption's "&" marking the access key.
#pragma once

#include "resources/glyphs.h"
#include "win/controls.h"
#include "win/handle.h"

#include <windows.h>

#include <optional>

namespace folimar {

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
    bool Create(HWND parent, int id, const win::Bounds& bounds, const char* caption, HFONT font, Layout layout,
                COLORREF background, std::optional<Glyph> glyph);
    HWND Handle() const { return hwnd_; }

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
    win::Bitmap normal_;
    win::Bitmap disabled_;
    SIZE glyphSize_{};
    bool hot_ = false; // the mouse is over the button: a flat button shows its edge, a link does not
};

} // namespace folimar
