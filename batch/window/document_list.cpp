// The batch window's list of documents: entries by key, row delete buttons, drops and drawing.
#include "batch/window/document_list.h"

#include "batch/rules/batch_window_rules.h"
#include "resources/glyphs.h"
#include "win/dpi.h"

#include <shellapi.h>

namespace folimar {

namespace {

constexpr UINT_PTR kListViewSubclassId = 1;
// The list's images are drawn on this colour and it is their transparent one.
constexpr COLORREF kImageMask = RGB(255, 0, 255);
constexpr COLORREF kRowButtonBackground = RGB(240, 240, 240);
// The PDF column takes what the others leave of the list's width, but not less (pixels at 96 DPI).
constexpr int kMinPdfColumnWidth = 120;

} // namespace

TDocumentList::~TDocumentList()
{
    // The list view may outlive this object (a window destroyed later): it must not call back.
    if (HWND hwnd = Handle(); hwnd && ::IsWindow(hwnd))
        ::RemoveWindowSubclass(hwnd, ListViewWndProc, kListViewSubclassId);
    // A button whose window is still there would reach its freed object through its subclass.
    for (TListEntry& e : FEntries) {
        if (e.rowButton)
            DestroyRowButton(*e.rowButton);
    }
    for (auto& button : FFreedButtons)
        DestroyRowButton(*button);
}

bool TDocumentList::Create(HWND window, const win::Bounds& bounds, int id, HFONT font, win::Hints& hints,
                           LockedFn locked, FilesDroppedFn filesDropped)
{
    FWindow = window;
    FFont = font;
    FHints = &hints;
    FLocked = std::move(locked);
    FFilesDropped = std::move(filesDropped);
    // Multiple selection and no editing in place; the image list stays the list's own.
    constexpr DWORD style = WS_VISIBLE | WS_TABSTOP | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    constexpr DWORD listExStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    if (!ListView::Create(window, bounds, id, font, style, listExStyle,
                          {{"File Name", 100}, {"Size", 65}, {"PDF File Name", kMinPdfColumnWidth}, {"Status", 160}}))
        return false;
    const int size = win::Scale(kListImageSize);
    ImageList1.reset(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, kListImageCount, 0));
    win::Bitmap images = MakeListImages(kImageMask);
    if (ImageList1 && images)
        ::ImageList_AddMasked(ImageList1.get(), images.get(), kImageMask);
    SetImageList(ImageList1.get());
    ::DragAcceptFiles(Handle(), TRUE);
    FitColumns();
    return ::SetWindowSubclass(Handle(), ListViewWndProc, kListViewSubclassId, reinterpret_cast<DWORD_PTR>(this)) !=
           FALSE;
}

const TBatchEntry* TDocumentList::EntryAt(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    auto it = FindEntry(FEntries, Param(index));
    return it == FEntries.end() ? nullptr : &it->entry;
}

bool TDocumentList::IsFileInList(const std::string& path) const
{
    return std::any_of(FEntries.begin(), FEntries.end(),
                       [&path](const TListEntry& e) { return SameDocument(e.entry.fields[kFieldDocument], path); });
}

bool TDocumentList::PlansPdf(const std::string& pdfPath) const
{
    return std::any_of(FEntries.begin(), FEntries.end(), [&pdfPath](const TListEntry& e) {
        return SameDocument(e.entry.fields[kFieldPdfPath], pdfPath);
    });
}

void TDocumentList::ReplanWaiting(const PlanFn& plan)
{
    // Made rows keep the PDF they wrote; the others let go of their plans first, so that a row
    // re-planned near the top does not number itself past an old plan of a row below.
    for (TListEntry& e : FEntries) {
        if (e.entry.status != kStatusDone && e.entry.image == kImageConvertible)
            e.entry.fields[kFieldPdfPath].clear();
    }
    const PathTakenFn others = [this](const std::string& p) { return PlansPdf(p); };
    for (int i = 0, n = Count(); i < n; ++i) {
        auto it = FindEntry(FEntries, Param(i));
        if (it == FEntries.end() || it->entry.status == kStatusDone || it->entry.image != kImageConvertible)
            continue;
        it->entry.fields[kFieldPdfPath] = plan(it->entry, others);
        SetText(i, kPdfColumn, it->entry.fields[kFieldPdfPath]);
    }
}

bool TDocumentList::AddFileToList(const std::string& path, const ExamineFn& examine, TRefusal* refusal)
{
    if (IsFileInList(path)) {
        if (refusal)
            *refusal = TRefusal::AlreadyListed;
        return false;
    }
    std::optional<TBatchEntry> examined = examine(path);
    if (!examined)
        return false;
    TListEntry entry;
    entry.key = FNextKey++;
    entry.entry = std::move(*examined);
    const TBatchEntry& e = entry.entry;
    const int index = Append(e.caption, e.image, entry.key);
    if (index < 0)
        return false;
    SetText(index, 1, e.fields[kFieldSize]);
    SetText(index, 2, e.fields[kFieldPdfPath]);
    SetImage(index, kStatusColumn, e.status);
    if (e.image == kImageConvertible)
        ++FConvertibleCount;
    FEntries.push_back(std::move(entry));
    return true;
}

std::vector<TBatchEntry> TDocumentList::BatchEntries() const
{
    // The thread works from a copy: it never has to ask the window for the list.
    std::vector<TBatchEntry> entries;
    for (int i = 0; i < Count(); ++i) {
        const TBatchEntry* entry = EntryAt(i);
        TBatchEntry copy = entry ? *entry : TBatchEntry{};
        if (!entry)
            copy.image = -1; // keeps the indexes of the rows, is never converted
        entries.push_back(std::move(copy));
    }
    return entries;
}

void TDocumentList::InitListViewItem()
{
    // What an earlier batch said of a row goes with its icon.
    for (int i = 0; i < Count(); ++i) {
        SetStatusImage(i, kStatusPending);
        SetRowReport(i, "", "");
    }
}

void TDocumentList::SetStatusImage(int index, int image)
{
    if (index < 0 || index >= Count())
        return;
    if (auto it = FindEntry(FEntries, Param(index)); it != FEntries.end())
        it->entry.status = image;
    SetImage(index, kStatusColumn, image);
}

void TDocumentList::SetRowReport(int index, const std::string& statusText, const std::string& tip,
                                 const std::string& pdfPath)
{
    if (index < 0 || index >= Count())
        return;
    auto it = FindEntry(FEntries, Param(index));
    if (it == FEntries.end())
        return;
    if (!pdfPath.empty()) {
        it->entry.fields[kFieldPdfPath] = pdfPath;
        SetText(index, kPdfColumn, pdfPath);
    }
    SetText(index, kStatusTextColumn, statusText);
    SetRowTip(*it, index, tip);
}

void TDocumentList::SetRowTip(TListEntry& entry, int index, const std::string& tip)
{
    // A row has a tool of its own while it has a tip: moving from one row to the next is moving to
    // another tool, which the tool tip shows again after its delay (one tool over the whole list
    // showed a tip only where the mouse first came into the list).
    const bool hadTool = !entry.tip.empty();
    entry.tip = tip;
    const auto id = static_cast<UINT_PTR>(entry.key);
    if (tip.empty()) {
        if (hadTool)
            FHints->RemoveArea(Handle(), id);
        entry.tipArea = {};
    } else if (hadTool) {
        FHints->UpdateArea(Handle(), id, tip);
    } else {
        ItemBounds(index, entry.tipArea);
        FHints->AddArea(Handle(), id, entry.tipArea, tip);
    }
}

void TDocumentList::PlaceRowTip(TListEntry& entry, const RECT& row)
{
    if (entry.tip.empty() || ::EqualRect(&entry.tipArea, &row))
        return;
    entry.tipArea = row;
    FHints->MoveArea(Handle(), static_cast<UINT_PTR>(entry.key), row);
}

void TDocumentList::FitColumns()
{
    RECT client{};
    if (!::GetClientRect(Handle(), &client))
        return;
    // The room of a vertical scroll bar stays free while there is none, so that rows filling the
    // list never push the last column past its right edge.
    const bool scrollBar = (::GetWindowLongA(Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
    const int width = client.right - (scrollBar ? 0 : ::GetSystemMetrics(SM_CXVSCROLL));
    int others = 0;
    for (int column = 0; column < kColumnCount; ++column) {
        if (column != kPdfColumn)
            others += ColumnWidth(column);
    }
    const int pdfWidth = std::max(win::Scale(kMinPdfColumnWidth), width - others);
    if (pdfWidth != ColumnWidth(kPdfColumn))
        SetColumnWidth(kPdfColumn, pdfWidth);
}

void TDocumentList::ShowRow(int index)
{
    if (index >= 0 && index < Count())
        ListView_EnsureVisible(Handle(), index, FALSE);
}

void TDocumentList::RemoveSelected()
{
    if (Locked())
        return;
    // From the bottom, so that the indexes still to delete stay where they are.
    std::vector<int> selected = SelectedItems();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        Delete(*it);
}

void TDocumentList::RemoveAll()
{
    if (!Locked())
        DeleteAll();
}

bool TDocumentList::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.hwndFrom != Handle())
        return false;
    switch (header.code) {
    case NM_CUSTOMDRAW:
        result = ListView1AdvancedCustomDrawItem(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        return true;
    case LVN_DELETEITEM:
        ListView1Deletion(reinterpret_cast<const NMLISTVIEW&>(header).lParam);
        result = 0;
        return true;
    case LVN_DELETEALLITEMS:
        result = FALSE; // one LVN_DELETEITEM per entry, so that each entry is let go
        return true;
    }
    return false;
}

LRESULT TDocumentList::ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        PlaceRowButtons();
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const int index = static_cast<int>(draw.nmcd.dwItemSpec);
        draw.clrTextBk = RowBackground(index);
        if (auto it = FindEntry(FEntries, draw.nmcd.lItemlParam); it != FEntries.end() && !it->rowButton)
            CreateRowButton(*it, index);
        return CDRF_NEWFONT;
    }
    }
    return CDRF_DODEFAULT;
}

void TDocumentList::CreateRowButton(TListEntry& entry, int index)
{
    RECT row{};
    if (!ItemBounds(index, row))
        return;
    const RECT r = RowButtonRect(row);
    auto button = std::make_unique<win::PictureButton>();
    const int id = kRowButtonFirstId + static_cast<int>(entry.key);
    // Created in the list's client pixels: the rectangle is scaled already.
    if (!button->Create(Handle(), id, {0, 0, 0, 0}, "", FFont, win::PictureButton::Layout::Glyph, kRowButtonBackground,
                        MakeButtonGlyph(Glyph::RowDelete, kRowButtonBackground)))
        return;
    ::SetWindowLongA(button->Handle(), GWL_STYLE, ::GetWindowLongA(button->Handle(), GWL_STYLE) & ~WS_TABSTOP);
    ::SetWindowPos(button->Handle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    FHints->Add(button->Handle(), "delete this item");
    entry.rowButton = std::move(button);
}

void TDocumentList::PlaceRowButtons()
{
    // The list scrolls its rows but not the buttons on them: each button follows its row, and
    // hides while its row is out of view. Row tooltips follow their rows too.
    RECT area{};
    ::GetClientRect(Handle(), &area);
    RECT header{};
    if (HWND h = ListView_GetHeader(Handle()); h && ::IsWindowVisible(h) && ::GetWindowRect(h, &header))
        area.top = header.bottom - header.top;
    for (int i = 0, n = Count(); i < n; ++i) {
        auto it = FindEntry(FEntries, Param(i));
        RECT row{};
        if (it == FEntries.end() || !ItemBounds(i, row))
            continue;
        PlaceRowTip(*it, row);
        if (!it->rowButton)
            continue;
        const RECT r = RowButtonRect(row);
        HWND button = it->rowButton->Handle();
        RECT now{};
        ::GetWindowRect(button, &now);
        ::MapWindowPoints(HWND_DESKTOP, Handle(), reinterpret_cast<POINT*>(&now), 2);
        const bool shown = RowButtonShown(r, area);
        if (now.left != r.left || now.top != r.top)
            ::SetWindowPos(button, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if ((::IsWindowVisible(button) != FALSE) != shown)
            ::ShowWindow(button, shown ? SW_SHOWNA : SW_HIDE);
    }
}

void TDocumentList::DestroyRowButton(win::PictureButton& button)
{
    if (HWND hwnd = button.Handle()) {
        FHints->Remove(hwnd);
        ::DestroyWindow(hwnd);
    }
}

void TDocumentList::ListView1Deletion(LPARAM key)
{
    auto it = FindEntry(FEntries, key);
    if (it == FEntries.end())
        return;
    if (!it->tip.empty())
        FHints->RemoveArea(Handle(), static_cast<UINT_PTR>(key));
    if (it->entry.image == kImageConvertible)
        --FConvertibleCount;
    if (it->rowButton)
        DestroyRowButton(*it->rowButton);
    FEntries.erase(it);
}

void TDocumentList::DeleteButtonClick(HWND button)
{
    if (Locked())
        return;
    auto it = std::find_if(FEntries.begin(), FEntries.end(),
                           [button](const TListEntry& e) { return e.rowButton && e.rowButton->Handle() == button; });
    if (it == FEntries.end())
        return;
    // The button is still inside its own click: it is only hidden now and destroyed later.
    FFreedButtons.push_back(std::move(it->rowButton));
    ::ShowWindow(button, SW_HIDE);
    Delete(Find(it->key));
    ::PostMessageA(FWindow, WM_FREE_ROW_BUTTON, reinterpret_cast<WPARAM>(button), 0);
}

void TDocumentList::WMFreeRowButton(WPARAM button)
{
    // Only a button this list let go of: the message carries a bare window handle.
    HWND hwnd = reinterpret_cast<HWND>(button);
    auto it = std::find_if(FFreedButtons.begin(), FFreedButtons.end(),
                           [hwnd](const std::unique_ptr<win::PictureButton>& b) { return b->Handle() == hwnd; });
    if (!hwnd || it == FFreedButtons.end())
        return;
    DestroyRowButton(**it);
    FFreedButtons.erase(it);
}

void TDocumentList::ListViewDropFiles(HDROP handle)
{
    std::vector<std::string> paths;
    {
        win::Drop drop(handle);
        const UINT count = ::DragQueryFileA(drop.get(), 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            const UINT length = ::DragQueryFileA(drop.get(), i, nullptr, 0);
            if (length == 0)
                break;
            std::string path(length + 1, '\0');
            const UINT read = ::DragQueryFileA(drop.get(), i, path.data(), length + 1);
            if (read != 0)
                paths.push_back(path.substr(0, read));
        }
    }
    // The list stays as the batch found it while one runs (a drop reaches even a disabled list).
    if (!Locked() && FFilesDropped)
        FFilesDropped(paths);
}

LRESULT CALLBACK TDocumentList::ListViewWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self)
{
    if (msg == WM_NCDESTROY)
        ::RemoveWindowSubclass(hwnd, ListViewWndProc, kListViewSubclassId);
    try {
        return reinterpret_cast<TDocumentList*>(self)->ListViewMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        // No C++ exception may unwind into the system.
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
}

LRESULT TDocumentList::ListViewMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The rows' tooltips learn where the mouse is from the list itself (they do not subclass it).
    FHints->Relay(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_DROPFILES:
        ListViewDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_SIZE: {
        const LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
        FitColumns();
        return result;
    }
    case WM_COMMAND:
        // The row delete buttons live on the list.
        if (LOWORD(wParam) >= kRowButtonFirstId && HIWORD(wParam) == BN_CLICKED && lParam) {
            DeleteButtonClick(reinterpret_cast<HWND>(lParam));
            return 0;
        }
        break;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (const win::PictureButton* button = win::PictureButton::FromHandle(item.hwndItem)) {
            button->Draw(item);
            return TRUE;
        }
        break;
    }
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

} // namespace folimar
