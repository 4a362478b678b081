// Runs one batch without the batch window:
//   batch_host [--stop-after MS | --stop-on FILE] [--print-limit MS] [--reasons] [--no-disk-guard]
//              OUTFOLDER DOCUMENT...
// Plans each document as the batch list does (overwrite mode, PDFs in OUTFOLDER), puts back what
// a killed batch left as the window does at its start, starts the print-files thread and the
// watcher as the window does, and prints each status message as it arrives ("started 0", "done 0",
// "failed 1", "stopped", "finished"). With --stop-after, the batch is stopped that many
// milliseconds after the first document started; with --stop-on, once FILE exists (looked for
// every 100 ms); --print-limit sets how long a print program may show no job; --reasons adds a
// failed row's reason to its line ("failed 1: file not found"); --no-disk-guard lets a render fill
// its disk, so that Ghostscript itself meets the full disk.
#include "base/printer_constants.h"
#include "batch/window/batch_list_file.h"
#include "batch/pipeline/batch_run.h"
#include "batch/pipeline/print_program_record.h"
#include "files/text_rules.h"
#include "files/user_folders.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace folimar;

constexpr UINT_PTR kStopTimer = 1;
constexpr UINT_PTR kStopFileTimer = 2;
constexpr UINT kStopFilePollMs = 100;

TBatch gBatch;
DWORD gStopAfter = 0;
std::string gStopFile;
bool gReasons = false;
bool gNoDiskGuard = false;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const bool stopFileThere = msg == WM_TIMER && wParam == kStopFileTimer &&
                               ::GetFileAttributesA(gStopFile.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (msg == WM_TIMER && (wParam == kStopTimer || stopFileThere)) {
        ::KillTimer(hwnd, wParam);
        std::printf("stop\n");
        std::fflush(stdout);
        gBatch.Stop();
        return 0;
    }
    if (msg != WM_BATCH_STATUS)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    static const char* const kNames[] = {"failed", "done", "finished", "stopped", "started"};
    if (wParam == BATCH_ITEM_FAILED && gReasons) {
        const std::optional<TRowResult> result = gBatch.RowResult(static_cast<size_t>(lParam));
        std::printf("%s %ld: %s\n", kNames[wParam], static_cast<long>(lParam),
                    result ? RowFailureText(*result).c_str() : "no result");
    } else if (wParam == BATCH_ITEM_FAILED || wParam == BATCH_ITEM_DONE || wParam == BATCH_ITEM_STARTED)
        std::printf("%s %ld\n", kNames[wParam], static_cast<long>(lParam));
    else if (wParam < 5)
        std::printf("%s\n", kNames[wParam]);
    std::fflush(stdout);
    if (wParam == BATCH_ITEM_STARTED && gStopAfter > 0)
        ::SetTimer(hwnd, kStopTimer, std::exchange(gStopAfter, 0), nullptr);
    if (wParam == BATCH_FINISHED) {
        gBatch.End();
        ::PostQuitMessage(0);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int first = 1;
    DWORD printLimitMs = kPrintLimitSeconds * 1000;
    for (; first < argc; ++first) {
        const std::string option = argv[first];
        if (option == "--reasons")
            gReasons = true;
        else if (option == "--no-disk-guard")
            gNoDiskGuard = true;
        else if (option == "--stop-after" && first + 1 < argc)
            gStopAfter = static_cast<DWORD>(std::strtoul(argv[++first], nullptr, 10));
        else if (option == "--stop-on" && first + 1 < argc)
            gStopFile = argv[++first];
        else if (option == "--print-limit" && first + 1 < argc)
            printLimitMs = static_cast<DWORD>(std::strtoul(argv[++first], nullptr, 10));
        else
            break;
    }
    if (argc - first < 1) {
        std::fprintf(stderr,
                     "usage: batch_host [--stop-after MS | --stop-on FILE] [--print-limit MS] [--reasons] "
                     "[--no-disk-guard] OUTFOLDER DOCUMENT...\n");
        return 2;
    }
    const std::string dataFolder = DataFolderOf(AppDataFolder());
    RestorePrinterAfterLostBatch();
    EndPrintProgramAfterLostBatch(dataFolder + kPrintProgramNoteFileName);
    const std::string outFolder = WithTrailingBackslash(argv[first]);
    std::vector<TBatchEntry> entries;
    for (int i = first + 1; i < argc; ++i) {
        std::optional<TBatchEntry> entry = ExamineFile(argv[i], outFolder, true);
        if (!entry) {
            std::fprintf(stderr, "batch_host: %s is refused\n", argv[i]);
            return 2;
        }
        entries.push_back(std::move(*entry));
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "FolimarBatchHost";
    ::RegisterClassA(&wc);
    win::UniqueWindow window(::CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                               wc.hInstance, nullptr));
    if (!window) {
        std::fprintf(stderr, "batch_host: no window\n");
        return 1;
    }
    TBatchSetup setup;
    setup.window = window.get();
    setup.entries = std::move(entries);
    setup.spoolFolder = SpoolFolderPath();
    setup.printerNote = PrinterNotePath();
    setup.printLimitMs = printLimitMs;
    if (gNoDiskGuard)
        setup.diskMargin = {0, 1};
    setup.printProgramNote = dataFolder + kPrintProgramNoteFileName;
    DWORD error = 0;
    switch (gBatch.Start(std::move(setup), error)) {
    case TBatchStart::Started:
        break;
    case TBatchStart::RunningElsewhere:
        std::fprintf(stderr, "batch_host: a batch is running\n");
        return 1;
    case TBatchStart::Failed:
        std::fprintf(stderr, "batch_host: the batch could not start (error %lu)\n", static_cast<unsigned long>(error));
        return 1;
    }
    if (!gStopFile.empty())
        ::SetTimer(window.get(), kStopFileTimer, kStopFilePollMs, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
