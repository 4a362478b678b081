// Page progress from the Ghostscript thread to a window or a thread: the latest page is kept, and at
// most one wake-up message waits in the queue, so a job's cost does not grow with its markers.
#pragma once

#include <windows.h>

#include <atomic>

namespace folimar {

// Posted to the progress window (or thread): wParam = the page when it was posted, or -1 for the
// last page. The handler reads the latest value with TPageProgress::Take.
inline constexpr UINT WM_PAGE_PROGRESS = WM_USER + 150;

class TPageProgress {
public:
    explicit TPageProgress(HWND window) : window_(window) {}
    // To a thread's own queue, for a program without windows: under Wine the first window of a
    // process starts the desktop process and waits for it, about a second. The thread must have a
    // message queue before the first report (any PeekMessageA call makes one).
    explicit TPageProgress(DWORD threadId) : thread_(threadId), toThread_(true) {}
    // Counts pages only (Highest), posting nothing.
    TPageProgress() : counting_(true) {}
    TPageProgress(const TPageProgress&) = delete;
    TPageProgress& operator=(const TPageProgress&) = delete;

    // Ghostscript's thread: records the page and wakes the window unless a wake-up is pending.
    void Report(int page) noexcept;

    // The window's thread, on WM_PAGE_PROGRESS: the latest page; the next report posts again.
    int Take() noexcept;

    // The highest page number reported so far (last-page markers carry none); 0 before any.
    int Highest() const noexcept { return highest_.load(); }

private:
    HWND window_ = nullptr;
    DWORD thread_ = 0;
    bool toThread_ = false; // else to window_, which may be null: the posting thread's queue
    bool counting_ = false; // neither: nothing is posted
    std::atomic<int> latest_{0};
    std::atomic<bool> pending_{false};
    std::atomic<int> highest_{0};
};

} // namespace folimar
