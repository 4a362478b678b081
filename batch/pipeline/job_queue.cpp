// The watcher's job queue.
#include "batch/pipeline/job_queue.h"

namespace folimar {

TJobQueue::TJobQueue() : wake_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

void TJobQueue::Push(const TSpoolJob& job)
{
    std::lock_guard<std::mutex> hold(lock_);
    jobs_.push_back(job);
    ::SetEvent(wake_.get());
}

void TJobQueue::Clear()
{
    std::lock_guard<std::mutex> hold(lock_);
    jobs_.clear();
    if (!closed_)
        ::ResetEvent(wake_.get());
}

void TJobQueue::Close()
{
    std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    ::SetEvent(wake_.get());
}

TJobQueue::TWait TJobQueue::Take(HANDLE stop, HANDLE other, DWORD timeout, TSpoolJob& job)
{
    HANDLE handles[3] = {stop, wake_.get(), other};
    const DWORD count = other ? 3 : 2;
    const DWORD start = ::GetTickCount();
    for (;;) {
        DWORD wait = timeout;
        if (timeout != INFINITE) {
            const DWORD waited = ::GetTickCount() - start;
            wait = waited < timeout ? timeout - waited : 0;
        }
        switch (::WaitForMultipleObjects(count, handles, FALSE, wait)) {
        case WAIT_OBJECT_0:
            return TWait::Stopped;
        case WAIT_OBJECT_0 + 1: {
            std::lock_guard<std::mutex> hold(lock_);
            if (!jobs_.empty()) {
                job = jobs_.front();
                jobs_.pop_front();
                if (jobs_.empty() && !closed_)
                    ::ResetEvent(wake_.get());
                return TWait::Job;
            }
            if (closed_)
                return TWait::Closed;
            // Set only with a job or the close, so not reached; waiting on is safe either way.
            ::ResetEvent(wake_.get());
            continue;
        }
        case WAIT_OBJECT_0 + 2:
            return TWait::Signalled;
        case WAIT_TIMEOUT:
            return TWait::TimedOut;
        default:
            return TWait::Failed;
        }
    }
}

} // namespace folimar
