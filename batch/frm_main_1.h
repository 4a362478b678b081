// The batch window: a list of documents printed to the virtual printer and converted.
#pragma once

#include "batch/batch_list_rules.h"
#include "batch/batch_run.h"
#include "settings/settings.h"
#include "win/controls.h"
#include "win/handle.h"
#include "win/list_view.h"
#include "win/picture_button.h"
#include "win/window.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace folimar {

// Posted by the batch window to itself: wParam is a row delete button to destroy, lParam 0.
inline constexpr UINT WM_FREE_ROW_BUTTON = WM_USER + 30;

class TfrmMain_1 : public win::Window {
public:
    static constexpr char kClassName[] = "TfrmMain_1";
    static constexpr int kClientWidth = 583;
    static constexpr int kClientHeight = 407;
    static constexpr int kStatusColumn = 2; // the list column that shows an entry's status image

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
        idRowButtonFirst = 1000, // a row delete button: this + the number of its entry, counted from 0
    };

    TfrmMain_1() = default;
    ~TfrmMain_1() override;

    // Makes the window; false when it cannot be made. Without the virtual printer the window
    // says so and ends the program instead of showing itself.
    bool Create();

    void OnIdle() override { ApplicationEvents1Idle(); }
    bool PreviewMessage(const MSG& msg) override;

private:
    // One entry of the list: the list view shows it, this record holds it, the item's lParam
    // names it.
    struct TListEntry {
        LPARAM key = 0;
        TBatchEntry entry;
        std::unique_ptr<win::PictureButton> rowButton; // made the first time the row is drawn
    };

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void CreateControls();
    void OnCommand(int id, int code, HWND control);
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnColor(HDC dc, HWND control);
    bool OnSetCursor(HWND control);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    WPARAM DefaultButtonId() const;

    void FormCreate();
    void FormDestroy();
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
    void InitListViewItem();
    void SetStatusImage(int index, int image);
    std::vector<TBatchEntry> BatchEntries() const;
    bool BatchRunning() const { return FBatch.Running(); }

    // The list (frm_main_1_list.cpp).
    void CreateListView();
    bool AddFileToList(const std::string& path);
    bool IsFileInList(const std::string& path) const;
    void AddFilesToList(const std::vector<std::string>& paths);
    void sbAddFilesClick();
    void ListViewDropFiles(HDROP drop);
    static LRESULT CALLBACK ListViewWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self);
    LRESULT ListViewMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void ShowPopupMenu(POINT screen);
    void PopupMenu1Popup(HMENU menu);
    void RemoveSelected1Click();
    void RemoveAll1Click();
    void OpenPDFDoc1Click();
    LRESULT ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW& draw);
    void PlaceRowButtons();
    void ListView1Deletion(LPARAM key);
    void DeleteButtonClick(HWND button);
    void WMFreeRowButton(WPARAM button);
    TListEntry* EntryOf(LPARAM key);
    const TListEntry* EntryAt(int index) const;

    void SetEnabled(HWND control, bool enabled);
    void SetVisible(HWND control, bool visible);
    int Box(const std::string& text, const char* caption, UINT flags);

    // Fields of the window.
    std::string FDataFolder;
    std::string FOutputFolder;
    bool FOverwrite = true;
    int FConvertibleCount = 0;
    // The batch (FPrintThread): running, or idle.
    TBatch FBatch;
    int FCurrentItem = -1; // the row the print-files thread works on, animated by Timer1
    bool FTimer1On = false;
    std::vector<TListEntry> FEntries;
    LPARAM FNextKey = 0;
    HWND FFocus = nullptr; // the control that had the focus when the window was last active
    // Row delete buttons detached from their entries, destroyed on WM_FREE_ROW_BUTTON (or with
    // the window when that message never comes).
    std::vector<std::unique_ptr<win::PictureButton>> FFreedButtons;

    // Window resources.
    win::Font FFont;
    win::Font FLinkFont;
    win::ImageList ImageList1;
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
    win::ListView ListView1;
};

} // namespace folimar
