// The form base: creation, the shared message dispatch and the small helpers of every window.
#include "win/form.h"

#include "win/controls.h"
#include "win/form_colors.h"
#include "win/picture_button.h"

namespace win {

bool Form::CreateMainForm(const FormClass& form)
{
    if (!RegisterClassOnce(form.className, FormBrush(), form.iconId))
        return false;
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (!CreateCentred(form.className, form.caption, style, WS_EX_CONTROLPARENT, form.clientWidth, form.clientHeight))
        return false;
    mainForm_ = true;
    Populate();
    return true;
}

void Form::Populate()
{
    FFont = CreateFormFont();
    FLinkFont = CreateFormFont(false, true);
    CreateControls();
    FormCreate();
}

void Form::OnDrawItem(const DRAWITEMSTRUCT& item)
{
    if (const PictureButton* button = PictureButton::FromHandle(item.hwndItem))
        button->Draw(item);
}

bool Form::OnSetCursor(HWND control)
{
    const PictureButton* button = PictureButton::FromHandle(control);
    if (!button || !button->IsLink())
        return false;
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
    return true;
}

WPARAM Form::FocusedButtonOr(std::initializer_list<HWND> buttons, WPARAM fallback)
{
    HWND focus = ::GetFocus();
    for (HWND button : buttons) {
        if (focus && focus == button)
            return static_cast<WPARAM>(::GetDlgCtrlID(focus));
    }
    return fallback;
}

void Form::SetEnabled(HWND control, bool enabled)
{
    if (control && (::IsWindowEnabled(control) != FALSE) != enabled)
        ::EnableWindow(control, enabled ? TRUE : FALSE);
}

void Form::SetVisible(HWND control, bool visible)
{
    if (control && (::IsWindowVisible(control) != FALSE) != visible)
        ::ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

int Form::Box(const std::string& text, const char* caption, UINT flags)
{
    // The window under the box is painted first: a dialog that just closed, a bar that just moved,
    // must not show through the box's first frame.
    ::UpdateWindow(Handle());
    return ::MessageBoxA(Handle(), text.c_str(), caption, flags);
}

LRESULT Form::OnColor(HDC dc, HWND control)
{
    const bool white = IsPanelColored(control);
    ::SetBkColor(dc, white ? kPanelColor : kFormColor);
    return reinterpret_cast<LRESULT>(white ? PanelBrush() : FormBrush());
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        return OnColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam)))
            return TRUE;
        break;
    case DM_GETDEFID:
        return MAKELRESULT(DefaultButtonId(), DC_HASDEFID);
    case WM_DESTROY:
        FormDestroy();
        if (mainForm_)
            ::PostQuitMessage(0);
        return 0;
    }
    return OnMessage(msg, wParam, lParam);
}

} // namespace win
