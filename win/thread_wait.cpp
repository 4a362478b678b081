// Message-pumping wait on a kernel handle.
#include "win/thread_wait.h"

#include "win/window.h"

namespace win {

bool WaitPumpingMessages(HANDLE handle)
{
    for (;;) {
        DWORD r = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Keep the quit request for the outer loop once the wait is over.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                ::WaitForSingleObject(handle, INFINITE);
                return true;
            }
            // Keys keep working while waiting: Esc cancels, Tab moves the focus.
            if (msg.hwnd && HandleDialogKeys(::GetAncestor(msg.hwnd, GA_ROOT), msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool WaitServingSentMessages(HANDLE handle)
{
    for (;;) {
        DWORD r = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r != WAIT_OBJECT_0 + 1)
            return false;
        // Peeking delivers the sent messages; the posted ones stay queued for later.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace win
