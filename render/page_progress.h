// Page progress from the Ghostscript thread to a window or to an event: the latest page is kept, and
// at most one wake-up waits, so a job's cost does not grow with its markers.
#pragma once

#include <windows.h>

#include <atomic>

namespace folimar {

// Posted to the progress window: wParam = the page when it was posted, or -1 for the
// last page. The handler reads the latest value with TPageProgress::Take.
inline constexpr UINT WM_PAGE_PROGRESS = WM_USER + 150;

// Where Ghostscript's thread reports each page it reaches (-1: the last page).
class TPageSink {
public:
    virtual void Report(int page) noexcept = 0;

protected:
    TPageSink() = default;
    ~TPageSink() = default;
    TPageSink(const TPageSink&) = delete;
    TPageSink& operator=(const TPageSink&) = delete;
};

// Wakes a window with WM_PAGE_PROGRESS; a null window stands for the posting thread's queue.
class TPageProgress final : public TPageSink {
public:
    explicit TPageProgress(HWND window) : window_(window) {}

    // Ghostscript's thread: records the page and wakes the window unless a wake-up is pending.
    void Report(int page) noexcept override;

    // The window's thread, on WM_PAGE_PROGRESS: the latest page; the next report posts again.
    int Take() noexcept;

private:
    HWND window_;
    std::atomic<int> latest_{0};
    std::atomic<bool> pending_{false};
};

// Sets an auto-reset event instead, for a program without windows: it waits with kernel32 alone,
// so it loads neither user32 nor gdi32 (under Wine, their start reads the font configuration; a
// first window would also start Wine's desktop process and wait for it, about a second).
class TPageSignal final : public TPageSink {
public:
    explicit TPageSignal(HANDLE event) : event_(event) {}

    // Ghostscript's thread: records the page and sets the event.
    void Report(int page) noexcept override;

    // The waiting thread, once the event was set: the latest page.
    int Take() const noexcept { return latest_.load(); }

private:
    HANDLE event_;
    std::atomic<int> latest_{0};
};

// Counts the pages only, for a renderer that tells the count when it is done.
class TPageCounter final : public TPageSink {
public:
    // Only Ghostscript's thread writes: a plain read-then-store cannot lose a page.
    void Report(int page) noexcept override
    {
        if (page > highest_.load())
            highest_.store(page);
    }

    // The highest page number reported so far (last-page markers carry none); 0 before any.
    int Highest() const noexcept { return highest_.load(); }

private:
    std::atomic<int> highest_{0};
};

} // namespace folimar
