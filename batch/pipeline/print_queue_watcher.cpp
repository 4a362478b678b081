// The print-queue watcher. Two sources of the same job reports: the spooler's change
// notifications where the platform has them, else the spool folder, where the port writes one
// file named by the job id once the job has been captured.
#include "batch/pipeline/print_queue_watcher.h"

#include "win/handle.h"

#include <winspool.h>

#include <set>
#include <vector>

namespace folimar {

namespace {

// When the folder's notification is missed (a rename the platform does not report), a rescan
// this often still finds the job.
constexpr DWORD kFolderRescanMs = 1000;

void Post(const TWatcherParams& p, DWORD jobId, LPARAM kind)
{
    if (p.jobs)
        p.jobs->Push(TSpoolJob{jobId, kind});
}

// Reports the first job of the queue for one change.
void ReportFirstJob(const TWatcherParams& p, HANDLE printer, DWORD change)
{
    DWORD needed = 0;
    DWORD returned = 0;
    ::EnumJobsA(printer, 0, 1, 1, nullptr, 0, &needed, &returned);
    if (needed == 0)
        return;
    std::vector<BYTE> buffer(needed);
    if (!::EnumJobsA(printer, 0, 1, 1, buffer.data(), needed, &needed, &returned) || returned == 0)
        return;
    JOB_INFO_1A job;
    memcpy(&job, buffer.data(), sizeof job);
    if (std::optional<LPARAM> kind = SpoolJobEvent(change, job.Status))
        Post(p, job.JobId, *kind);
}

void WatchSpooler(const TWatcherParams& p, HANDLE printer, HANDLE notification)
{
    HANDLE handles[2] = {p.stopEvent, notification};
    for (;;) {
        DWORD r = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (r != WAIT_OBJECT_0 + 1)
            return;
        DWORD change = 0;
        if (!::FindNextPrinterChangeNotification(notification, &change, nullptr, nullptr))
            continue;
        ReportFirstJob(p, printer, change);
    }
}

void WatchSpoolFolder(const TWatcherParams& p)
{
    win::ChangeNotification notification(
        ::FindFirstChangeNotificationA(p.spoolFolder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    // Files there before the batch belong to no job of it.
    std::set<DWORD> known = JobIdsAnnouncedIn(p.spoolFolder);
    HANDLE handles[2] = {p.stopEvent, notification.get()};
    const DWORD count = notification ? 2 : 1;
    for (;;) {
        DWORD r = ::WaitForMultipleObjects(count, handles, FALSE, kFolderRescanMs);
        if (r == WAIT_OBJECT_0 + 1)
            ::FindNextChangeNotification(notification.get());
        else if (r != WAIT_TIMEOUT)
            return;
        const std::set<DWORD> now = JobIdsAnnouncedIn(p.spoolFolder);
        for (DWORD id : now) {
            if (known.count(id))
                continue;
            // The port writes the file only once the job is captured: it is added and done at once.
            Post(p, id, JOB_ADDED);
            Post(p, id, JOB_FINISHED);
        }
        // A file read and deleted frees its name: a later job of the same id is new.
        known = now;
    }
}

void Watch(const TWatcherParams& p)
{
    HANDLE opened = nullptr;
    win::Printer printer(::OpenPrinterA(const_cast<char*>(p.printerName), &opened, nullptr) ? opened : nullptr);
    if (printer) {
        win::PrinterChangeNotification notification(
            ::FindFirstPrinterChangeNotification(printer.get(), PRINTER_CHANGE_JOB, 0, nullptr));
        if (notification) {
            WatchSpooler(p, printer.get(), notification.get());
            return;
        }
    }
    // No spooler notifications here (Wine has none): the port's job files tell the same.
    if (!p.spoolFolder.empty())
        WatchSpoolFolder(p);
}

} // namespace

std::optional<LPARAM> SpoolJobEvent(DWORD changeBits, DWORD jobStatus)
{
    if (changeBits & PRINTER_CHANGE_ADD_JOB)
        return JOB_ADDED;
    if ((changeBits & PRINTER_CHANGE_SET_JOB) &&
        (jobStatus & (JOB_STATUS_PRINTED | JOB_STATUS_ERROR | JOB_STATUS_DELETING)))
        return JOB_FINISHED;
    return std::nullopt;
}

std::optional<DWORD> JobIdOfFileName(std::string_view name)
{
    if (name.empty() || name.size() > 10)
        return std::nullopt;
    unsigned long long id = 0;
    for (char c : name) {
        if (c < '0' || c > '9')
            return std::nullopt;
        id = id * 10 + static_cast<unsigned>(c - '0');
    }
    if (id > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<DWORD>(id);
}

std::set<DWORD> JobIdsAnnouncedIn(const std::string& folder)
{
    std::set<DWORD> ids;
    WIN32_FIND_DATAA found;
    win::FindHandle find(::FindFirstFileA((folder + "*").c_str(), &found));
    if (!find)
        return ids;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (std::optional<DWORD> id = JobIdOfFileName(found.cFileName))
            ids.insert(*id);
    } while (::FindNextFileA(find.get(), &found));
    return ids;
}

DWORD WINAPI PrintQueueWatcher(LPVOID params)
{
    const auto& p = *static_cast<const TWatcherParams*>(params);
    try {
        Watch(p);
    } catch (...) {
        // Nothing more is reported; the close below lets the document that waits for a job fail.
    }
    if (p.jobs)
        p.jobs->Close();
    return 0;
}

} // namespace folimar
