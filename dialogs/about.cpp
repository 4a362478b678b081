// The about window and its own modal loop.
#include "dialogs/about.h"

#include "base/product_info.h"
#include "resources/glyphs.h"
#include "win/dpi.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

namespace folimar {

namespace {

constexpr COLORREF kBackground = RGB(240, 240, 240);
constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr int kMargin = 16;
constexpr int kLinkLeft = 70;

// Width of a text in the given font, at 96 DPI like every layout length, so a link label is only
// as wide as its text.
int TextWidth(HWND hwnd, HFONT font, const char* text)
{
    win::WindowDc dc(hwnd);
    win::SelectedObject selected(dc.get(), font);
    SIZE size{};
    ::GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::char_traits<char>::length(text)), &size);
    return win::Unscale(size.cx) + 2;
}

// Top-left corner that centres a window of the given size on the owner, kept on its monitor's work area.
POINT CentreOn(HWND owner, int width, int height)
{
    RECT ownerRect{};
    ::GetWindowRect(owner, &ownerRect);
    POINT pt{ownerRect.left + ((ownerRect.right - ownerRect.left) - width) / 2,
             ownerRect.top + ((ownerRect.bottom - ownerRect.top) - height) / 2};
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (::GetMonitorInfoA(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &mi)) {
        pt.x = std::max(mi.rcWork.left, std::min(pt.x, mi.rcWork.right - width));
        pt.y = std::max(mi.rcWork.top, std::min(pt.y, mi.rcWork.bottom - height));
    }
    return pt;
}

} // namespace

int TfrmAbout::ShowModal(HWND owner)
{
    if (!Create(owner))
        return 0;
    FModalResult = 0;
    ::EnableWindow(owner, FALSE);
    ::ShowWindow(Handle(), SW_SHOW);
    MSG msg;
    while (FModalResult == 0 && Handle()) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // leave the quit request for the main loop
            FModalResult = IDCANCEL;
            break;
        }
        if (got == -1)
            break;
        if (!::IsDialogMessageA(Handle(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    // The owner is enabled again before this window goes, so that it gets the activation back.
    ::EnableWindow(owner, TRUE);
    ::DestroyWindow(Handle());
    return FModalResult;
}

bool TfrmAbout::Create(HWND owner)
{
    static const win::Brush background(::CreateSolidBrush(kBackground));
    if (!RegisterClassOnce(kClassName, background.get()))
        return false;
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT r{0, 0, win::Scale(kClientWidth), win::Scale(kClientHeight)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    POINT pt = CentreOn(owner, width, height);
    // `this` reaches the window procedure with WM_NCCREATE, as for every window of the base class.
    if (!::CreateWindowExA(exStyle, kClassName, "about us", style, pt.x, pt.y, width, height, owner, nullptr,
                           ::GetModuleHandleA(nullptr), this))
        return false;
    FormCreate();
    return true;
}

void TfrmAbout::FormCreate()
{
    FBackground.reset(::CreateSolidBrush(kBackground));
    FWhite.reset(::CreateSolidBrush(RGB(255, 255, 255)));
    FFont = win::CreateFormFont();
    FTitleFont = win::CreateFormFont(true);
    FLinkFont = win::CreateFormFont(false, true);
    CreateControls();
}

void TfrmAbout::CreateControls()
{
    HWND form = Handle();
    HFONT font = FFont.get();
    Panel1 = win::CreateChild(form, "STATIC", "", WS_VISIBLE | WS_CLIPCHILDREN, {0, 0, kClientWidth, kBannerHeight}, -1,
                              nullptr);
    win::ForwardChildNotifications(Panel1);
    FBanner = MakeBanner(kClientWidth, kBannerHeight);
    HWND image1 = win::CreateChild(Panel1, "STATIC", "", WS_VISIBLE | SS_BITMAP, {0, 0, kClientWidth, kBannerHeight},
                                   -1, nullptr);
    ::SendMessageA(image1, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FBanner.get()));

    win::CreateChild(form, "STATIC", kProductNameVersion, WS_VISIBLE | SS_NOPREFIX, {kMargin, 60, 288, 16}, -1,
                     FTitleFont.get());
    win::CreateChild(form, "STATIC", kLegalNotice, WS_VISIBLE | SS_NOPREFIX, {kMargin, 80, 288, 14}, -1, font);
    win::CreateChild(form, "STATIC", "Website:", WS_VISIBLE, {kMargin, 104, 50, 14}, -1, font);
    win::CreateChild(form, "STATIC", "Support:", WS_VISIBLE, {kMargin, 122, 50, 14}, -1, font);
    HFONT link = FLinkFont.get();
    Label6 = win::CreateChild(form, "STATIC", kMakerWebAddress, WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX,
                              {kLinkLeft, 104, TextWidth(form, link, kMakerWebAddress), 14}, idLabel6, link);
    Label7 = win::CreateChild(form, "STATIC", kSupportAddress, WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX,
                              {kLinkLeft, 122, TextWidth(form, link, kSupportAddress), 14}, idLabel7, link);
    HWND ok = win::CreateChild(form, "BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                               {kClientWidth - 75 - 13, kClientHeight - 25 - 10, 75, 25}, IDOK, font);
    ::SetFocus(ok);
}

void TfrmAbout::Label6Click()
{
    ::ShellExecuteA(Handle(), "open", kProductWebPage, nullptr, nullptr, SW_SHOW);
}

void TfrmAbout::Label7Click()
{
    std::string mail = "mailto:" + win::GetText(Label7);
    ::ShellExecuteA(Handle(), "open", mail.c_str(), nullptr, nullptr, SW_SHOW);
}

void TfrmAbout::CloseWith(int result)
{
    FModalResult = result;
}

LRESULT TfrmAbout::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            CloseWith(IDOK);
            return 0;
        case IDCANCEL:
            CloseWith(IDCANCEL);
            return 0;
        case idLabel6:
            if (HIWORD(wParam) == STN_CLICKED)
                Label6Click();
            return 0;
        case idLabel7:
            if (HIWORD(wParam) == STN_CLICKED)
                Label7Click();
            return 0;
        }
        break;
    case WM_CLOSE:
        // The modal loop destroys the window once the owner is enabled again.
        CloseWith(IDCANCEL);
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == Panel1) {
            ::SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(FWhite.get());
        }
        if (control == Label6 || control == Label7)
            ::SetTextColor(dc, kLinkColor);
        ::SetBkColor(dc, kBackground);
        return reinterpret_cast<LRESULT>(FBackground.get());
    }
    case WM_SETCURSOR: {
        HWND control = reinterpret_cast<HWND>(wParam);
        if (control == Label6 || control == Label7) {
            ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
            return TRUE;
        }
        break;
    }
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace folimar
