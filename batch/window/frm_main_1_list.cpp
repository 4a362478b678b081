// The batch window's part of the list of documents: adding by the open dialog and by drop with
// the tip, the pop-up menu and its commands.
#include "batch/window/frm_main_1.h"

#include "batch/window/batch_list_file.h"
#include "batch/rules/batch_window_rules.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "resources/glyphs.h"
#include "win/dpi.h"

#include <commdlg.h>
#include <shellapi.h>

namespace folimar {

namespace {

constexpr DWORD kOpenDialogBufferSize = 64 * 1024;
// One slice of examining added files: the window answers again after at most about this long.
constexpr DWORD kExamineSliceMs = 50;

} // namespace

void TfrmMain_1::AddFilesToList(const std::vector<std::string>& paths)
{
    const bool idle = !Examining();
    if (idle) {
        FExamineQueue.clear();
        FExamineNext = 0;
        FRefusedFiles.clear();
    }
    FExamineQueue.insert(FExamineQueue.end(), paths.begin(), paths.end());
    if (idle && Examining())
        ExamineNextFiles();
}

void TfrmMain_1::ExamineNextFiles()
{
    // Each file asks the disk and the registry: hundreds at once would freeze the window.
    const PathTakenFn plannedByOtherRow = [this](const std::string& p) { return ListView1.PlansPdf(p); };
    const DWORD start = ::GetTickCount();
    while (Examining() && ::GetTickCount() - start < kExamineSliceMs) {
        const std::string& path = FExamineQueue[FExamineNext++];
        TRefusal refusal = TRefusal::None;
        const auto examine = [&](const std::string& p) {
            return ExamineFile(p, FOutputFolder, FOverwrite, plannedByOtherRow, &refusal);
        };
        if (!ListView1.AddFileToList(path, examine, &refusal))
            FRefusedFiles.push_back(std::string(FileNamePart(path)) + ": " + RefusalText(refusal, FileExtension(path)));
    }
    if (Examining() && ::PostMessageA(Handle(), WM_EXAMINE_FILES, 0, 0))
        return;
    // Done (or the next slice could not be posted: what is left is let go, and the window idles).
    FExamineQueue.clear();
    FExamineNext = 0;
    ApplicationEvents1Idle();
    if (!FRefusedFiles.empty()) {
        const std::string text = RefusedFilesText(FRefusedFiles);
        FRefusedFiles.clear();
        Box(text, "Tip", MB_ICONINFORMATION);
    }
}

void TfrmMain_1::ReplanWaitingRows()
{
    ListView1.ReplanWaiting([this](const TBatchEntry& entry, const PathTakenFn& plannedByOtherRow) {
        return PlannedPdfPath(FOutputFolder, entry.caption, FOverwrite, PathTaken, plannedByOtherRow);
    });
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

LRESULT TfrmMain_1::OnNotify(const NMHDR& header)
{
    LRESULT result = 0;
    if (ListView1.OnNotify(header, result))
        return result;
    if (header.hwndFrom == ListView1.Handle() && header.code == NM_DBLCLK) {
        OpenPdfOfRow(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
        return 0;
    }
    if (header.hwndFrom == ListView1.Handle() && header.code == LVN_KEYDOWN &&
        reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE)
        RemoveSelected1Click();
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
    for (const auto& [id, item] : kPopupMenu1) {
        // The openings are set apart from the removals.
        if (item == TPopupItem::OpenPdf)
            ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(menu.get(), MF_STRING, id, PopupItemCaption(item));
    }
    PopupMenu1Popup(menu.get());
    const UINT command =
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
    // The hint of the item last highlighted gives way to the status it covered.
    SetStatusLine(FStatusText, FOpenFolderShown);
    if (command)
        OnCommand(static_cast<int>(command), 0, nullptr);
}

void TfrmMain_1::PopupMenu1Select(UINT id, UINT flags, HMENU menu)
{
    // Closed (flags 0xFFFF, no menu): ShowPopupMenu puts the status back.
    if (!menu || (flags & (MF_POPUP | MF_SEPARATOR)))
        return;
    for (const auto& [itemId, item] : kPopupMenu1)
        if (static_cast<UINT>(itemId) == id)
            ::SetWindowTextA(lblStatus, PopupItemHint(item));
}

void TfrmMain_1::PopupMenu1Popup(HMENU menu)
{
    const TBatchEntry* entry = ListView1.EntryAt(ListView1.NextSelected());
    const bool pdfExists = entry && FileExists(entry->fields[kFieldPdfPath]);
    const TPopupStates states =
        PopupStates(ListView1.Count(), ListView1.SelectedCount(), entry ? entry->image : -1, pdfExists, BatchRunning());
    auto enable = [menu](UINT id, bool on) {
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(idRemoveSelected1, states.removeSelected);
    enable(idRemoveAll1, states.removeAll);
    enable(idOpenPDFDoc1, states.openPdf);
    enable(idOpenFolder1, states.openFolder);
}

void TfrmMain_1::RemoveSelected1Click()
{
    ListView1.RemoveSelected();
}

void TfrmMain_1::RemoveAll1Click()
{
    ListView1.RemoveAll();
}

void TfrmMain_1::OpenPDFDoc1Click()
{
    if (const TBatchEntry* entry = ListView1.EntryAt(ListView1.NextSelected()))
        ::ShellExecuteA(Handle(), "open", entry->fields[kFieldPdfPath].c_str(), nullptr, nullptr, SW_SHOW);
}

void TfrmMain_1::OpenFolder1Click()
{
    const TBatchEntry* entry = ListView1.EntryAt(ListView1.NextSelected());
    if (!entry || !FileExists(entry->fields[kFieldPdfPath]))
        return;
    // The explorer opens the folder with the PDF selected.
    const std::string arguments = "/select,\"" + entry->fields[kFieldPdfPath] + "\"";
    ::ShellExecuteA(Handle(), "open", "explorer.exe", arguments.c_str(), nullptr, SW_SHOW);
}

void TfrmMain_1::OpenPdfOfRow(int index)
{
    // Only a PDF that is there: a row not made yet plans a name that may belong to an older file.
    const TBatchEntry* entry = ListView1.EntryAt(index);
    if (entry && entry->status == kStatusDone && FileExists(entry->fields[kFieldPdfPath]))
        ::ShellExecuteA(Handle(), "open", entry->fields[kFieldPdfPath].c_str(), nullptr, nullptr, SW_SHOW);
}

} // namespace folimar
