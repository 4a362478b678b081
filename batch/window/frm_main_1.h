// The batch window: a list of documents printed to the virtual printer and converted.
#pragma once

#include "batch/pipeline/batch_run.h"
#include "batch/window/document_list.h"
#include "settings/settings.h"
#include "win/controls.h"
#include "win/form.h"
#include "win/handle.h"
#include "win/picture_button.h"

#include <string>
#include <vector>

namespace folimar {

class TfrmMain_1 : public win::Form {
public:
    // Control identifiers, for the window's own dispatch and for tools that drive the window.
    enum ControlId {
        idPanel1 = 100,
        idSbAddFiles = 101,
        idSbStartProcess = 102,
        idSbSetup = 103,
        idSbStop = 104,
        idLblHelp = 105,
        idLblAbout = 106,
        idListView1 = 107,
        idPanel2 = 108,
        idLblUrl = 109,
        idRemoveSelected1 = 201, // the list's pop-up menu
        idRemoveAll1 = 202,
        idOpenPDFDoc1 = 203,
        idTimer1 = 300,
        idRowButtonFirst = TDocumentList::kRowButtonFirstId, // a row delete button: this + the number of its entry
    };

    TfrmMain_1() = default;
    ~TfrmMain_1() override;

    // Makes the window; false when it cannot be made. Without the virtual printer the window
    // says so and ends the program instead of showing itself.
    bool Create();

    void OnIdle() override { ApplicationEvents1Idle(); }
    bool PreviewMessage(const MSG& msg) override;

private:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void CreateControls() override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT OnNotify(const NMHDR& header) override;
    bool IsPanelColored(HWND control) const override { return control == Panel1; }
    void OnDrawItem(const DRAWITEMSTRUCT& item) override;
    WPARAM DefaultButtonId() const override;

    void FormCreate() override;
    void FormDestroy() override;
    void ApplicationEvents1Idle();
    void sbSetupClick();
    void lblAboutClick();
    void lblHelpClick();
    void lblUrlClick();
    void FormKeyUp(WPARAM key);

    // Batches (frm_main_1_batch.cpp).
    void sbStartProcessClick();
    void sbStopClick();
    void WMBatchStatus(WPARAM status, LPARAM index);
    void Timer1Timer();
    bool BatchRunning() const { return FBatch.Running(); }

    // The list (frm_main_1_list.cpp).
    void AddFilesToList(const std::vector<std::string>& paths);
    void sbAddFilesClick();
    void ShowPopupMenu(POINT screen);
    void PopupMenu1Popup(HMENU menu);
    void RemoveSelected1Click();
    void RemoveAll1Click();
    void OpenPDFDoc1Click();

    // Fields of the window.
    std::string FDataFolder;
    std::string FOutputFolder;
    bool FOverwrite = true;
    // The batch (FPrintThread): running, or idle.
    TBatch FBatch;
    int FCurrentItem = -1; // the row the print-files thread works on, animated by Timer1
    bool FTimer1On = false;
    HWND FFocus = nullptr; // the control that had the focus when the window was last active

    win::Hints FHints;

    // Controls, named as on the form.
    HWND Panel1 = nullptr;
    HWND Panel2 = nullptr;
    win::PictureButton sbAddFiles;
    win::PictureButton sbStartProcess;
    win::PictureButton sbSetup;
    win::PictureButton sbStop;
    win::PictureButton lblHelp;
    win::PictureButton lblAbout;
    win::PictureButton lblUrl;
    TDocumentList ListView1; // the documents, their row buttons and drops
};

} // namespace folimar
