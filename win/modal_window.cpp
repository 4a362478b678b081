// The modal loop shared by the dialogs.
#include "win/modal_window.h"

#include "win/form_colors.h"

namespace win {

bool ModalWindow::CreateDialogForm(HWND owner, const FormClass& form)
{
    if (!RegisterClassOnce(form.className, FormBrush(), form.iconId))
        return false;
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    if (!CreateCentredOn(owner, form.className, form.caption, style, exStyle, form.clientWidth, form.clientHeight))
        return false;
    Populate();
    return true;
}

LRESULT ModalWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE) {
        SetModalResult(IDCANCEL);
        return 0;
    }
    return Form::OnMessage(msg, wParam, lParam);
}

int ModalWindow::ShowModal(HWND owner)
{
    modalResult_ = 0;
    if (!CreateModal(owner))
        return 0;
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (owner)
        ::EnableWindow(owner, FALSE);
    ::ShowWindow(Handle(), SW_SHOW);
    int result = IDCANCEL; // if the window goes by other means
    MSG msg;
    while (Handle()) {
        if (modalResult_ != 0) {
            result = modalResult_;
            // Asked outside any window procedure: the question may run a message box of its own.
            if (CloseQuery(result))
                break;
            modalResult_ = 0;
            result = IDCANCEL;
            continue;
        }
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // leave the quit request for the main loop
            result = IDCANCEL;
            break;
        }
        if (got == -1)
            break;
        if (!HandleDialogKeys(Handle(), msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    // The owner is enabled again before this window goes, so that it gets the activation back.
    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    if (Handle())
        ::DestroyWindow(Handle());
    modalResult_ = 0;
    return result;
}

} // namespace win
