// The batch window drives a batch: start, the status messages, the busy animation, stop, shutdown.
#include "batch/frm_main_1.h"

#include "batch/batch_window_rules.h"
#include "win/error_text.h"

namespace folimar {

namespace {

constexpr UINT kTimer1Interval = 200;

} // namespace

void TfrmMain_1::sbStartProcessClick()
{
    if (BatchRunning())
        return;
    bool running = false;
    win::UniqueHandle mutex = CreateBatchMutex(running);
    if (running) {
        Box("A conversion is in progress,please wait until the conversion finish.", "Warning", MB_ICONWARNING);
        return;
    }
    if (!mutex) {
        Box(win::SystemErrorText(::GetLastError()), "Error", MB_ICONERROR);
        return;
    }
    ListView1.InitListViewItem();
    FBatch = StartBatch(Handle(), std::move(mutex), ListView1.BatchEntries(), SpoolFolderPath(), FWatcherParams);
    if (!BatchRunning()) {
        Box(win::SystemErrorText(::GetLastError()), "Error", MB_ICONERROR);
        return;
    }
    // "Stop" takes the place of "Create PDF" at once; the idle rule keeps it so.
    ApplicationEvents1Idle();
    ::SetFocus(sbStop.Handle());
}

void TfrmMain_1::sbStopClick()
{
    // The window stays busy until the thread reports BATCH_FINISHED.
    StopBatch(FBatch);
}

void TfrmMain_1::WMBatchStatus(WPARAM status, LPARAM index)
{
    auto timerOff = [this] {
        ::KillTimer(Handle(), idTimer1);
        FTimer1On = false;
    };
    switch (status) {
    case BATCH_ITEM_FAILED:
    case BATCH_ITEM_DONE:
    case BATCH_STOPPED:
        ListView1.SetStatusImage(FCurrentItem, StatusImageAfter(status));
        timerOff();
        break;
    case BATCH_FINISHED: {
        timerOff();
        EndBatch(FBatch);
        // "Stop" goes away with the batch: the focus it had returns to the list.
        const bool stopHadFocus = ::GetFocus() == sbStop.Handle();
        ApplicationEvents1Idle();
        if (stopHadFocus || !::GetFocus())
            ::SetFocus(ListView1.Handle());
        break;
    }
    case BATCH_ITEM_STARTED:
        FCurrentItem = static_cast<int>(index);
        FTimer1On = ::SetTimer(Handle(), idTimer1, kTimer1Interval, nullptr) != 0;
        break;
    }
    if (!FTimer1On)
        FCurrentItem = -1;
}

void TfrmMain_1::Timer1Timer()
{
    if (FCurrentItem < 0 || FCurrentItem >= ListView1.Count())
        return;
    ListView1.SetStatusImage(FCurrentItem, NextBusyFrame(ListView1.StatusImageOf(FCurrentItem)));
}

void TfrmMain_1::FormDestroy()
{
    // A running batch ends before the window goes: its thread is waited for, the default
    // printer put back by it, the print application asked to quit.
    ::KillTimer(Handle(), idTimer1);
    StopBatch(FBatch);
    EndBatch(FBatch);
}

} // namespace folimar
