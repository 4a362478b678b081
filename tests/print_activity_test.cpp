// The signs of life of a row's printing, by table: when its limit starts counting again.
#include "tests/gtest_win.h"

#include "batch/rules/print_activity.h"

#include <vector>

using namespace folimar;

namespace {

struct Look {
    DWORD at;
    uint64_t processorMs;
    uint64_t spoolBytes;
};

TEST(PrintActivity, TheProcessorBusyOrTheSpoolFolderGrowingIsASignOfLife)
{
    struct Case {
        const char* what;
        std::vector<Look> looks; // the print started at tick 1000
        DWORD quietAt10000;
    } cases[] = {
        {"no look: quiet since the start", {}, 9000},
        {"idle program, nothing captured", {{2000, 5, 0}, {3000, 5, 0}, {9000, 6, 0}}, 9000},
        {"busy all along", {{2000, 0, 0}, {3000, 900, 0}, {9000, 6900, 0}}, 1000},
        {"busy, then idle", {{2000, 0, 0}, {3000, 900, 0}, {4000, 905, 0}, {9000, 910, 0}}, 7000},
        {"a little under a twentieth of the time is idle", {{2000, 0, 0}, {3000, 49, 0}}, 9000},
        {"a twentieth of the time is busy", {{2000, 0, 0}, {3000, 50, 0}}, 7000},
        {"a job growing, the program idle", {{2000, 0, 0}, {5000, 0, 100}, {8000, 0, 5000}}, 2000},
        {"a job taken out of the folder is no sign", {{2000, 0, 5000}, {8000, 0, 0}}, 9000},
        {"then a new one growing is", {{2000, 0, 5000}, {3000, 0, 0}, {6000, 0, 10}}, 4000},
        {"the first look only sets what the next compares with", {{9000, 100000, 100000}}, 9000},
    };
    for (const Case& c : cases) {
        TPrintActivity activity(1000);
        for (const Look& look : c.looks)
            activity.Look(look.at, look.processorMs, look.spoolBytes);
        EXPECT_EQ(activity.QuietMs(10000), c.quietAt10000) << c.what;
    }
    // The tick count wraps after 49.7 days: the time between looks still counts right.
    TPrintActivity wrapped(0xFFFFF000u);
    wrapped.Look(0x00000500u, 0, 0);
    wrapped.Look(0x00000900u, 500, 0);
    EXPECT_EQ(wrapped.QuietMs(0x00001000u), 0x700u);
}

} // namespace
