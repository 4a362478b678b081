// The batch window drives a batch: start, the status messages, the busy animation, stop, shutdown.
#include "batch/frm_main_1.h"

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
    InitListViewItem();
    FBatch = StartBatch(Handle(), std::move(mutex), BatchEntries(), SpoolFolderPath(), FWatcherParams);
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

std::vector<TBatchEntry> TfrmMain_1::BatchEntries() const
{
    // The thread works from a copy: it never has to ask this window for the list.
    std::vector<TBatchEntry> entries;
    for (int i = 0; i < ListView1.Count(); ++i) {
        const TListEntry* entry = EntryAt(i);
        TBatchEntry copy = entry ? entry->entry : TBatchEntry{};
        if (!entry)
            copy.image = -1; // keeps the indexes of the rows, is never converted
        entries.push_back(std::move(copy));
    }
    return entries;
}

void TfrmMain_1::InitListViewItem()
{
    for (int i = 0; i < ListView1.Count(); ++i)
        SetStatusImage(i, kStatusPending);
}

void TfrmMain_1::SetStatusImage(int index, int image)
{
    if (index < 0 || index >= ListView1.Count())
        return;
    if (TListEntry* entry = EntryOf(ListView1.Param(index)))
        entry->entry.status = image;
    ListView1.SetImage(index, kStatusColumn, image);
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
        SetStatusImage(FCurrentItem, status == BATCH_ITEM_FAILED ? kStatusFailed
                                     : status == BATCH_ITEM_DONE ? kStatusDone
                                                                 : kStatusPending);
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
    SetStatusImage(FCurrentItem, NextBusyFrame(ListView1.Image(FCurrentItem, kStatusColumn)));
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
