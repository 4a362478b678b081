// The settings dialog's group for printed documents: auto-save, its folder, the name pattern with
// its live example, the rule for a taken name, and whether the PDF opens.
#include "dialogs/setup.h"

#include "files/folders.h"
#include "resources/glyphs.h"
#include "settings/name_fields.h"
#include "win/form_colors.h"

namespace folimar {

namespace {

// What the example under the pattern shows for <Title>.
constexpr char kSampleTitle[] = "Annual report";

bool Checked(HWND button)
{
    return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Check(HWND button, bool checked)
{
    ::SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

} // namespace

void TfrmSetting::CreatePrintedControls(HWND form, HFONT font)
{
    auto label = [&](const char* text, win::Bounds bounds, int id) {
        return win::CreateChild(grpPrinted, "STATIC", text, WS_VISIBLE | SS_NOPREFIX, bounds, id, font);
    };
    grpPrinted = win::CreateGroupBox(form, "Printed documents", {12, 176, 357, 242}, idGrpPrinted, font);
    chkAutoSave =
        win::CreateChild(grpPrinted, "BUTTON", "Save printed documents automatically",
                         WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, {14, 22, 330, 20}, idChkAutoSave, font);
    label("Folder for printed documents:", {14, 48, 329, 14}, idLblPrintedFolder);
    edtPrintedFolder = win::CreatePathField(grpPrinted, {14, 66, 286, 21}, idEdtPrintedFolder, font,
                                            [this] { BrowsePrintedFolder(); });
    btnPrintedFolder.Create(grpPrinted, idBtnPrintedFolder, {307, 62, 36, 29}, "", font,
                            win::PictureButton::Layout::Glyph, win::kFormColor,
                            MakeButtonGlyph(Glyph::Browse, win::kFormColor));
    label("File name pattern: text and the fields <Title> <Date> <Time> <User> <Counter>", {14, 94, 329, 28},
          idLblPattern);
    edtPattern = win::CreateChild(grpPrinted, "EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, {14, 126, 329, 21},
                                  idEdtPattern, font, WS_EX_CLIENTEDGE);
    // Two lines: a refusal's reason is longer than a name.
    lblExample = label("", {14, 152, 329, 28}, idLblExample);
    label("When the name is taken:", {14, 190, 140, 16}, idLblTaken);
    rbAutoNewName = win::CreateChild(grpPrinted, "BUTTON", "New name", WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON,
                                     {156, 188, 90, 20}, idRbAutoNewName, font);
    rbAutoOverwrite = win::CreateChild(grpPrinted, "BUTTON", "Overwrite", WS_VISIBLE | BS_AUTORADIOBUTTON,
                                       {250, 188, 90, 20}, idRbAutoOverwrite, font);
    chkOpenPdf =
        win::CreateChild(grpPrinted, "BUTTON", "Open the PDF when it is made",
                         WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, {14, 214, 330, 20}, idChkOpenPdf, font);
    FHints.Add(edtPrintedFolder, "");
}

void TfrmSetting::ShowPrinted()
{
    Check(chkAutoSave, FAutoSave.autoSave);
    ::SetWindowTextA(edtPrintedFolder, FAutoSave.folder.c_str());
    FHints.Update(edtPrintedFolder, FAutoSave.folder);
    ::SetWindowTextA(edtPattern, FAutoSave.pattern.c_str());
    Check(rbAutoNewName, !FAutoSave.overwrite);
    Check(rbAutoOverwrite, FAutoSave.overwrite);
    SetTabStop(rbAutoNewName, !FAutoSave.overwrite);
    SetTabStop(rbAutoOverwrite, FAutoSave.overwrite);
    Check(chkOpenPdf, FAutoSave.openPdf);
    ShowExample();
    // From now on what the controls report is the user's doing.
    FPrintedShown = true;
}

void TfrmSetting::ReadPrinted()
{
    FAutoSave.autoSave = Checked(chkAutoSave);
    FAutoSave.pattern = win::GetText(edtPattern);
    FAutoSave.overwrite = Checked(rbAutoOverwrite);
    SetTabStop(rbAutoNewName, !FAutoSave.overwrite);
    SetTabStop(rbAutoOverwrite, FAutoSave.overwrite);
    FAutoSave.openPdf = Checked(chkOpenPdf);
    // Once changed, the dialog counts as changed, as with the batch's settings.
    FChanged = FChanged || !(FAutoSave == FOrigAutoSave);
    UpdateOk();
}

void TfrmSetting::ShowExample()
{
    ::SetWindowTextA(lblExample,
                     PatternExampleText(FAutoSave.pattern, FAutoSave.folder, NameFieldsNow(kSampleTitle)).c_str());
}

void TfrmSetting::PrintedCommand(int id, int code)
{
    if (!FPrintedShown)
        return;
    switch (id) {
    case idChkAutoSave:
    case idRbAutoNewName:
    case idRbAutoOverwrite:
    case idChkOpenPdf:
        if (code == BN_CLICKED)
            ReadPrinted();
        break;
    case idEdtPattern:
        if (code == EN_CHANGE) {
            ReadPrinted();
            ShowExample();
        }
        break;
    case idBtnPrintedFolder:
        if (code == BN_CLICKED && ::IsWindowEnabled(btnPrintedFolder.Handle()))
            BrowsePrintedFolder();
        break;
    }
}

void TfrmSetting::BrowsePrintedFolder()
{
    std::string chosen;
    if (!BrowseForFolder(Handle(), "Select a folder for printed documents", FAutoSave.folder, chosen))
        return;
    DWORD error = 0;
    if (!CanCreateFileIn(chosen, error)) {
        Box(PermissionWarning(chosen), "Warning", MB_OK | MB_ICONWARNING);
        return;
    }
    FAutoSave.folder = chosen;
    ::SetWindowTextA(edtPrintedFolder, chosen.c_str());
    FHints.Update(edtPrintedFolder, chosen);
    ShowExample();
    ReadPrinted();
}

bool TfrmSetting::PatternAccepted()
{
    const std::string problem = NamePatternProblem(FAutoSave.pattern, FAutoSave.folder, NameFieldsNow({}).user);
    if (problem.empty())
        return true;
    Box("The file name pattern cannot be used: " + problem + ".", "Setup", MB_OK | MB_ICONWARNING);
    ::SetFocus(edtPattern);
    return false;
}

} // namespace folimar
