// A thread object: created suspended or running, asked to stop, waited for, freed by its owner.
#pragma once

#include "win/handle.h"

#include <windows.h>

#include <atomic>

namespace win {

class TThread {
public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // The owner frees the object only after WaitFor: the thread must have ended.
    virtual ~TThread() = default;

    // False when the thread could not be made; nothing runs then.
    bool Valid() const { return handle_.valid(); }
    void Resume();
    // Sets the stop request; Execute looks at Terminated() and may sleep on TerminateEvent().
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    // Waits for the end of the thread (at once when it never ran).
    void WaitFor();
    DWORD ThreadID() const { return threadId_; }
    HANDLE Handle() const { return handle_.get(); }

protected:
    // The thread is created suspended; the derived constructor resumes it when asked to.
    TThread();
    virtual void Execute() = 0;
    // Signalled (manual reset) once Terminate has been called: a timed wait on it ends early.
    HANDLE TerminateEvent() const { return terminateEvent_.get(); }

private:
    static DWORD WINAPI ThreadProc(LPVOID self);

    UniqueHandle handle_;
    UniqueHandle terminateEvent_;
    DWORD threadId_ = 0;
    bool resumed_ = false;
    std::atomic<bool> terminated_{false};
};

} // namespace win
