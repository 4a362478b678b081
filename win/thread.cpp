// Thread objects.
#include "win/thread.h"

#include "win/thread_wait.h"

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

} // namespace win
