// Flat picture buttons: drawn by their parent, with a raised edge under the mouse and a sunken one when pressed;
// links look like links.
#include "win/picture_button.h"

#include "win/dpi.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace win {

namespace {

constexpr UINT_PTR kHoverSubclassId = 1;
// The property of a button's control that holds the button object.
constexpr char kObjectProperty[] = "win::PictureButton";
constexpr int kGlyphCaptionGap = 3; // at 96 DPI
constexpr COLORREF kLinkColor = RGB(0, 0, 255);

} // namespace

bool PictureButton::Create(HWND parent, int id, const Bounds& bounds, const char* caption, HFONT font, Layout layout,
                           COLORREF background, ButtonGlyph glyph)
{
    font_ = font;
    layout_ = layout;
    background_ = background;
    normal_ = std::move(glyph.normal);
    disabled_ = std::move(glyph.disabled);
    BITMAP size{};
    if (normal_ && ::GetObjectA(normal_.get(), sizeof(size), &size))
        glyphSize_ = {size.bmWidth, size.bmHeight};
    hwnd_ = CreateChild(parent, "BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, bounds, id, font);
    if (!hwnd_)
        return false;
    ::SetWindowSubclass(hwnd_, HoverProc, kHoverSubclassId, reinterpret_cast<DWORD_PTR>(this));
    ::SetPropA(hwnd_, kObjectProperty, this);
    return true;
}

PictureButton* PictureButton::FromHandle(HWND hwnd)
{
    // A window property rather than the subclass's data: MinGW's comctl32 has no GetWindowSubclass.
    return hwnd ? static_cast<PictureButton*>(::GetPropA(hwnd, kObjectProperty)) : nullptr;
}

LRESULT CALLBACK PictureButton::HoverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    auto* button = reinterpret_cast<PictureButton*>(self);
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!button->hot_) {
            button->hot_ = true;
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
            ::TrackMouseEvent(&tme);
            ::InvalidateRect(hwnd, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        button->hot_ = false;
        ::InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case WM_NCDESTROY:
        ::RemovePropA(hwnd, kObjectProperty);
        ::RemoveWindowSubclass(hwnd, HoverProc, kHoverSubclassId);
        button->hwnd_ = nullptr;
        break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

void PictureButton::DrawCaption(HDC dc, RECT rc, bool disabled, UINT prefix) const
{
    std::string caption = GetText(hwnd_);
    SelectedObject font(dc, font_);
    ::SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_TOP | DT_SINGLELINE | prefix;
    if (disabled) {
        // The engraved look of a disabled caption: a white copy one pixel down and right.
        RECT shadow = rc;
        ::OffsetRect(&shadow, 1, 1);
        ::SetTextColor(dc, RGB(255, 255, 255));
        ::DrawTextA(dc, caption.c_str(), -1, &shadow, format);
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    } else {
        ::SetTextColor(dc, layout_ == Layout::Link ? kLinkColor : ::GetSysColor(COLOR_BTNTEXT));
    }
    ::DrawTextA(dc, caption.c_str(), -1, &rc, format);
}

// The focus rectangle: around the caption of a link, inside the edge of a button.
void PictureButton::DrawFocus(HDC dc, const RECT& rc, int textHeight, UINT prefix) const
{
    RECT focus = rc;
    if (layout_ == Layout::Link) {
        std::string caption = GetText(hwnd_);
        SelectedObject font(dc, font_);
        RECT text{};
        ::DrawTextA(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_CALCRECT | prefix);
        const int width = std::min<int>(text.right - text.left + 2, rc.right - rc.left);
        const int height = std::min<int>(textHeight + 2, rc.bottom - rc.top);
        focus.left = rc.left + (rc.right - rc.left - width) / 2;
        focus.top = rc.top + (rc.bottom - rc.top - height) / 2;
        focus.right = focus.left + width;
        focus.bottom = focus.top + height;
    } else {
        ::InflateRect(&focus, -Scale(3), -Scale(3));
    }
    // DrawFocusRect draws with XOR: the colours must be the button's own for a dotted black line.
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, background_);
    ::DrawFocusRect(dc, &focus);
}

void PictureButton::Draw(const DRAWITEMSTRUCT& item) const
{
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    const bool link = layout_ == Layout::Link;
    // A link is pressed in place; a button shows it by moving its content.
    const bool pressed = (item.itemState & ODS_SELECTED) != 0 && !link;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    // Focus rectangles and access-key underlines follow the keyboard cues of the window.
    const LRESULT cues = ::SendMessageA(hwnd_, WM_QUERYUISTATE, 0, 0);
    const bool showFocus =
        (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT) && !(cues & UISF_HIDEFOCUS);
    const UINT prefix = (item.itemState & ODS_NOACCEL) || (cues & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0;
    Brush background(::CreateSolidBrush(background_));
    ::FillRect(dc, &rc, background.get());
    if (!disabled && !link && (pressed || hot_))
        ::DrawEdge(dc, &rc, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    const int shift = pressed ? 1 : 0;
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;

    int textHeight = 0;
    if (layout_ != Layout::Glyph) {
        SelectedObject font(item.hDC, font_);
        TEXTMETRICA tm{};
        ::GetTextMetricsA(dc, &tm);
        textHeight = tm.tmHeight;
    }
    const int gap = Scale(kGlyphCaptionGap);
    int contentHeight = 0;
    switch (layout_) {
    case Layout::Glyph:
        contentHeight = glyphSize_.cy;
        break;
    case Layout::GlyphAboveCaption:
        contentHeight = glyphSize_.cy + gap + textHeight;
        break;
    case Layout::Link:
        contentHeight = textHeight;
        break;
    }
    const int top = rc.top + (height - contentHeight) / 2 + shift;

    const Bitmap& glyph = disabled ? disabled_ : normal_;
    if (layout_ != Layout::Link && glyph) {
        MemoryDc memory;
        SelectedObject bitmap(memory.get(), glyph.get());
        ::BitBlt(dc, rc.left + (width - glyphSize_.cx) / 2 + shift, top, glyphSize_.cx, glyphSize_.cy, memory.get(), 0,
                 0, SRCCOPY);
    }
    if (layout_ != Layout::Glyph) {
        const int textTop = layout_ == Layout::Link ? top : top + glyphSize_.cy + gap;
        DrawCaption(dc, {rc.left + shift, textTop, rc.right + shift, textTop + textHeight}, disabled, prefix);
    }
    if (showFocus && !disabled)
        DrawFocus(dc, rc, textHeight, prefix);
}

} // namespace win
