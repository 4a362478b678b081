// The settings dialog and the shell's folder browser.
#include "dialogs/setup.h"

#include "base/resource.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "resources/glyphs.h"
#include "win/form_colors.h"

#include <shlobj.h>

namespace folimar {

namespace {

constexpr char kDefaultBrowseTitle[] = "Select a folder for output file(s)";

// Preselects the folder handed over in data once the browser is ready.
int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED) {
        ::SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, data);
        // Wine's first browser in a process ignores a selection made while it initialises; the
        // same request again, once its loop runs, takes. The folder outlives the modal browser.
        ::PostMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, data);
    }
    return 0;
}

} // namespace

void SetTabStop(HWND control, bool tabStop)
{
    LONG_PTR style = ::GetWindowLongPtrA(control, GWL_STYLE);
    style = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    ::SetWindowLongPtrA(control, GWL_STYLE, style);
}

bool BrowseForFolder(HWND owner, const std::string& title, const std::string& initialFolder, std::string& folder)
{
    folder.clear();
    win::ComApartment com; // the new dialog style needs COM on this thread
    char displayName[MAX_PATH] = {};
    BROWSEINFOA bi{};
    bi.hwndOwner = owner;
    bi.pidlRoot = nullptr; // the desktop
    bi.pszDisplayName = displayName;
    bi.lpszTitle = title.empty() ? kDefaultBrowseTitle : title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    if (!initialFolder.empty()) {
        // The folder reaches the callback as its data: it outlives the browser, which runs modally.
        bi.lpfn = BrowseCallback;
        bi.lParam = reinterpret_cast<LPARAM>(initialFolder.c_str());
    }
    win::TaskMemory<LPITEMIDLIST> item(::SHBrowseForFolderA(&bi));
    if (!item)
        return false;
    // A virtual folder (Control Panel, ...) has no path and counts as no choice.
    char path[MAX_PATH + 1] = {};
    if (!::SHGetPathFromIDListA(item.get(), path) || path[0] == '\0')
        return false;
    folder = WithTrailingBackslash(path);
    return true;
}

bool ShowSettingsDialog(HWND owner, TSettings& settings)
{
    TAutoSaveSettings autoSave{false, settings.outputFolder, kDefaultNamePattern, false, true};
    return ShowSettingsDialog(owner, settings, autoSave);
}

bool ShowSettingsDialog(HWND owner, TSettings& settings, TAutoSaveSettings& autoSave)
{
    TfrmSetting dialog(settings, autoSave);
    if (dialog.ShowModal(owner) != IDOK)
        return false;
    settings = dialog.Settings();
    autoSave = dialog.AutoSave();
    return true;
}

TfrmSetting::TfrmSetting(const TSettings& settings, const TAutoSaveSettings& autoSave)
    : FOrigFolder(settings.outputFolder), FOrigMode(ModeIndex(settings)), FFolder(FOrigFolder), FMode(FOrigMode),
      FOrigAutoSave(autoSave), FAutoSave(autoSave)
{
}

TSettings TfrmSetting::Settings() const
{
    return SettingsFromDialog(FFolder, FMode);
}

bool TfrmSetting::CreateModal(HWND owner)
{
    return CreateDialogForm(owner, {"TfrmSetting", "Setup", 381, kSetupClientHeight, IDI_FOLIMAR});
}

void TfrmSetting::FormCreate()
{
    FChanged = false;
    ShowFolder(FOrigFolder);
    ::SendMessageA(FOrigMode == kModeNewName ? rbNewName : rbOverwrite, BM_SETCHECK, BST_CHECKED, 0);
    SetTabStop(rbNewName, FOrigMode == kModeNewName);
    SetTabStop(rbOverwrite, FOrigMode != kModeNewName);
    ShowPrinted();
    UpdateOk();
    win::HideKeyboardCues(Handle());
    ::SetFocus(Edit1);
}

void TfrmSetting::CreateControls()
{
    HWND form = Handle();
    HFONT font = FFont.get();

    // Tab follows the creation order: the folder, browse, the mode, Ok, Cancel.
    GroupBox1 = win::CreateGroupBox(form, "Folder for output file", {12, 12, 357, 72}, idGroupBox1, font);
    Edit1 = win::CreatePathField(GroupBox1, {14, 30, 286, 21}, idEdit1, font, [this] { SpeedButton1Click(); });
    SpeedButton1.Create(GroupBox1, idSpeedButton1, {307, 26, 36, 29}, "", font, win::PictureButton::Layout::Glyph,
                        win::kFormColor, MakeButtonGlyph(Glyph::Browse, win::kFormColor));

    rdgrpOutputMode = win::CreateGroupBox(form, "When output file exists", {12, 98, 357, 64}, idRdgrpOutputMode, font);
    // Two columns; the arrow keys move between the items as in any radio group.
    rbNewName = win::CreateChild(rdgrpOutputMode, "BUTTON", "New name", WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON,
                                 {16, 28, 150, 20}, idNewName, font);
    rbOverwrite = win::CreateChild(rdgrpOutputMode, "BUTTON", "Overwrite", WS_VISIBLE | BS_AUTORADIOBUTTON,
                                   {186, 28, 150, 20}, idOverwrite, font);

    CreatePrintedControls(form, font);

    const int buttonsTop = kSetupClientHeight - 44;
    BitBtn1 = win::CreateChild(form, "BUTTON", "&Ok", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
                               {206, buttonsTop, 75, 25}, idBitBtn1, font);
    BitBtn2 = win::CreateChild(form, "BUTTON", "&Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                               {294, buttonsTop, 75, 25}, idBitBtn2, font);

    FHints.Create(form);
    FHints.Add(Edit1, "");
}

void TfrmSetting::ShowFolder(const std::string& folder)
{
    FFolder = folder;
    ::SetWindowTextA(Edit1, folder.c_str());
    FHints.Update(Edit1, folder);
}

void TfrmSetting::UpdateOk()
{
    SetEnabled(BitBtn1, FChanged);
}

void TfrmSetting::SpeedButton1Click()
{
    std::string chosen;
    if (BrowseForFolder(Handle(), "", FFolder, chosen)) {
        DWORD error = 0;
        if (CanCreateFileIn(chosen, error))
            ShowFolder(chosen);
        else
            Box(PermissionWarning(chosen), "Warning", MB_OK | MB_ICONWARNING);
    }
    FChanged = ChangedByFolder(FChanged, FFolder, FOrigFolder);
    UpdateOk();
}

void TfrmSetting::rdgrpOutputModeClick()
{
    FMode = ::SendMessageA(rbNewName, BM_GETCHECK, 0, 0) == BST_CHECKED ? kModeNewName : kModeOverwrite;
    // Tab enters the group at its checked item.
    SetTabStop(rbNewName, FMode == kModeNewName);
    SetTabStop(rbOverwrite, FMode != kModeNewName);
    FChanged = ChangedByMode(FChanged, FMode, FOrigMode);
    UpdateOk();
}

bool TfrmSetting::FormCloseQuery(int& result)
{
    if (!AsksToSave(FChanged, result))
        return true;
    result = ResultAfterSaveAnswer(Box(kSaveQuestion, kSaveQuestionCaption, MB_YESNOCANCEL | MB_ICONQUESTION));
    // Saving a pattern that cannot make names is refused as Ok refuses it.
    if (result == IDOK && !PatternAccepted())
        result = 0;
    return result != 0;
}

void TfrmSetting::OnCommand(int id, int code, HWND control)
{
    switch (id) {
    case idBitBtn1:
        // Enter and Alt+O reach here too: a disabled Ok does nothing.
        if (::IsWindowEnabled(BitBtn1) && PatternAccepted())
            SetModalResult(IDOK);
        break;
    case idBitBtn2:
        SetModalResult(IDCANCEL);
        break;
    case idSpeedButton1:
        if (code == BN_CLICKED && control && ::IsWindowEnabled(control))
            SpeedButton1Click();
        break;
    case idNewName:
    case idOverwrite:
        if (code == BN_CLICKED)
            rdgrpOutputModeClick();
        break;
    default:
        PrintedCommand(id, code);
        break;
    }
}

WPARAM TfrmSetting::DefaultButtonId() const
{
    // Enter presses the focused button, and Ok from anywhere else.
    return FocusedButtonOr({SpeedButton1.Handle(), btnPrintedFolder.Handle(), BitBtn1, BitBtn2}, idBitBtn1);
}

} // namespace folimar
