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

// The shell's folder browser owned by owner, with initialFolder preselected unless it is empty.
// True with folder ending in a backslash when a file-system folder was chosen; false with folder
// empty otherwise.
bool BrowseForFolder(HWND owner, const std::string& title, const std::string& initialFolder, std::string& folder);

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
        idBitBtn1 = IDOK,
        idBitBtn2 = IDCANCEL,
    };

    explicit TfrmSetting(const TSettings& settings);

    // The values as the dialog shows them (also after it has closed).
    TSettings Settings() const;

private:
    bool CreateModal(HWND owner) override;
    bool CloseQuery(int& result) override { return FormCloseQuery(result); }
    void CreateControls() override;
    void OnCommand(int id, int code, HWND control) override;
    // The read-only folder field looks like a field, not like the form.
    bool IsPanelColored(HWND control) const override { return control == Edit1; }
    WPARAM DefaultButtonId() const override;

    void FormCreate() override;
    void SpeedButton1Click();
    void rdgrpOutputModeClick();
    bool FormCloseQuery(int& result);

    void ShowFolder(const std::string& folder);
    void UpdateOk();

    // The values when the dialog opened, and as it shows them now.
    std::string FOrigFolder;
    int FOrigMode = 0;
    bool FChanged = false;
    std::string FFolder;
    int FMode = 0;

    win::Hints FHints;

    // Controls, named as on the form.
    HWND GroupBox1 = nullptr;
    HWND Edit1 = nullptr;
    win::PictureButton SpeedButton1;
    HWND rdgrpOutputMode = nullptr;
    HWND rbNewName = nullptr;
    HWND rbOverwrite = nullptr;
    HWND BitBtn1 = nullptr;
    HWND BitBtn2 = nullptr;
};

} // namespace folimar
