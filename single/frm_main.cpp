// The single-job window: its controls, creation, idle rule and the small handlers.
#include "single/frm_main.h"

#include "base/printer_constants.h"
#include "base/product_info.h"
#include "base/resource.h"
#include "dialogs/about.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "files/user_folders.h"
#include "settings/settings.h"
#include "render/gsapi.h"
#include "resources/glyphs.h"
#include "single/job_cmdline.h"
#include "win/form_colors.h"
#include "win/program_path.h"

#include <commctrl.h>
#include <shellapi.h>

namespace folimar {

namespace {

// Posted to itself by the window that saves a printed document at once.
constexpr UINT WM_START_AUTOSAVE = WM_APP + 1;

} // namespace

bool TfrmMain::Create()
{
    return CreateMainForm({"TfrmMain", kAppTitle, 403, 224, IDI_FOLIMAR});
}

void TfrmMain::CreateControls()
{
    HWND form = Handle();
    HFONT font = FFont.get();

    Panel1 = win::CreatePanel(form, {0, 0, 403, 52}, idPanel1, font);
    FLogo = MakeLogo(160, 44);
    Image1 =
        win::CreateChild(Panel1, "STATIC", "", WS_VISIBLE | SS_BITMAP | SS_NOTIFY, {1, 1, 160, 44}, idImage1, nullptr);
    ::SendMessageA(Image1, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FLogo.get()));
    SpeedButton2.Create(Panel1, idSpeedButton2, {344, 13, 48, 20}, "About", FLinkFont.get(),
                        win::PictureButton::Layout::Link, win::kPanelColor);

    GroupBox1 = win::CreateGroupBox(form, "Output file name", {16, 67, 369, 68}, idGroupBox1, font);
    Edit1 = win::CreatePathField(GroupBox1, {19, 20, 289, 21}, idEdit1, font, [this] { SpeedButton1Click(); });
    SpeedButton1.Create(GroupBox1, idSpeedButton1, {315, 15, 36, 29}, "", font, win::PictureButton::Layout::Glyph,
                        win::kFormColor, MakeButtonGlyph(Glyph::Browse, win::kFormColor));
    ProgressBar1 = win::CreateChild(GroupBox1, PROGRESS_CLASSA, "", 0, {19, 44, 289, 17}, idProgressBar1, nullptr);
    lblStatus =
        win::CreateChild(GroupBox1, "STATIC", "", SS_NOPREFIX | SS_ENDELLIPSIS, {175, 46, 133, 14}, idLblStatus, font);

    // Alt+C converts and Alt+A cancels; the underlines show only once the keyboard is used.
    sbConvert.Create(form, idSbConvert, {80, 144, 57, 57}, "&Convert", font,
                     win::PictureButton::Layout::GlyphAboveCaption, win::kFormColor,
                     MakeButtonGlyph(Glyph::Convert, win::kFormColor));
    sbCancel.Create(form, idSbCancel, {272, 144, 57, 57}, "C&ancel", font,
                    win::PictureButton::Layout::GlyphAboveCaption, win::kFormColor,
                    MakeButtonGlyph(Glyph::Cancel, win::kFormColor));
    Label1 = win::CreateChild(form, "STATIC", "", SS_NOPREFIX, {75, 67, 310, 14}, idLabel1, font);
    // Tab follows the z-order: the path, browse, Convert and Cancel come first, the banner's About
    // link last.
    ::SetWindowPos(Panel1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    FHints.Create(form);
    FHints.Add(Image1, kProductWebPage);
    FHints.Add(SpeedButton2.Handle(), "about us");
    FHints.Add(Edit1, "filename");
    FHints.Add(SpeedButton1.Handle(), "browse");
    FHints.Add(sbConvert.Handle(), "start conversion");
    FHints.Add(sbCancel.Handle(), "exit application");
    FHints.Add(Label1, "");
    FHints.Add(lblStatus, "");
}

void TfrmMain::FormCreate()
{
    ::SetWindowTextA(Handle(), kAppTitle);
    FInitialFolder = InitialFolderFromDocuments(GetMyDocumentsFolder());

    TJobCommandLine cmd = SplitJobCommandLine(::GetCommandLineA(), win::ProgramPath());
    FJobFile = cmd.FJobFile;
    FCompanionFile = cmd.FCompanionFile;
    FDocTitle = cmd.FDocTitle;
    ::SetWindowTextA(Label1, TitleLabelCaption(FDocTitle).c_str());
    FHints.Update(Label1, FDocTitle);
    if (!FDocTitle.empty())
        SetOutputPath(MakeOutputName(FDocTitle, FInitialFolder));

    FAutoSave = LoadAutoSaveSettings(DataFolderOf(AppDataFolder()));
    const bool autoSave = FAutoSave.autoSave && !FJobFile.empty() && FileExists(StripQuotes(FJobFile));
    if (autoSave)
        ShowCompact(true);

    win::HideKeyboardCues(Handle());
    ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetFocus(autoSave ? sbCancel.Handle() : Edit1);
    // Converted once the window shows and its message loop runs.
    if (autoSave)
        ::PostMessageA(Handle(), WM_START_AUTOSAVE, 0, 0);
}

void TfrmMain::ApplicationEvents1Idle()
{
    const bool jobExists = !FJobFile.empty() && FileExists(StripQuotes(FJobFile));
    SetEnabled(sbConvert.Handle(), ConvertEnabled(FJobFile, FBusy, jobExists, win::GetText(Edit1)));
    // Cancel and the close box stay usable during a conversion: they stop it.
    SetEnabled(sbCancel.Handle(), true);
    SetEnabled(SpeedButton1.Handle(), !FBusy);
    SetEnabled(Edit1, !FBusy);
    SetCloseBoxEnabled(true);
}

void TfrmMain::sbCancelClick()
{
    Close();
}

void TfrmMain::SpeedButton2Click()
{
    TfrmAbout about;
    about.ShowModal(Handle());
}

void TfrmMain::Label4Click()
{
    ::ShellExecuteA(Handle(), "open", kProductWebPage, nullptr, nullptr, SW_SHOW);
}

void TfrmMain::FormDestroy()
{
    // After Cancel or the close box the job goes; the companion file stays for the port, unless a
    // failed conversion kept it, as it keeps the job, for another try.
    if (!FJobFile.empty()) {
        std::string job = StripQuotes(FJobFile);
        if (FileExists(job))
            ::DeleteFileA(job.c_str());
        if (FAttempted && !FCompanionFile.empty())
            ::DeleteFileA(FCompanionFile.c_str());
    }
}

void TfrmMain::Close()
{
    ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void TfrmMain::SetCloseBoxEnabled(bool enabled)
{
    if (enabled == FCloseBoxEnabled)
        return;
    FCloseBoxEnabled = enabled;
    ::EnableMenuItem(::GetSystemMenu(Handle(), FALSE), SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void TfrmMain::SetOutputPath(const std::string& path)
{
    ::SetWindowTextA(Edit1, path.c_str());
    FHints.Update(Edit1, path);
    // A path longer than the field shows its end, the file name, rather than its folder.
    const auto end = static_cast<WPARAM>(path.size());
    ::SendMessageA(Edit1, EM_SETSEL, end, static_cast<LPARAM>(end));
    ::SendMessageA(Edit1, EM_SCROLLCARET, 0, 0);
}

WPARAM TfrmMain::DefaultButtonId() const
{
    // Enter presses the focused button, and Convert from anywhere else.
    return FocusedButtonOr({SpeedButton2.Handle(), SpeedButton1.Handle(), sbConvert.Handle(), sbCancel.Handle()},
                           idSbConvert);
}

void TfrmMain::OnCommand(int id, int code, HWND control)
{
    // A control that looks disabled does nothing, also when a click reaches it some other way.
    if (id == IDCANCEL && !control) {
        // Esc: what the Cancel button would do.
        control = sbCancel.Handle();
        id = idSbCancel;
    }
    // Buttons and the banner's picture both report a click as code 0 (BN_CLICKED, STN_CLICKED).
    if (!control || !::IsWindowEnabled(control) || code != BN_CLICKED)
        return;
    switch (id) {
    case idSbConvert:
        btnConvertClick();
        break;
    case idSbCancel:
        sbCancelClick();
        break;
    case idSpeedButton1:
        SpeedButton1Click();
        break;
    case idSpeedButton2:
        SpeedButton2Click();
        break;
    case idImage1:
        Label4Click();
        break;
    }
}

bool TfrmMain::IsPanelColored(HWND control) const
{
    return control == Panel1 || (control == Edit1 && ::IsWindowEnabled(Edit1));
}

bool TfrmMain::OnSetCursor(HWND control)
{
    if (FBusy) {
        ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        return true;
    }
    if (control == Image1) {
        ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
        return true;
    }
    return Form::OnSetCursor(control);
}

void TfrmMain::OnDrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.hwndItem != Panel1) {
        Form::OnDrawItem(item);
        return;
    }
    RECT rc = item.rcItem;
    ::FillRect(item.hDC, &rc, win::PanelBrush());
    ::DrawEdge(item.hDC, &rc, BDR_RAISEDINNER, BF_RECT);
}

LRESULT TfrmMain::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAGE_PROGRESS:
        WMPageProgress(wParam);
        return 0;
    case WM_START_AUTOSAVE:
        StartAutoSave();
        return 0;
    case WM_CLOSE:
        // During a conversion, closing stops it (and ends the program once its files are gone).
        if (FBusy) {
            CancelConversion();
            return 0;
        }
        ::DestroyWindow(Handle());
        return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace folimar
