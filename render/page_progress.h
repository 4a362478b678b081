// Page progress from the Ghostscript thread to a window: the latest page is kept, and at most one
// wake-up message waits in the window's queue, so a job's cost does not grow with its markers.
#pragma once

#include <windows.h>

#include <atomic>

namespace folimar {

// Posted to the progress window: wParam = the page when it was posted, or -1 for the last page.
// The handler reads the latest value with TPageProgress::Take.
inline constexpr UINT WM_PAGE_PROGRESS = WM_USER + 150;

class TPageProgress {
public:
    explicit TPageProgress(HWND window) : window_(window) {}
    TPageProgress(const TPageProgress&) = delete;
    TPageProgress& operator=(const TPageProgress&) = delete;

    // Ghostscript's thread: records the page and wakes the window unless a wake-up is pending.
    void Report(int page) noexcept;

    // The window's thread, on WM_PAGE_PROGRESS: the latest page; the next report posts again.
    int Take() noexcept;

private:
    HWND window_;
    std::atomic<int> latest_{0};
    std::atomic<bool> pending_{false};
};

} // namespace folimar
