// The single-job window: one captured print job, converted to one PDF.
#pragma once

#include "render/page_progress.h"
#include "settings/settings.h"
#include "single/convert_rules.h"
#include "win/controls.h"
#include "win/form.h"
#include "win/picture_button.h"

#include <memory>
#include <optional>
#include <string>

namespace folimar {

struct TConvertParams;

class TfrmMain : public win::Form {
public:
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
        idLblStatus = 110, // the page beside the bar; after a failure, why
    };

    bool Create();

    // The idle rule: recomputes the enabled states each time the message queue has emptied.
    void OnIdle() override { ApplicationEvents1Idle(); }

private:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void CreateControls() override;
    void OnCommand(int id, int code, HWND control) override;
    // The banner is white, and so is the read-only path field while it can be used.
    bool IsPanelColored(HWND control) const override;
    bool OnSetCursor(HWND control) override;
    void OnDrawItem(const DRAWITEMSTRUCT& item) override;
    WPARAM DefaultButtonId() const override;

    void FormCreate() override;
    void ApplicationEvents1Idle();
    void SpeedButton1Click();
    void btnConvertClick();
    void sbCancelClick();
    void SpeedButton2Click();
    void Label4Click();
    void WMPageProgress(WPARAM wParam);
    void FormDestroy() override;

    // Parts of the conversion, in the order the Convert handler runs them.
    void Convert(const std::string& pdfPath);
    void BeginBusy();
    // Nothing when the PDF was made; else why not, in plain words.
    std::optional<std::string> ConvertJob(const std::string& jobPath, const std::string& pdfPath);
    void Succeeded(const std::string& pdfPath);
    void Failed(const std::string& reason);
    void OpenPdf(const std::string& pdfPath);
    void CleanUp();
    void CancelConversion();
    void ShowBar(const TBarState& bar);
    void ShowPage(int64_t page);
    void ShowStatus(const std::string& text, bool besideBar);

    // Auto-save: the compact form that converts at once, and the normal form it falls back to.
    void StartAutoSave();
    void ShowCompact(bool compact);
    void MoveControl(HWND control, int left, int top, int width, int height);

    void Close();
    void SetCloseBoxEnabled(bool enabled);
    void SetOutputPath(const std::string& path);

    // Fields of the job (from the command line) and the conversion state.
    std::string FJobFile;       // with its quotes
    std::string FCompanionFile; // without quotes
    std::string FDocTitle;      // without quotes
    std::string FInitialFolder; // where the save dialog starts
    bool FBusy = false;
    TAutoSaveSettings FAutoSave;
    bool FCompact = false;   // the compact auto-save form is shown
    bool FStopping = false;  // Cancel stopped a render in a converter process: the job stays
    bool FAttempted = false; // a conversion failed: the companion file goes with the job
    bool FCloseBoxEnabled = true;
    TBarState FBar;
    int64_t FPage = 0;                        // the page the status shows
    std::unique_ptr<TPageProgress> FProgress; // page progress of the conversion
    TConvertParams* FRunning = nullptr;       // the conversion being awaited
    HANDLE FStop = nullptr;                   // its converter process's stop, when it has one

    // Window resources.
    win::Bitmap FLogo;
    win::Hints FHints;

    // Controls, named as on the form.
    HWND Panel1 = nullptr;
    HWND Image1 = nullptr;
    HWND GroupBox1 = nullptr;
    HWND Edit1 = nullptr;
    HWND ProgressBar1 = nullptr;
    HWND Label1 = nullptr;
    HWND lblStatus = nullptr;
    win::PictureButton SpeedButton2;
    win::PictureButton SpeedButton1;
    win::PictureButton sbConvert;
    win::PictureButton sbCancel;
};

} // namespace folimar
