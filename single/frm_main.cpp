// The single-job window.
#include "single/frm_main.h"

#include "app/printer_constants.h"
#include "jobprep/common.h"
#include "single/job_cmdline.h"

namespace folimar {

namespace {

std::string ProgramPath()
{
    char path[MAX_PATH + 1] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

} // namespace

bool TfrmMain::Create()
{
    static const HBRUSH background = ::CreateSolidBrush(RGB(240, 240, 240));
    if (!RegisterClassOnce(kClassName, background))
        return false;
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (!CreateCentred(kClassName, kAppTitle, style, WS_EX_CONTROLPARENT, kClientWidth, kClientHeight))
        return false;
    FormCreate();
    return true;
}

void TfrmMain::FormCreate()
{
    TJobCommandLine cmd = SplitJobCommandLine(::GetCommandLineA(), ProgramPath());
    FJobFile = cmd.FJobFile;
    FCompanionFile = cmd.FCompanionFile;
    FDocTitle = cmd.FDocTitle;
    FOutputName = MakeOutputName(FDocTitle, InitialFolderFromDocuments(GetMyDocumentsFolder()));
    ::ShowWindow(Handle(), SW_SHOW);
}

LRESULT TfrmMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace folimar
