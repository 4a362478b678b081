// The single-job window's auto-save: the compact form that saves a printed document at once to
// the name the pattern makes, and the way back to the normal form when it cannot.
#include "single/frm_main.h"

#include "files/code_pages.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "settings/name_fields.h"
#include "settings/name_pattern.h"
#include "single/job_cmdline.h"
#include "win/dpi.h"
#include "win/window.h"

namespace folimar {

void TfrmMain::StartAutoSave()
{
    const std::string path =
        AutoSavePath(FAutoSave.folder, FAutoSave.pattern, NameFieldsNow(DscTextToUtf8(FDocTitle)), FAutoSave.overwrite,
                     [](const std::string& p) { return FileExists(p) || DirectoryExists(p); });
    if (path.empty()) {
        Failed("no free file name in " + FAutoSave.folder);
        return;
    }
    SetOutputPath(Utf8ToAnsiName(path));
    Convert(win::GetText(Edit1));
}

void TfrmMain::MoveControl(HWND control, int left, int top, int width, int height)
{
    ::MoveWindow(control, win::Scale(left), win::Scale(top), win::Scale(width), win::Scale(height), TRUE);
}

void TfrmMain::ShowCompact(bool compact)
{
    FCompact = compact;
    // Compact: the document's name over the path and the bar, Cancel beside them; nothing else.
    // Set by style: the window itself may not show yet, and then every control counts as hidden.
    for (HWND control : {Panel1, SpeedButton1.Handle(), sbConvert.Handle()})
        ::ShowWindow(control, compact ? SW_HIDE : SW_SHOWNA);
    const std::string name = FDocTitle.empty() ? std::string(kUntitledName) : TitleLabelCaption(FDocTitle);
    ::SetWindowTextA(GroupBox1, compact ? name.c_str() : "Output file name");
    if (compact) {
        MoveControl(GroupBox1, 12, 8, 318, 68);
        MoveControl(sbCancel.Handle(), 336, 14, 57, 57);
    } else {
        MoveControl(GroupBox1, 16, 67, 369, 68);
        MoveControl(sbCancel.Handle(), 272, 144, 57, 57);
    }
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_EXSTYLE));
    RECT r{0, 0, win::Scale(403), win::Scale(compact ? 84 : 224)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const POINT pt = win::CentreOn(::GetDesktopWindow(), width, height);
    ::SetWindowPos(Handle(), nullptr, pt.x, pt.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace folimar
