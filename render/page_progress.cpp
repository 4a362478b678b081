// Coalesced page progress.
#include "render/page_progress.h"

namespace folimar {

void TPageProgress::Report(int page) noexcept
{
    // The page is stored before the flag is tested: a window that clears the flag later reads it.
    latest_.store(page);
    if (pending_.exchange(true))
        return;
    const auto wParam = static_cast<WPARAM>(static_cast<INT_PTR>(page));
    if (!::PostMessageA(window_, WM_PAGE_PROGRESS, wParam, 0))
        pending_.store(false); // nothing waits in the queue, so the next report must post
}

int TPageProgress::Take() noexcept
{
    pending_.store(false);
    return latest_.load();
}

} // namespace folimar
