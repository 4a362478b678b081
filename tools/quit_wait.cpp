// The print programs' message loop, bounded in time.
#include "tools/quit_wait.h"

namespace porttool {

void MakeMessageQueue()
{
    MSG msg;
    ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

bool RunUntilQuit(DWORD maxMs, const std::function<void(const MSG&)>& onThreadMessage)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return true;
            if (!msg.hwnd && onThreadMessage) {
                onThreadMessage(msg);
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        const DWORD passed = ::GetTickCount() - start;
        if (passed >= maxMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, maxMs - passed, QS_ALLINPUT);
    }
}

} // namespace porttool
