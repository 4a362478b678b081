// The about window: product name, version, legal notice and the web and support links.
#pragma once

#include "win/modal_window.h"
#include "win/picture_button.h"

namespace folimar {

class TfrmAbout : public win::ModalWindow {
public:
    static constexpr int kClientWidth = 320;
    static constexpr int kClientHeight = 181;
    static constexpr int kBannerHeight = 49;

    enum ControlId { idLabel6 = 106, idLabel7 = 107 };

    // ShowModal (the base's) returns IDOK when closed with the OK button, IDCANCEL otherwise (close
    // box, Escape), or 0 if the window cannot be made.

private:
    bool CreateModal(HWND owner) override;
    void CreateControls() override;
    void OnCommand(int id, int code, HWND control) override;
    bool IsPanelColored(HWND control) const override { return control == Panel1; }
    WPARAM DefaultButtonId() const override;
    void Label6Click();
    void Label7Click();

    win::Font FTitleFont;
    win::Bitmap FBanner;
    HWND Panel1 = nullptr;
    win::PictureButton Label6;
    win::PictureButton Label7;
};

} // namespace folimar
