// The batch window: a list of documents printed to the virtual printer and converted.
#pragma once

#include "batch/pipeline/batch_run.h"
#include "batch/rules/batch_window_rules.h"
#include "batch/window/document_list.h"
#include "batch/window/help_opening.h"
#include "settings/settings.h"
#include "win/controls.h"
#include "win/form.h"
#include "win/handle.h"
#include "win/picture_button.h"

#include <string>
#include <utility>
#include <vector>

namespace folimar {

// Posted by the batch window to itself: examine the next slice of the files added to the list.
inline constexpr UINT WM_EXAMINE_FILES = WM_USER + 31;

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
        idLblStatus = 110,       // the status line: the batch's progress, then its outcome
        idLblOpenFolder = 111,   // "Open output folder", after a batch
        idRemoveSelected1 = 201, // the list's pop-up menu
        idRemoveAll1 = 202,
        idOpenPDFDoc1 = 203,
        idOpenFolder1 = 204,
        idOpenFocusedPdf = 205, // Enter on the list
        idTimer1 = 300,
        idHelpTimer = 301,                                   // watches the help browser's start
        idRowButtonFirst = TDocumentList::kRowButtonFirstId, // a row delete button: this + the number of its entry
    };

    // The list's pop-up menu, in order.
    static constexpr std::pair<int, TPopupItem> kPopupMenu1[] = {{idRemoveSelected1, TPopupItem::RemoveSelected},
                                                                 {idRemoveAll1, TPopupItem::RemoveAll},
                                                                 {idOpenPDFDoc1, TPopupItem::OpenPdf},
                                                                 {idOpenFolder1, TPopupItem::OpenFolder}};

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
    bool OnSetCursor(HWND control) override;
    WPARAM DefaultButtonId() const override;

    void FormCreate() override;
    void FormDestroy() override;
    void ApplicationEvents1Idle();
    void sbSetupClick();
    void lblAboutClick();
    void lblHelpClick();
    void lblUrlClick();
    void FormKeyUp(WPARAM key);
    void lblOpenFolderClick();
    void SetStatusLine(const std::string& text, bool openFolderShown);

    // Batches (frm_main_1_batch.cpp).
    void sbStartProcessClick();
    void sbStopClick();
    void WMBatchStatus(WPARAM status, LPARAM index);
    void RowEnded(WPARAM status, int index);
    void Timer1Timer();
    bool BatchRunning() const { return FBatch.Running(); }

    // The list (frm_main_1_list.cpp).
    // Dropped or chosen files are examined a slice at a time, so that the window keeps answering.
    void AddFilesToList(const std::vector<std::string>& paths);
    void ExamineNextFiles();
    bool Examining() const { return FExamineNext < FExamineQueue.size(); }
    void ReplanWaitingRows();
    void sbAddFilesClick();
    void ShowPopupMenu(POINT screen);
    void PopupMenu1Popup(HMENU menu);
    // An item of the pop-up menu highlighted (WM_MENUSELECT): the status line shows its hint.
    void PopupMenu1Select(UINT id, UINT flags, HMENU menu);
    void RemoveSelected1Click();
    void RemoveAll1Click();
    void OpenPDFDoc1Click();
    void OpenFolder1Click();
    void OpenPdfOfRow(int index);

    // Fields of the window.
    std::string FDataFolder;
    std::string FOutputFolder;
    bool FOverwrite = true;
    unsigned FPrintLimitSeconds = kDefaultPrintLimitSeconds; // hand-edited only, read at creation
    // The batch (FPrintThread): running, or idle.
    TBatch FBatch;
    int FCurrentItem = -1; // the row the print-files thread works on, animated by Timer1
    bool FTimer1On = false;
    THelpOpener FHelp{idHelpTimer};
    // The running batch's count for the status line.
    int FBatchTotal = 0;
    int FBatchNumber = 0;
    int FBatchMade = 0;
    int FBatchFailed = 0;
    bool FBatchStopped = false;
    // Files waiting to be examined, in the order they came, and the refusals met so far.
    std::vector<std::string> FExamineQueue;
    size_t FExamineNext = 0;
    std::vector<std::string> FRefusedFiles;
    HWND FFocus = nullptr; // the control that had the focus when the window was last active

    win::Hints FHints;
    // What the status line says when no menu hint covers it.
    std::string FStatusText;
    bool FOpenFolderShown = false;

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
    HWND lblStatus = nullptr;
    win::PictureButton lblOpenFolder;
    TDocumentList ListView1; // the documents, their row buttons and drops
};

} // namespace folimar
