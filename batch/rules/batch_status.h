// What the print-files thread tells the batch window, and how.
#pragma once

#include <windows.h>

namespace folimar {

// Posted to the batch window: wParam a status below, lParam the entry's index or 0.
inline constexpr UINT WM_BATCH_STATUS = WM_USER + 100;
enum TBatchStatusCode : WPARAM {
    BATCH_ITEM_FAILED = 0,
    BATCH_ITEM_DONE = 1,
    BATCH_FINISHED = 2,
    BATCH_STOPPED = 3,
    BATCH_ITEM_STARTED = 4,
};

} // namespace folimar
