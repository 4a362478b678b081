// The about window and its own modal loop.
#include "dialogs/about.h"

#include "base/product_info.h"
#include "resources/glyphs.h"
#include "win/dpi.h"

#include <shellapi.h>

#include <string>

namespace folimar {

namespace {

constexpr COLORREF kBackground = RGB(240, 240, 240);
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
        if (!win::HandleDialogKeys(Handle(), msg)) {
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
    POINT pt = win::CentreOn(owner, width, height);
    // `this` reaches the window procedure with WM_NCCREATE, as for every window of the base class.
    if (!::CreateWindowExA(exStyle, kClassName, "about us", style, pt.x, pt.y, width, height, owner, nullptr,
                           ::GetModuleHandleA(nullptr), this))
        return false;
    // A window with a dialog frame takes its caption icon from WM_SETICON, not from its class.
    win::SetProductIcon(Handle());
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
    // The links are tab stops like buttons: Enter or Space opens them.
    Label6.Create(form, idLabel6, {kLinkLeft, 103, TextWidth(form, link, kMakerWebAddress), 16}, kMakerWebAddress, link,
                  win::PictureButton::Layout::Link, kBackground);
    Label7.Create(form, idLabel7, {kLinkLeft, 121, TextWidth(form, link, kSupportAddress), 16}, kSupportAddress, link,
                  win::PictureButton::Layout::Link, kBackground);
    HWND ok = win::CreateChild(form, "BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                               {kClientWidth - 75 - 13, kClientHeight - 25 - 10, 75, 25}, IDOK, font);
    win::HideKeyboardCues(form);
    ::SetFocus(ok);
}

void TfrmAbout::Label6Click()
{
    ::ShellExecuteA(Handle(), "open", kProductWebPage, nullptr, nullptr, SW_SHOW);
}

void TfrmAbout::Label7Click()
{
    std::string mail = "mailto:" + win::GetText(Label7.Handle());
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
            if (HIWORD(wParam) == BN_CLICKED)
                Label6Click();
            return 0;
        case idLabel7:
            if (HIWORD(wParam) == BN_CLICKED)
                Label7Click();
            return 0;
        }
        break;
    case WM_CLOSE:
        // The modal loop destroys the window once the owner is enabled again.
        CloseWith(IDCANCEL);
        return 0;
    case DM_GETDEFID: {
        // Enter opens a focused link, and presses OK from anywhere else.
        HWND focus = ::GetFocus();
        const bool onLink = focus && (focus == Label6.Handle() || focus == Label7.Handle());
        return MAKELRESULT(onLink ? ::GetDlgCtrlID(focus) : IDOK, DC_HASDEFID);
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        for (const win::PictureButton* link : {&Label6, &Label7}) {
            if (item.hwndItem == link->Handle())
                link->Draw(item);
        }
        return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == Panel1) {
            ::SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(FWhite.get());
        }
        ::SetBkColor(dc, kBackground);
        return reinterpret_cast<LRESULT>(FBackground.get());
    }
    case WM_SETCURSOR: {
        HWND control = reinterpret_cast<HWND>(wParam);
        if (control == Label6.Handle() || control == Label7.Handle()) {
            ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
            return TRUE;
        }
        break;
    }
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace folimar
