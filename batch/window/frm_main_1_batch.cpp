// The batch window drives a batch: start, the status messages, the busy animation, stop, shutdown.
#include "batch/window/frm_main_1.h"

#include "base/printer_constants.h"
#include "batch/rules/batch_window_rules.h"
#include "files/folders.h"
#include "win/error_text.h"

#include <algorithm>

namespace folimar {

namespace {

constexpr UINT kTimer1Interval = 200;

} // namespace

void TfrmMain_1::sbStartProcessClick()
{
    if (BatchRunning() || Examining())
        return;
    // A hand-edited setting can name the spool folder, whose files every batch deletes.
    const std::string spoolFolder = SpoolFolderPath();
    if (const std::string refusal =
            OutputFolderRefusal(FOutputFolder, spoolFolder, IsSameOrInsideFolder(FOutputFolder, spoolFolder));
        !refusal.empty()) {
        Box(refusal, "Error", MB_ICONERROR);
        return;
    }
    TBatchSetup setup;
    setup.window = Handle();
    setup.entries = ListView1.BatchEntries();
    setup.overwrite = FOverwrite;
    setup.printLimitMs = FPrintLimitSeconds * 1000;
    const int total = static_cast<int>(std::count_if(
        setup.entries.begin(), setup.entries.end(), [](const TBatchEntry& e) { return e.image == kImageConvertible; }));
    setup.spoolFolder = spoolFolder;
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
    FBatchTotal = total;
    FBatchNumber = FBatchMade = FBatchFailed = 0;
    FBatchStopped = false;
    SetStatusLine("", false);
    SetEnabled(sbStop.Handle(), true);
    // "Stop" takes the place of "Create PDF" at once; the idle rule keeps it so.
    ApplicationEvents1Idle();
    ::SetFocus(sbStop.Handle());
}

void TfrmMain_1::sbStopClick()
{
    // The window stays busy until the thread reports BATCH_FINISHED; a second press does nothing.
    SetEnabled(sbStop.Handle(), false);
    SetStatusLine("Stopping...", false);
    FBatch.Stop();
}

void TfrmMain_1::RowEnded(WPARAM status, int index)
{
    ListView1.SetStatusImage(index, StatusImageAfter(status));
    const std::optional<TRowResult> result = FBatch.RowResult(static_cast<size_t>(index));
    if (status == BATCH_STOPPED || !result) {
        // A row the stop caught is pending again; a result the thread did not record says so.
        const bool stopped = status == BATCH_STOPPED;
        const TRowResult fallback{status == BATCH_ITEM_DONE ? TRowFailure::None : TRowFailure::Other, {}, {}};
        ListView1.SetRowReport(index, stopped ? "stopped" : RowStatusText(fallback),
                               stopped ? "stopped" : RowTipText(fallback));
        if (!stopped)
            ++(status == BATCH_ITEM_DONE ? FBatchMade : FBatchFailed);
        return;
    }
    ++(result->Made() ? FBatchMade : FBatchFailed);
    ListView1.SetRowReport(index, RowStatusText(*result), RowTipText(*result), result->pdfPath);
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
        RowEnded(status, static_cast<int>(index));
        timerOff();
        break;
    case BATCH_STOPPED:
        FBatchStopped = true;
        if (FCurrentItem >= 0)
            RowEnded(status, FCurrentItem);
        timerOff();
        break;
    case BATCH_FINISHED: {
        timerOff();
        FBatch.End();
        SetEnabled(sbStop.Handle(), true);
        SetStatusLine(BatchSummaryText(FBatchMade, FBatchFailed, FBatchStopped), FBatchMade > 0);
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
        ListView1.ShowRow(FCurrentItem);
        ListView1.SetRowReport(FCurrentItem, "converting", "");
        // After a press of Stop the status line keeps saying so.
        if (::IsWindowEnabled(sbStop.Handle()))
            if (const TBatchEntry* entry = ListView1.EntryAt(FCurrentItem))
                SetStatusLine(ProgressText(++FBatchNumber, FBatchTotal, entry->caption), false);
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
