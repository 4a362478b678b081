// Page progress through an event.
#include "render/page_progress.h"

namespace folimar {

void TPageSignal::Report(int page) noexcept
{
    // The page is stored before the event is set: the waiter that wakes reads it.
    latest_.store(page);
    ::SetEvent(event_);
}

} // namespace folimar
