// The single-job window: one captured print job, converted to one PDF.
#pragma once

#include "render/page_progress.h"
#include "single/convert_rules.h"
#include "win/picture_button.h"
#include "win/controls.h"
#include "win/handle.h"
#include "win/window.h"

#include <memory>
#include <string>

namespace folimar {

struct TConvertParams;

class TfrmMain : public win::Window {
public:
    static constexpr char kClassName[] = "TfrmMain";
    static constexpr int kClientWidth = 403;
    static constexpr int kClientHeight = 224;

    // Control identifiers, for the window's own dispatch and for tools that drive the window.
    enum ControlId {
        idPanel1 = 100,
        idImage1 = 101,
        idSpeedButton2 = 102,
        idGroupBox1 = 103,
        idEdit1 = 104,
        idSpeedButton1 = 105,
        idProgressBar1 = 106,
        idSbConvert = 107,
        idSbCancel = 108,
        idLabel1 = 109,
    };

    bool Create();

    // The idle rule: recomputes the enabled states each time the message queue has emptied.
    void OnIdle() override { ApplicationEvents1Idle(); }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void CreateControls();
    void OnCommand(int id, int code, HWND control);
    LRESULT OnColor(HDC dc, HWND control);
    bool OnSetCursor(HWND control);
    void OnDrawItem(const DRAWITEMSTRUCT& item);

    void FormCreate();
    void ApplicationEvents1Idle();
    void SpeedButton1Click();
    void btnConvertClick();
    void sbCancelClick();
    void SpeedButton2Click();
    void Label4Click();
    void WMPageProgress(WPARAM wParam);
    void FormDestroy();

    // Parts of the conversion, in the order the Convert handler runs them.
    void BeginBusy();
    void ConvertJob(const std::string& jobPath, const std::string& pdfPath);
    void ReportOutcome(DWORD exitCode, const std::string& pdfPath);
    void CleanUp();
    void CancelConversion();
    void ShowBar(const TBarState& bar);

    static LRESULT CALLBACK Edit1Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    void Close();
    void SetCloseBoxEnabled(bool enabled);
    void SetOutputPath(const std::string& path);
    void SetEnabled(HWND control, bool enabled);
    int Box(const std::string& text, const char* caption, UINT flags);
    WPARAM DefaultButtonId() const;

    // Fields of the job (from the command line) and the conversion state.
    std::string FJobFile;       // with its quotes
    std::string FCompanionFile; // without quotes
    std::string FDocTitle;      // without quotes
    std::string FInitialFolder; // where the save dialog starts
    bool FBusy = false;
    bool FCloseBoxEnabled = true;
    TBarState FBar;
    std::unique_ptr<TPageProgress> FProgress; // page progress of the conversion
    TConvertParams* FRunning = nullptr;       // the conversion being awaited

    // Window resources.
    win::Font FFont;
    win::Font FLinkFont;
    win::Brush FBackground;
    win::Brush FWhite;
    win::Brush FEditBackground;
    win::Bitmap FLogo;
    win::Hints FHints;

    // Controls, named as on the form.
    HWND Panel1 = nullptr;
    HWND Image1 = nullptr;
    HWND GroupBox1 = nullptr;
    HWND Edit1 = nullptr;
    HWND ProgressBar1 = nullptr;
    HWND Label1 = nullptr;
    win::PictureButton SpeedButton2;
    win::PictureButton SpeedButton1;
    win::PictureButton sbConvert;
    win::PictureButton sbCancel;
};

} // namespace folimar
