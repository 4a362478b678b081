// The batch window: its controls, creation, idle rule, help, about and the web link.
#include "batch/window/frm_main_1.h"

#include "base/printer_constants.h"
#include "base/product_info.h"
#include "base/resource.h"
#include "batch/rules/batch_window_rules.h"
#include "batch/pipeline/default_printer.h"
#include "batch/pipeline/print_program_record.h"
#include "dialogs/about.h"
#include "dialogs/setup.h"
#include "files/text_rules.h"
#include "files/user_folders.h"
#include "resources/glyphs.h"
#include "win/form_colors.h"
#include "win/program_path.h"

#include <shellapi.h>
#include <windowsx.h>

namespace folimar {

TfrmMain_1::~TfrmMain_1()
{
    // The controls' objects are members: the window and its controls go first.
    if (Handle())
        ::DestroyWindow(Handle());
}

bool TfrmMain_1::Create()
{
    return CreateMainForm({"TfrmMain_1", kAppTitle, 583, 407, IDI_FOLIMAR});
}

void TfrmMain_1::CreateControls()
{
    HWND form = Handle();
    HFONT font = FFont.get();
    using Layout = win::PictureButton::Layout;

    Panel1 = win::CreatePanel(form, {0, 0, 583, 70}, idPanel1, font);
    sbAddFiles.Create(Panel1, idSbAddFiles, {4, 3, 70, 65}, "&Add File(s)", font, Layout::GlyphAboveCaption,
                      win::kPanelColor, MakeButtonGlyph(Glyph::AddFiles, win::kPanelColor));
    sbStartProcess.Create(Panel1, idSbStartProcess, {76, 3, 70, 65}, "&Create PDF", font, Layout::GlyphAboveCaption,
                          win::kPanelColor, MakeButtonGlyph(Glyph::Convert, win::kPanelColor));
    sbSetup.Create(Panel1, idSbSetup, {148, 3, 70, 65}, "&Setting", font, Layout::GlyphAboveCaption, win::kPanelColor,
                   MakeButtonGlyph(Glyph::Setting, win::kPanelColor));
    // "Stop" takes the place of "Create PDF": the two are never shown together.
    sbStop.Create(Panel1, idSbStop, {76, 3, 70, 65}, "Sto&p", font, Layout::GlyphAboveCaption, win::kPanelColor,
                  MakeButtonGlyph(Glyph::Stop, win::kPanelColor));
    ::ShowWindow(sbStop.Handle(), SW_HIDE);
    lblHelp.Create(Panel1, idLblHelp, {470, 8, 48, 20}, "Help", FLinkFont.get(), Layout::Link, win::kPanelColor);
    ::ShowWindow(lblHelp.Handle(), SW_HIDE);
    lblAbout.Create(Panel1, idLblAbout, {526, 8, 48, 20}, "About", FLinkFont.get(), Layout::Link, win::kPanelColor);

    // The hints exist before the controls that add tools to them.
    FHints.Create(form);
    ListView1.Create(
        form, {0, 70, 583, 306}, idListView1, font, FHints, [this] { return BatchRunning(); },
        [this](const std::vector<std::string>& paths) { AddFilesToList(paths); });

    Panel2 = win::CreatePanel(form, {0, 376, 583, 31}, idPanel2, font);
    lblUrl.Create(Panel2, idLblUrl, {8, 6, 110, 20}, kMakerWebAddress, FLinkFont.get(), Layout::Link, win::kFormColor);
    lblStatus = win::CreateChild(Panel2, "STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS,
                                 {126, 9, 330, 16}, idLblStatus, font);
    lblOpenFolder.Create(Panel2, idLblOpenFolder, {460, 6, 118, 20}, "Open output folder", FLinkFont.get(),
                         Layout::Link, win::kFormColor);
    ::ShowWindow(lblOpenFolder.Handle(), SW_HIDE);

    FHints.Add(sbAddFiles.Handle(), "Add file(s) into list");
    FHints.Add(sbStartProcess.Handle(), "start to create pdf");
    FHints.Add(sbSetup.Handle(), "settings");
    FHints.Add(lblUrl.Handle(), kProductWebPage);
}

void TfrmMain_1::FormCreate()
{
    ::SetWindowTextA(Handle(), kAppTitle);
    const bool printerInstalled = IsPrinterInstalled(kPrinterName);
    if (!printerInstalled)
        Box("Sorry, some core components not found, application will be terminated!", "Quorvel Folimar Error",
            MB_ICONERROR);
    FDataFolder = DataFolderOf(AppDataFolder());
    RestorePrinterAfterLostBatch();
    EndPrintProgramAfterLostBatch(FDataFolder + kPrintProgramNoteFileName);
    TSettings settings = LoadSettings(FDataFolder);
    FOutputFolder = settings.outputFolder;
    FOverwrite = settings.overwrite;
    FPrintLimitSeconds = settings.printLimitSeconds;
    if (!printerInstalled) {
        // The program ends as soon as its message loop runs; the window is never shown.
        ::PostQuitMessage(1);
        return;
    }
    win::HideKeyboardCues(Handle());
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetFocus(ListView1.Handle());
}

void TfrmMain_1::ApplicationEvents1Idle()
{
    // The list stays usable during a batch (scrolling, opening PDFs); it refuses edits itself.
    const TBatchButtonStates states = BatchButtonStates(BatchRunning(), ListView1.ConvertibleCount(), Examining());
    SetEnabled(sbAddFiles.Handle(), states.addFilesEnabled);
    SetEnabled(sbSetup.Handle(), states.setupEnabled);
    SetEnabled(sbStartProcess.Handle(), states.startEnabled);
    SetVisible(sbStartProcess.Handle(), states.startVisible);
    SetVisible(sbStop.Handle(), states.stopVisible);
}

void TfrmMain_1::sbSetupClick()
{
    TSettings settings{FOutputFolder, FOverwrite};
    // The printed documents' settings are single-job mode's: read fresh, saved beside the batch's.
    TAutoSaveSettings autoSave = LoadAutoSaveSettings(FDataFolder);
    if (!ShowSettingsDialog(Handle(), settings, autoSave))
        return;
    const bool replan = settings.outputFolder != FOutputFolder || settings.overwrite != FOverwrite;
    FOutputFolder = WithTrailingBackslash(settings.outputFolder);
    FOverwrite = settings.overwrite;
    if (replan)
        ReplanWaitingRows();
    settings.outputFolder = FOutputFolder;
    if (!SaveSettings(FDataFolder, settings) || !SaveAutoSaveSettings(FDataFolder, autoSave))
        Box(SaveSettingsFailedText(FDataFolder), "Error", MB_ICONERROR);
}

void TfrmMain_1::lblOpenFolderClick()
{
    ::ShellExecuteA(Handle(), "open", FOutputFolder.c_str(), nullptr, nullptr, SW_SHOW);
}

void TfrmMain_1::SetStatusLine(const std::string& text, bool openFolderShown)
{
    FStatusText = text;
    FOpenFolderShown = openFolderShown;
    ::SetWindowTextA(lblStatus, text.c_str());
    SetVisible(lblOpenFolder.Handle(), openFolderShown);
}

bool TfrmMain_1::OnSetCursor(HWND control)
{
    // Dropped files still being examined: the window answers, but is busy.
    if (Examining()) {
        ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_APPSTARTING)));
        return true;
    }
    return Form::OnSetCursor(control);
}

void TfrmMain_1::lblAboutClick()
{
    TfrmAbout about;
    about.ShowModal(Handle());
}

void TfrmMain_1::lblHelpClick()
{
    FHelp.Open(Handle(), win::ProgramPath());
}

void TfrmMain_1::lblUrlClick()
{
    ::ShellExecuteA(Handle(), "open", kProductWebPage, nullptr, nullptr, SW_SHOW);
}

void TfrmMain_1::FormKeyUp(WPARAM key)
{
    if (key == VK_F1)
        lblHelpClick();
}

bool TfrmMain_1::PreviewMessage(const MSG& msg)
{
    // Keys reach the window before its controls; F1 opens the help whatever has the focus, also
    // with Alt held (a system key then).
    if ((msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) &&
        (msg.hwnd == Handle() || ::IsChild(Handle(), msg.hwnd)))
        FormKeyUp(msg.wParam);
    return false;
}

WPARAM TfrmMain_1::DefaultButtonId() const
{
    // Enter on the list opens the focused row's PDF: it must never start the batch again.
    if (::GetFocus() == ListView1.Handle())
        return idOpenFocusedPdf;
    // Enter presses the focused button, and "Create PDF" from anywhere else.
    return FocusedButtonOr({sbAddFiles.Handle(), sbStartProcess.Handle(), sbSetup.Handle(), sbStop.Handle(),
                            lblAbout.Handle(), lblUrl.Handle()},
                           idSbStartProcess);
}

void TfrmMain_1::OnCommand(int id, int code, HWND control)
{
    switch (id) {
    case idRemoveSelected1:
        RemoveSelected1Click();
        return;
    case idRemoveAll1:
        RemoveAll1Click();
        return;
    case idOpenPDFDoc1:
        OpenPDFDoc1Click();
        return;
    case idOpenFolder1:
        OpenFolder1Click();
        return;
    case idOpenFocusedPdf:
        OpenPdfOfRow(ListView1.NextSelected());
        return;
    }
    // Enter reaches the window without the control: the buttons live on the panels.
    if (!control) {
        for (const win::PictureButton* button : {&sbAddFiles, &sbStartProcess, &sbSetup, &sbStop}) {
            if (::GetDlgCtrlID(button->Handle()) == id)
                control = button->Handle();
        }
    }
    // A control that looks disabled or hidden does nothing, also when a click reaches it some other way.
    if (!control || !::IsWindowEnabled(control) || !::IsWindowVisible(control) || code != BN_CLICKED)
        return;
    switch (id) {
    case idSbAddFiles:
        sbAddFilesClick();
        break;
    case idSbStartProcess:
        sbStartProcessClick();
        break;
    case idSbStop:
        sbStopClick();
        break;
    case idSbSetup:
        sbSetupClick();
        break;
    case idLblHelp:
        lblHelpClick();
        break;
    case idLblAbout:
        lblAboutClick();
        break;
    case idLblUrl:
        lblUrlClick();
        break;
    case idLblOpenFolder:
        lblOpenFolderClick();
        break;
    }
}

void TfrmMain_1::OnDrawItem(const DRAWITEMSTRUCT& item)
{
    RECT rc = item.rcItem;
    if (item.hwndItem == Panel1) {
        ::FillRect(item.hDC, &rc, win::PanelBrush());
        ::DrawEdge(item.hDC, &rc, EDGE_ETCHED, BF_BOTTOM);
    } else if (item.hwndItem == Panel2) {
        ::FillRect(item.hDC, &rc, win::FormBrush());
        ::DrawEdge(item.hDC, &rc, EDGE_ETCHED, BF_TOP);
    } else {
        Form::OnDrawItem(item);
    }
}

LRESULT TfrmMain_1::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == ListView1.Handle()) {
            ShowPopupMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // As in a dialog: the control that had the focus gets it back when the window does (after
        // a message box, the about window or the open dialog).
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            FFocus = focus && ::IsChild(Handle(), focus) ? focus : nullptr;
        } else if (!HIWORD(wParam)) {
            ::SetFocus(FFocus && ::IsWindow(FFocus) && ::IsWindowVisible(FFocus) ? FFocus : ListView1.Handle());
        }
        return 0;
    case WM_MENUSELECT:
        PopupMenu1Select(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_FREE_ROW_BUTTON:
        ListView1.WMFreeRowButton(wParam);
        return 0;
    case WM_BATCH_STATUS:
        WMBatchStatus(wParam, lParam);
        return 0;
    case WM_EXAMINE_FILES:
        ExamineNextFiles();
        return 0;
    case WM_TIMER:
        if (wParam == idTimer1) {
            Timer1Timer();
            return 0;
        }
        if (FHelp.OnTimer(wParam))
            return 0;
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace folimar
