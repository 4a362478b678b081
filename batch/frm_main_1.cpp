// The batch window.
#include "batch/frm_main_1.h"

#include "base/printer_constants.h"
#include "win/form_colors.h"

namespace folimar {

bool TfrmMain_1::Create()
{
    if (!RegisterClassOnce(kClassName, win::FormBrush()))
        return false;
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (!CreateCentred(kClassName, kAppTitle, style, WS_EX_CONTROLPARENT, kClientWidth, kClientHeight))
        return false;
    ::ShowWindow(Handle(), SW_SHOW);
    return true;
}

LRESULT TfrmMain_1::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace folimar
