// The settings dialog: the output folder for the batch's PDF files and the rule for existing ones.
#pragma once

#include "settings/settings.h"
#include "dialogs/setup_rules.h"
#include "win/controls.h"
#include "win/modal_window.h"
#include "win/picture_button.h"

#include <string>

namespace folimar {

// Runs the settings dialog modally over owner. On OK stores the dialog's folder and mode into
// settings and returns true; otherwise returns false and leaves settings unchanged. Saving the
// values is the caller's part.
bool ShowSettingsDialog(HWND owner, TSettings& settings);
// The same with the printed documents' settings, stored into autoSave on OK as well.
bool ShowSettingsDialog(HWND owner, TSettings& settings, TAutoSaveSettings& autoSave);

// The shell's folder browser owned by owner, with initialFolder preselected unless it is empty.
// True with folder ending in a backslash when a file-system folder was chosen; false with folder
// empty otherwise.
bool BrowseForFolder(HWND owner, const std::string& title, const std::string& initialFolder, std::string& folder);

// Tab enters a radio group at its checked item: only that one is a tab stop.
void SetTabStop(HWND control, bool tabStop);

class TfrmSetting : public win::ModalWindow {
public:
    // Control identifiers, for the window's own dispatch and for tools that drive the window.
    enum ControlId {
        idGroupBox1 = 100,
        idEdit1 = 101,
        idSpeedButton1 = 102,
        idRdgrpOutputMode = 103,
        idNewName = 104,
        idOverwrite = 105,
        idGrpPrinted = 110,
        idChkAutoSave = 111,
        idLblPrintedFolder = 112,
        idEdtPrintedFolder = 113,
        idBtnPrintedFolder = 114,
        idLblPattern = 115,
        idEdtPattern = 116,
        idLblExample = 117,
        idLblTaken = 118,
        idRbAutoNewName = 119,
        idRbAutoOverwrite = 120,
        idChkOpenPdf = 121,
        idBitBtn1 = IDOK,
        idBitBtn2 = IDCANCEL,
    };

    TfrmSetting(const TSettings& settings, const TAutoSaveSettings& autoSave);

    // The values as the dialog shows them (also after it has closed).
    TSettings Settings() const;
    TAutoSaveSettings AutoSave() const { return FAutoSave; }

private:
    bool CreateModal(HWND owner) override;
    bool CloseQuery(int& result) override { return FormCloseQuery(result); }
    void CreateControls() override;
    void OnCommand(int id, int code, HWND control) override;
    // The fields look like fields, not like the form (the read-only ones too).
    bool IsPanelColored(HWND control) const override
    {
        return control == Edit1 || control == edtPrintedFolder || control == edtPattern;
    }
    WPARAM DefaultButtonId() const override;

    void FormCreate() override;
    void SpeedButton1Click();
    void rdgrpOutputModeClick();
    bool FormCloseQuery(int& result);

    void ShowFolder(const std::string& folder);
    void UpdateOk();

    // The printed documents' group (setup_printed.cpp).
    void CreatePrintedControls(HWND form, HFONT font);
    void ShowPrinted();
    void PrintedCommand(int id, int code);
    void BrowsePrintedFolder();
    void ReadPrinted();
    void ShowExample();
    bool PatternAccepted();

    // The values when the dialog opened, and as it shows them now.
    std::string FOrigFolder;
    int FOrigMode = 0;
    bool FChanged = false;
    std::string FFolder;
    int FMode = 0;
    TAutoSaveSettings FOrigAutoSave;
    TAutoSaveSettings FAutoSave;
    bool FPrintedShown = false;

    win::Hints FHints;

    // Controls, named as on the form.
    HWND GroupBox1 = nullptr;
    HWND Edit1 = nullptr;
    win::PictureButton SpeedButton1;
    HWND rdgrpOutputMode = nullptr;
    HWND rbNewName = nullptr;
    HWND rbOverwrite = nullptr;
    HWND grpPrinted = nullptr;
    HWND chkAutoSave = nullptr;
    HWND edtPrintedFolder = nullptr;
    win::PictureButton btnPrintedFolder;
    HWND edtPattern = nullptr;
    HWND lblExample = nullptr;
    HWND rbAutoNewName = nullptr;
    HWND rbAutoOverwrite = nullptr;
    HWND chkOpenPdf = nullptr;
    HWND BitBtn1 = nullptr;
    HWND BitBtn2 = nullptr;
};

} // namespace folimar
