// Thread objects.
#include "win/thread.h"

namespace win {

TThread::TThread() : terminateEvent_(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    handle_.reset(::CreateThread(nullptr, 0, &ThreadProc, this, CREATE_SUSPENDED, &threadId_));
}

DWORD WINAPI TThread::ThreadProc(LPVOID self)
{
    static_cast<TThread*>(self)->Execute();
    return 0;
}

void TThread::Resume()
{
    if (handle_ && !resumed_) {
        resumed_ = true;
        ::ResumeThread(handle_.get());
    }
}

void TThread::Terminate()
{
    terminated_.store(true);
    if (terminateEvent_)
        ::SetEvent(terminateEvent_.get());
}

void TThread::WaitFor()
{
    if (!handle_)
        return;
    // A thread that was never resumed would wait for ever: let it run and see the stop request.
    if (!resumed_) {
        Terminate();
        Resume();
    }
    WaitServingSentMessages(handle_.get());
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
