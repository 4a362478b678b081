// The about window.
#include "dialogs/about.h"

#include "base/product_info.h"
#include "base/resource.h"
#include "resources/glyphs.h"
#include "win/dpi.h"
#include "win/controls.h"
#include "win/form_colors.h"

#include <shellapi.h>

#include <string>

namespace folimar {

namespace {

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

bool TfrmAbout::CreateModal(HWND owner)
{
    return CreateDialogForm(owner, {"TfrmAbout", "about us", kClientWidth, kClientHeight, IDI_FOLIMAR});
}

void TfrmAbout::CreateControls()
{
    FTitleFont = win::CreateFormFont(true);
    HWND form = Handle();
    HFONT font = FFont.get();
    Panel1 = win::CreatePanel(form, {0, 0, kClientWidth, kBannerHeight}, -1, nullptr, 0);
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
                  win::PictureButton::Layout::Link, win::kFormColor);
    Label7.Create(form, idLabel7, {kLinkLeft, 121, TextWidth(form, link, kSupportAddress), 16}, kSupportAddress, link,
                  win::PictureButton::Layout::Link, win::kFormColor);
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

void TfrmAbout::OnCommand(int id, int code, HWND)
{
    if (id == IDOK || id == IDCANCEL)
        SetModalResult(id);
    else if (id == idLabel6 && code == BN_CLICKED)
        Label6Click();
    else if (id == idLabel7 && code == BN_CLICKED)
        Label7Click();
}

WPARAM TfrmAbout::DefaultButtonId() const
{
    // Enter opens a focused link, and presses OK from anywhere else.
    return FocusedButtonOr({Label6.Handle(), Label7.Handle()}, IDOK);
}

} // namespace folimar
