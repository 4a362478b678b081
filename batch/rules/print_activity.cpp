// The signs of life of a row's printing.
#include "batch/rules/print_activity.h"

namespace folimar {

void TPrintActivity::Look(DWORD now, uint64_t processorMs, uint64_t spoolBytes)
{
    const DWORD between = now - FLookedAt;
    const bool busy =
        FProcessorMs && processorMs > *FProcessorMs && (processorMs - *FProcessorMs) * kBusyShareDivisor >= between;
    // Only growth counts: a job taken out of the folder is no sign of the next one.
    const bool growing = FSpoolBytes && spoolBytes > *FSpoolBytes;
    if (busy || growing)
        FLastSign = now;
    FProcessorMs = processorMs;
    FSpoolBytes = spoolBytes;
    FLookedAt = now;
}

} // namespace folimar
