// The about window: product name, version, legal notice and the web and support links.
#pragma once

#include "win/picture_button.h"
#include "win/controls.h"
#include "win/handle.h"
#include "win/window.h"

namespace folimar {

class TfrmAbout : public win::Window {
public:
    static constexpr char kClassName[] = "TfrmAbout";
    static constexpr int kClientWidth = 320;
    static constexpr int kClientHeight = 181;
    static constexpr int kBannerHeight = 49;

    enum ControlId { idLabel6 = 106, idLabel7 = 107 };

    // Shows the window over owner, which is disabled meanwhile; returns IDOK when closed with
    // the OK button, IDCANCEL otherwise (close box, Escape), or 0 if the window cannot be made.
    int ShowModal(HWND owner);

private:
    bool Create(HWND owner);
    void FormCreate();
    void CreateControls();
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Label6Click();
    void Label7Click();
    void CloseWith(int result);

    win::Font FFont;
    win::Font FTitleFont;
    win::Font FLinkFont;
    win::Bitmap FBanner;
    win::Brush FBackground;
    win::Brush FWhite;
    HWND Panel1 = nullptr;
    win::PictureButton Label6;
    win::PictureButton Label7;
    int FModalResult = 0;
};

} // namespace folimar
