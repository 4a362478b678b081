// The jobs the print-queue watcher reports to the print-files thread: a locked queue with a
// wake-up event, so that the print-files thread can wait for a job, the stop and its print
// application at once, and no message loop on either side can take a job away.
#pragma once

#include "win/handle.h"

#include <windows.h>

#include <deque>
#include <mutex>

namespace folimar {

// What became of a job of the virtual printer.
inline constexpr LPARAM JOB_ADDED = 0;      // it was added to the queue
inline constexpr LPARAM JOB_FINISHED = 128; // it was printed, ended in error or is being deleted

struct TSpoolJob {
    DWORD id = 0;
    LPARAM kind = JOB_ADDED;

    bool operator==(const TSpoolJob&) const = default;
};

class TJobQueue {
public:
    // Makes the wake-up event; Valid tells whether it could be made.
    TJobQueue();
    TJobQueue(const TJobQueue&) = delete;
    TJobQueue& operator=(const TJobQueue&) = delete;

    bool Valid() const { return wake_.valid(); }

    // Any thread: adds a job at the end and wakes the taker.
    void Push(const TSpoolJob& job);
    // Any thread: forgets the jobs not taken yet (a document's wait looks only at jobs that
    // appeared after its print started). A closed queue stays closed.
    void Clear();
    // Any thread: no job will come any more (the watcher has ended). Jobs already pushed are
    // still taken; then every wait ends with Closed.
    void Close();

    enum class TWait { Job, Stopped, Closed, Signalled, TimedOut, Failed };
    // Waits up to timeout ms until a job can be taken (the oldest first), stop (never null) is
    // signalled, the queue is closed and empty, or other (may be null) is signalled. The stop
    // wins over everything else that is ready at the same time.
    TWait Take(HANDLE stop, HANDLE other, DWORD timeout, TSpoolJob& job);

private:
    std::mutex lock_;
    std::deque<TSpoolJob> jobs_;
    bool closed_ = false;
    // Manual reset: set while a job waits or the queue is closed, so no wake-up is ever lost.
    win::UniqueHandle wake_;
};

} // namespace folimar
