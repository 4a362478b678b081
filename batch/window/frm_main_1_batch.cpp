// The batch window drives a batch: start, the status messages, the busy animation, stop, shutdown.
#include "batch/window/frm_main_1.h"

#include "base/printer_constants.h"
#include "batch/rules/batch_window_rules.h"
#include "win/error_text.h"

namespace folimar {

namespace {

constexpr UINT kTimer1Interval = 200;

} // namespace

void TfrmMain_1::sbStartProcessClick()
{
    if (BatchRunning())
        return;
    TBatchSetup setup;
    setup.window = Handle();
    setup.entries = ListView1.BatchEntries();
    setup.spoolFolder = SpoolFolderPath();
    setup.printerNote = FDataFolder + kPrinterNoteFileName;
    setup.printProgramNote = FDataFolder + kPrintProgramNoteFileName;
    DWORD error = ERROR_SUCCESS;
    switch (FBatch.Start(std::move(setup), error)) {
    case TBatchStart::Started:
        break;
    case TBatchStart::RunningElsewhere:
        Box("A conversion is in progress,please wait until the conversion finish.", "Warning", MB_ICONWARNING);
        return;
    case TBatchStart::Failed:
        Box(win::SystemErrorText(error), "Error", MB_ICONERROR);
        return;
    }
    // The thread's first status is posted: it comes after these pending icons.
    ListView1.InitListViewItem();
    // "Stop" takes the place of "Create PDF" at once; the idle rule keeps it so.
    ApplicationEvents1Idle();
    ::SetFocus(sbStop.Handle());
}

void TfrmMain_1::sbStopClick()
{
    // The window stays busy until the thread reports BATCH_FINISHED.
    FBatch.Stop();
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
        FBatch.End();
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
    FBatch.Stop();
    FBatch.End();
}

} // namespace folimar
