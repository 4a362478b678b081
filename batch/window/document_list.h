// The batch window's list of documents as a control: the list view with the entries behind its
// rows, the rows' delete buttons and their deferred frees, dropped files and the status images.
#pragma once

#include "batch/rules/batch_list_rules.h"
#include "win/controls.h"
#include "win/handle.h"
#include "win/list_view.h"
#include "win/picture_button.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folimar {

// Posted by the list to its window: wParam is a row delete button to destroy, lParam 0.
inline constexpr UINT WM_FREE_ROW_BUTTON = WM_USER + 30;

// The list view is a child of its window, which hands the list its WM_NOTIFY messages and
// WM_FREE_ROW_BUTTON. Entries are found by the key their row carries as lParam, so they stay
// found when rows above them go.
class TDocumentList : public win::ListView {
public:
    static constexpr int kStatusColumn = 2;        // the column that shows an entry's status image
    static constexpr int kPdfColumn = 2;           // the PDF's path, planned or written
    static constexpr int kStatusTextColumn = 3;    // what became of the row, in words
    static constexpr int kColumnCount = 4;         // file name, size, PDF, status
    static constexpr int kRowButtonFirstId = 1000; // a row delete button: this + the key of its entry

    // Examines a document: its entry, or nothing when it is refused.
    using ExamineFn = std::function<std::optional<TBatchEntry>(const std::string& path)>;
    using FilesDroppedFn = std::function<void(const std::vector<std::string>& paths)>;
    // While it says true (a batch runs), no entry is removed and drops are ignored.
    using LockedFn = std::function<bool()>;

    TDocumentList() = default;
    TDocumentList(const TDocumentList&) = delete;
    TDocumentList& operator=(const TDocumentList&) = delete;
    ~TDocumentList();

    // Makes the list view on window with its columns, images, drop target and subclass; hints
    // (the window's) gets the row buttons' hints and the rows' tooltips.
    bool Create(HWND window, const win::Bounds& bounds, int id, HFONT font, win::Hints& hints, LockedFn locked,
                FilesDroppedFn filesDropped);

    // Appends the entry that examine makes for path; false when the list holds the document
    // already (refusal, when given, says so) or examine refuses it.
    bool AddFileToList(const std::string& path, const ExamineFn& examine, TRefusal* refusal = nullptr);
    // Some row plans (or wrote) a PDF at pdfPath, compared without regard to ASCII case.
    bool PlansPdf(const std::string& pdfPath) const;
    // Plans the PDF of every row not made yet again, from the top (after a change of the output
    // folder or mode); plan gets the entry and what the other rows plan by then.
    using PlanFn = std::function<std::string(const TBatchEntry& entry, const PathTakenFn& plannedByOtherRow)>;
    void ReplanWaiting(const PlanFn& plan);
    // One entry per document: the same full path, whatever its letter case.
    bool IsFileInList(const std::string& path) const;

    // The entry of the row at index, or null.
    const TBatchEntry* EntryAt(int index) const;
    // The entries from the top; a row without an entry keeps its place and is never converted.
    std::vector<TBatchEntry> BatchEntries() const;
    int ConvertibleCount() const { return FConvertibleCount; }

    // Every entry pending again, its status text and tooltip cleared, as a batch starts.
    void InitListViewItem();
    void SetStatusImage(int index, int image);
    int StatusImageOf(int index) const { return Image(index, kStatusColumn); }
    // What became of the row: its status text, the row's tooltip and, when a PDF was written, its
    // path (the name actually used).
    void SetRowReport(int index, const std::string& statusText, const std::string& tip,
                      const std::string& pdfPath = {});
    // Scrolls the row into view.
    void ShowRow(int index);

    void RemoveSelected();
    void RemoveAll();

    // The window's WM_NOTIFY from this list: drawing and deletions are the list's own; true when
    // the list used the message, with its result.
    bool OnNotify(const NMHDR& header, LRESULT& result);
    // WM_FREE_ROW_BUTTON: destroys a row button whose click has removed its entry.
    void WMFreeRowButton(WPARAM button);

private:
    struct TListEntry {
        LPARAM key = 0;
        TBatchEntry entry;
        std::unique_ptr<win::PictureButton> rowButton; // made the first time the row is drawn
        std::string tip;                               // the row's tooltip; empty: none
        RECT tipArea{};                                // where the row's tooltip tool lies now
    };

    // The entry of a key in entries (const or not), or its end.
    template <class Entries> static auto FindEntry(Entries& entries, LPARAM key)
    {
        return std::find_if(entries.begin(), entries.end(), [key](const TListEntry& e) { return e.key == key; });
    }
    bool Locked() const { return FLocked && FLocked(); }

    LRESULT ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW& draw);
    void CreateRowButton(TListEntry& entry, int index);
    void PlaceRowButtons();
    void ListView1Deletion(LPARAM key);
    void DeleteButtonClick(HWND button);
    void DestroyRowButton(win::PictureButton& button);
    void ListViewDropFiles(HDROP drop);
    void SetRowTip(TListEntry& entry, int index, const std::string& tip);
    void PlaceRowTip(TListEntry& entry, const RECT& row);
    void FitColumns();
    static LRESULT CALLBACK ListViewWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self);
    LRESULT ListViewMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND FWindow = nullptr;
    HFONT FFont = nullptr;
    win::Hints* FHints = nullptr;
    LockedFn FLocked;
    FilesDroppedFn FFilesDropped;
    win::ImageList ImageList1;
    std::vector<TListEntry> FEntries;
    LPARAM FNextKey = 0;
    int FConvertibleCount = 0;
    // Row delete buttons detached from their entries, destroyed on WM_FREE_ROW_BUTTON (or with
    // the list when that message never comes).
    std::vector<std::unique_ptr<win::PictureButton>> FFreedButtons;
};

} // namespace folimar
