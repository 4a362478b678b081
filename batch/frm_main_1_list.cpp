// The batch window's list of documents: adding by dialog and by drop, the rows' look and delete
// buttons, the pop-up menu and removing.
#include "batch/frm_main_1.h"

#include "batch/batch_list_file.h"
#include "batch/batch_window_rules.h"
#include "files/folders.h"
#include "resources/glyphs.h"
#include "win/dpi.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>

namespace folimar {

namespace {

constexpr UINT_PTR kListViewSubclassId = 1;
// The list's images are drawn on this colour and it is their transparent one.
constexpr COLORREF kImageMask = RGB(255, 0, 255);
constexpr COLORREF kRowButtonBackground = RGB(240, 240, 240);
constexpr DWORD kOpenDialogBufferSize = 64 * 1024;

} // namespace

void TfrmMain_1::CreateListView()
{
    // Multiple selection and no editing in place; the image list stays the window's own.
    constexpr DWORD style = WS_VISIBLE | WS_TABSTOP | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    constexpr DWORD listExStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    ListView1.Create(Handle(), {0, 70, 583, 306}, idListView1, FFont.get(), style, listExStyle,
                     {{"File Name", 100}, {"Size", 65}, {"PDF File Name", 400}});
    const int size = win::Scale(kListImageSize);
    ImageList1.reset(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, kListImageCount, 0));
    win::Bitmap images = MakeListImages(kImageMask);
    if (ImageList1 && images)
        ::ImageList_AddMasked(ImageList1.get(), images.get(), kImageMask);
    ListView1.SetImageList(ImageList1.get());
    ::DragAcceptFiles(ListView1.Handle(), TRUE);
    ::SetWindowSubclass(ListView1.Handle(), ListViewWndProc, kListViewSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

TfrmMain_1::TListEntry* TfrmMain_1::EntryOf(LPARAM key)
{
    auto it = std::find_if(FEntries.begin(), FEntries.end(), [key](const TListEntry& e) { return e.key == key; });
    return it == FEntries.end() ? nullptr : &*it;
}

const TfrmMain_1::TListEntry* TfrmMain_1::EntryAt(int index) const
{
    if (index < 0 || index >= ListView1.Count())
        return nullptr;
    const LPARAM key = ListView1.Param(index);
    auto it = std::find_if(FEntries.begin(), FEntries.end(), [key](const TListEntry& e) { return e.key == key; });
    return it == FEntries.end() ? nullptr : &*it;
}

bool TfrmMain_1::IsFileInList(const std::string& path) const
{
    // One entry per document: the same full path, whatever its letter case.
    return std::any_of(FEntries.begin(), FEntries.end(),
                       [&path](const TListEntry& e) { return SameDocument(e.entry.fields[kFieldDocument], path); });
}

bool TfrmMain_1::AddFileToList(const std::string& path)
{
    if (IsFileInList(path))
        return false;
    std::optional<TBatchEntry> examined = ExamineFile(path, FOutputFolder, FOverwrite);
    if (!examined)
        return false;
    TListEntry entry;
    entry.key = FNextKey++;
    entry.entry = std::move(*examined);
    const TBatchEntry& e = entry.entry;
    const int index = ListView1.Append(e.caption, e.image, entry.key);
    if (index < 0)
        return false;
    ListView1.SetText(index, 1, e.fields[kFieldSize]);
    ListView1.SetText(index, 2, e.fields[kFieldPdfPath]);
    ListView1.SetImage(index, kStatusColumn, e.status);
    if (e.image == kImageConvertible)
        ++FConvertibleCount;
    FEntries.push_back(std::move(entry));
    return true;
}

void TfrmMain_1::AddFilesToList(const std::vector<std::string>& paths)
{
    bool refused = false;
    for (const std::string& path : paths) {
        if (!AddFileToList(path))
            refused = true;
    }
    if (refused)
        Box("Some files cannot be converted.", "Tip", MB_ICONINFORMATION);
}

void TfrmMain_1::sbAddFilesClick()
{
    std::string buffer(kOpenDialogBufferSize, '\0');
    static const char kFilter[] = "All Files(*.*)\0*.*\0Text Files(*.txt)\0*.txt\0Bitmap Files(*.bmp)\0*.bmp\0"
                                  "Word Documents\0*.doc;*.docx\0";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Handle();
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kOpenDialogBufferSize;
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (!::GetOpenFileNameA(&ofn))
        return;
    AddFilesToList(OpenDialogFiles(buffer));
}

void TfrmMain_1::ListViewDropFiles(HDROP handle)
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
    if (!BatchRunning())
        AddFilesToList(paths);
}

LRESULT CALLBACK TfrmMain_1::ListViewWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self)
{
    if (msg == WM_NCDESTROY)
        ::RemoveWindowSubclass(hwnd, ListViewWndProc, kListViewSubclassId);
    try {
        return reinterpret_cast<TfrmMain_1*>(self)->ListViewMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        // No C++ exception may unwind into the system.
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
}

LRESULT TfrmMain_1::ListViewMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DROPFILES:
        ListViewDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_COMMAND:
        // The row delete buttons live on the list.
        if (LOWORD(wParam) >= idRowButtonFirst && HIWORD(wParam) == BN_CLICKED && lParam) {
            DeleteButtonClick(reinterpret_cast<HWND>(lParam));
            return 0;
        }
        break;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        for (const TListEntry& e : FEntries) {
            if (e.rowButton && e.rowButton->Handle() == item.hwndItem) {
                e.rowButton->Draw(item);
                return TRUE;
            }
        }
        break;
    }
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT TfrmMain_1::OnNotify(const NMHDR& header)
{
    if (header.hwndFrom != ListView1.Handle())
        return 0;
    switch (header.code) {
    case NM_CUSTOMDRAW:
        return ListView1AdvancedCustomDrawItem(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
    case LVN_DELETEITEM:
        ListView1Deletion(reinterpret_cast<const NMLISTVIEW&>(header).lParam);
        return 0;
    case LVN_DELETEALLITEMS:
        return FALSE; // one LVN_DELETEITEM per entry, so that each entry is let go
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE)
            RemoveSelected1Click();
        return 0;
    }
    return 0;
}

void TfrmMain_1::ShowPopupMenu(POINT screen)
{
    if (screen.x == -1 && screen.y == -1) {
        // From the keyboard: at the focused entry, else at the list's top-left corner.
        RECT row{};
        const int focused = ListView1.NextSelected();
        POINT at{0, 0};
        if (focused >= 0 && ListView1.ItemBounds(focused, row))
            at = {row.left + win::Scale(20), row.bottom};
        ::ClientToScreen(ListView1.Handle(), &at);
        screen = at;
    }
    win::Menu menu(::CreatePopupMenu());
    if (!menu)
        return;
    ::AppendMenuA(menu.get(), MF_STRING, idRemoveSelected1, "Remove Selected");
    ::AppendMenuA(menu.get(), MF_STRING, idRemoveAll1, "Remove All");
    ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu.get(), MF_STRING, idOpenPDFDoc1, "Open PDF");
    PopupMenu1Popup(menu.get());
    const UINT command =
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
    if (command)
        OnCommand(static_cast<int>(command), 0, nullptr);
}

void TfrmMain_1::PopupMenu1Popup(HMENU menu)
{
    const int first = ListView1.NextSelected();
    const TListEntry* entry = EntryAt(first);
    const bool pdfExists = entry && FileExists(entry->entry.fields[kFieldPdfPath]);
    const TPopupStates states =
        PopupStates(ListView1.Count(), ListView1.SelectedCount(), entry ? entry->entry.image : -1, pdfExists);
    auto enable = [menu](UINT id, bool on) {
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(idRemoveSelected1, states.removeSelected);
    enable(idRemoveAll1, states.removeAll);
    enable(idOpenPDFDoc1, states.openPdf);
}

void TfrmMain_1::RemoveSelected1Click()
{
    if (BatchRunning())
        return;
    // From the bottom, so that the indexes still to delete stay where they are.
    std::vector<int> selected = ListView1.SelectedItems();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        ListView1.Delete(*it);
}

void TfrmMain_1::RemoveAll1Click()
{
    if (!BatchRunning())
        ListView1.DeleteAll();
}

void TfrmMain_1::OpenPDFDoc1Click()
{
    if (const TListEntry* entry = EntryAt(ListView1.NextSelected()))
        ::ShellExecuteA(Handle(), "open", entry->entry.fields[kFieldPdfPath].c_str(), nullptr, nullptr, SW_SHOW);
}

LRESULT TfrmMain_1::ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        PlaceRowButtons();
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const int index = static_cast<int>(draw.nmcd.dwItemSpec);
        draw.clrTextBk = RowBackground(index);
        TListEntry* entry = EntryOf(draw.nmcd.lItemlParam);
        RECT row{};
        if (entry && !entry->rowButton && ListView1.ItemBounds(index, row)) {
            const RECT r = RowButtonRect(row);
            auto button = std::make_unique<win::PictureButton>();
            const int id = idRowButtonFirst + static_cast<int>(entry->key);
            // Created in the list's client pixels: the rectangle is scaled already.
            if (button->Create(ListView1.Handle(), id, {0, 0, 0, 0}, "", FFont.get(), win::PictureButton::Layout::Glyph,
                               kRowButtonBackground, MakeButtonGlyph(Glyph::RowDelete, kRowButtonBackground))) {
                ::SetWindowLongA(button->Handle(), GWL_STYLE,
                                 ::GetWindowLongA(button->Handle(), GWL_STYLE) & ~WS_TABSTOP);
                ::SetWindowPos(button->Handle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               SWP_NOACTIVATE);
                FHints.Add(button->Handle(), "delete this item");
                entry->rowButton = std::move(button);
            }
        }
        return CDRF_NEWFONT;
    }
    }
    return CDRF_DODEFAULT;
}

void TfrmMain_1::PlaceRowButtons()
{
    // The list scrolls its rows but not the buttons on them: each button follows its row, and
    // hides while its row is out of view.
    RECT area{};
    ::GetClientRect(ListView1.Handle(), &area);
    RECT header{};
    if (HWND h = ListView_GetHeader(ListView1.Handle()); h && ::IsWindowVisible(h) && ::GetWindowRect(h, &header))
        area.top = header.bottom - header.top;
    for (int i = 0, n = ListView1.Count(); i < n; ++i) {
        const TListEntry* entry = EntryAt(i);
        RECT row{};
        if (!entry || !entry->rowButton || !ListView1.ItemBounds(i, row))
            continue;
        const RECT r = RowButtonRect(row);
        HWND button = entry->rowButton->Handle();
        RECT now{};
        ::GetWindowRect(button, &now);
        ::MapWindowPoints(HWND_DESKTOP, ListView1.Handle(), reinterpret_cast<POINT*>(&now), 2);
        const bool shown = RowButtonShown(r, area);
        if (now.left != r.left || now.top != r.top)
            ::SetWindowPos(button, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if ((::IsWindowVisible(button) != FALSE) != shown)
            ::ShowWindow(button, shown ? SW_SHOWNA : SW_HIDE);
    }
}

void TfrmMain_1::ListView1Deletion(LPARAM key)
{
    auto it = std::find_if(FEntries.begin(), FEntries.end(), [key](const TListEntry& e) { return e.key == key; });
    if (it == FEntries.end())
        return;
    if (it->entry.image == kImageConvertible)
        --FConvertibleCount;
    if (it->rowButton && it->rowButton->Handle()) {
        FHints.Remove(it->rowButton->Handle());
        ::DestroyWindow(it->rowButton->Handle());
    }
    FEntries.erase(it);
}

void TfrmMain_1::DeleteButtonClick(HWND button)
{
    if (BatchRunning())
        return;
    auto it = std::find_if(FEntries.begin(), FEntries.end(),
                           [button](const TListEntry& e) { return e.rowButton && e.rowButton->Handle() == button; });
    if (it == FEntries.end())
        return;
    // The button is still inside its own click: it is only hidden now and destroyed later.
    FFreedButtons.push_back(std::move(it->rowButton));
    ::ShowWindow(button, SW_HIDE);
    ListView1.Delete(ListView1.Find(it->key));
    ::PostMessageA(Handle(), WM_FREE_ROW_BUTTON, reinterpret_cast<WPARAM>(button), 0);
}

void TfrmMain_1::WMFreeRowButton(WPARAM button)
{
    HWND hwnd = reinterpret_cast<HWND>(button);
    auto it = std::find_if(FFreedButtons.begin(), FFreedButtons.end(),
                           [hwnd](const std::unique_ptr<win::PictureButton>& b) { return b->Handle() == hwnd; });
    if (it == FFreedButtons.end())
        return;
    if (hwnd) {
        FHints.Remove(hwnd);
        ::DestroyWindow(hwnd);
    }
    FFreedButtons.erase(it);
}

} // namespace folimar
