// folimarc: the console converter. Prepares one PostScript job as single-job mode does (page
// count, font program removal, document information) without changing the input, renders it into
// a temporary PDF beside the output and puts that in place only when it is whole.
#include "jobprep/common.h"
#include "jobprep/job_error.h"
#include "jobprep/strip_fonts.h"
#include "jobprep/text_rules.h"
#include "render/gs_library.h"
#include "render/gsapi.h"
#include "render/output_check.h"
#include "render/pdf_output.h"
#include "single/conversion_worker.h"
#include "win/error_text.h"
#include "win/handle.h"
#include "win/temp_folder.h"
#include "win/user_paths.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace {

int32_t g_pageCount = 0; // 0: the job gave no usable count
bool g_progressShown = false;
folimar::TPageProgress* g_progress = nullptr;

// What a stop by Ctrl-C or a closed console must remove; published before it exists.
struct StopState {
    std::atomic<const std::string*> tempPdf{nullptr};
    std::atomic<const std::string*> workFolder{nullptr};
    std::atomic<folimar::TConvertParams*> running{nullptr};
} g_stop;

// Shows the page progress that Ghostscript's thread reports.
LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != folimar::WM_PAGE_PROGRESS || !g_progress)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    int page = g_progress->Take();
    g_progressShown = true;
    if (page == -1 && g_pageCount > 0)
        std::fprintf(stderr, "\rlast page reached (%d pages)      ", static_cast<int>(g_pageCount));
    else if (page == -1)
        std::fprintf(stderr, "\rlast page reached      ");
    else if (g_pageCount > 0)
        std::fprintf(stderr, "\rpage %d of %d      ", page, static_cast<int>(g_pageCount));
    else
        std::fprintf(stderr, "\rpage %d      ", page);
    std::fflush(stderr);
    return 0;
}

int Fail(const std::string& message)
{
    if (g_progressShown)
        std::fprintf(stderr, "\n"); // ends the progress line
    std::fprintf(stderr, "folimarc: %s\n", win::MessageForUser(message).c_str());
    return 1;
}

// Ghostscript cannot be interrupted (it never polls), so a stop removes what this run made and
// ends the process at once.
BOOL WINAPI OnConsoleStop(DWORD)
{
    folimar::TConvertParams* running = g_stop.running.load();
    if (running && !running->Gate.Cancel())
        return TRUE; // the PDF is in place already: the run ends by itself
    if (const std::string* temp = g_stop.tempPdf.load())
        ::DeleteFileA(temp->c_str());
    if (const std::string* folder = g_stop.workFolder.load())
        win::RemoveTree(*folder);
    std::fprintf(stderr, "%sfolimarc: stopped; no PDF was written\n", g_progressShown ? "\n" : "");
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 1);
    return TRUE;
}

// A message-only window that receives the page progress.
win::UniqueWindow CreateProgressSink()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProgressProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "FolimarcProgress";
    ::RegisterClassA(&wc);
    return win::UniqueWindow(
        ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
}

// Why the job cannot be converted, or nothing. A folder or an empty file is no job.
std::optional<std::string> JobProblem(const std::string& input)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    DWORD error = 0;
    if (!win::CheckedCall(error, [&] { return ::GetFileAttributesExA(input.c_str(), GetFileExInfoStandard, &data); }))
        return "cannot read the job " + input + ": " + win::SystemErrorText(error);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return "cannot read the job " + input + ": it is a folder";
    if (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)
        return "the job " + input + " is empty: there is nothing to convert";
    return std::nullopt;
}

struct JobScan {
    bool needsCut = false; // the job holds font programs the strip passes would cut
    std::optional<int32_t> pageCount;
};

// Reads the job through a mapping (no copy of its bytes): whether it needs the strip passes, and its page count.
std::optional<JobScan> ScanJob(const std::string& input, DWORD& error)
{
    win::UniqueHandle file;
    win::UniqueHandle mapping;
    win::MappedView view;
    LARGE_INTEGER size{};
    bool mapped = win::CheckedCall(error, [&] {
        file.reset(::CreateFileA(input.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file || !::GetFileSizeEx(file.get(), &size))
            return false;
        mapping.reset(::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping)
            return false;
        view.reset(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
        return view.valid();
    });
    if (!mapped)
        return std::nullopt;
    std::string_view text(static_cast<const char*>(view.get()), static_cast<size_t>(size.QuadPart));
    JobScan scan;
    scan.needsCut = folimar::MayHoldFontPrograms(text);
    scan.pageCount = folimar::ReadPageCount(text);
    return scan;
}

// What a run makes that a stop must find: it lives until main has unpublished it.
struct Run {
    std::unique_ptr<folimar::TTempPdf> renderFile;
    std::unique_ptr<win::TempFolder> work;
    folimar::TConvertParams params;
};

int Convert(const std::string& input, const std::string& output, Run& run)
{
    if (std::optional<std::string> problem = JobProblem(input))
        return Fail(*problem);
    std::string searched;
    if (!folimar::LoadGsApi(&searched))
        return Fail("Ghostscript was not found; looked in: " + searched);
    if (std::optional<std::string> problem = folimar::OutputProblem(input, output))
        return Fail("cannot write " + output + ": " + *problem);

    // What killed runs left behind goes first.
    win::RemoveDeadRunFolders();
    folimar::RemoveDeadTempPdfs(output);
    run.renderFile = std::make_unique<folimar::TTempPdf>(output);
    if (!run.renderFile->valid())
        return Fail("cannot write " + output + ": " + win::SystemErrorText(run.renderFile->error()));
    g_stop.tempPdf.store(&run.renderFile->path());

    DWORD error = 0;
    std::optional<JobScan> scan = ScanJob(input, error);
    if (!scan)
        return Fail("cannot read the job " + input + ": " + win::SystemErrorText(error));
    g_pageCount = scan->pageCount.value_or(0);

    // Font programs are cut from a working copy: the input stays as it was.
    std::string job = input;
    if (scan->needsCut) {
        run.work = std::make_unique<win::TempFolder>();
        if (!run.work->valid())
            return Fail("cannot make a working folder: " + win::SystemErrorText(win::LastErrorOr()));
        g_stop.workFolder.store(&run.work->path());
        job = *run.work / "job.ps";
        if (!win::CheckedCall(error, [&] { return ::CopyFileA(input.c_str(), job.c_str(), FALSE); }))
            return Fail("cannot copy the job " + input + ": " + win::SystemErrorText(error));
        try {
            folimar::StripFontsAndCountPages(job, g_pageCount);
        } catch (const folimar::JobFileError& e) {
            return Fail(e.what());
        }
    }

    win::UniqueWindow sink = CreateProgressSink();
    folimar::TPageProgress progress(sink.get());
    g_progress = &progress;
    folimar::TConvertParams& params = run.params;
    params.JobFile = job;
    params.PdfFile = output;
    params.RenderFile = run.renderFile->path();
    params.Progress = &progress;
    params.DocInfoInJob = false; // the input is not ours to change
    g_stop.running.store(&params);
    win::UniqueHandle worker = folimar::StartConversionWorker(params);
    if (!worker)
        return Fail("cannot start the conversion: " + win::SystemErrorText(win::LastErrorOr()));
    folimar::WaitForConversionWorker(worker.get());
    // Progress posted just before the worker ended is still in the queue.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);

    using folimar::TConvertOutcome;
    switch (params.Outcome) {
    case TConvertOutcome::Made:
        break;
    case TConvertOutcome::EmptyJob:
        return Fail("the job " + input + " is empty: there is nothing to convert");
    case TConvertOutcome::OutputIsJob:
        return Fail("cannot write " + output + ": it is the job itself");
    case TConvertOutcome::JobError:
        return Fail("cannot read the job " + input + ": " + win::SystemErrorText(params.Error));
    case TConvertOutcome::Incomplete:
        return Fail("the PDF could not be written completely (is the disk full?); " + output + " was not changed");
    case TConvertOutcome::NotPlaced:
        return Fail("cannot put the PDF in place at " + output + ": " + win::SystemErrorText(params.Error));
    default:
        return Fail("Ghostscript could not convert " + input);
    }
    if (g_progressShown)
        std::fprintf(stderr, "\n"); // ends the progress line
    std::printf("%s\n", output.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: folimarc JOB.ps OUT.pdf\n");
        return 1;
    }
    // Paths that name another file than the one given, or a device, are refused before any use.
    if (const int lossy = folimar::FirstLossyArgument(::GetCommandLineW()); lossy > 0)
        return Fail("the path " + std::string(argv[lossy]) + " stands for a name with characters that code page " +
                    std::to_string(::GetACP()) + " cannot hold");
    for (const char* path : {argv[1], argv[2]})
        if (folimar::IsReservedDeviceName(path))
            return Fail(folimar::DeviceNameRefusal(path));
    ::SetConsoleCtrlHandler(OnConsoleStop, TRUE);
    Run run;
    int code = Convert(argv[1], argv[2], run);
    g_progress = nullptr;
    // From here on a stop has nothing of this run to remove.
    g_stop.running.store(nullptr);
    g_stop.workFolder.store(nullptr);
    g_stop.tempPdf.store(nullptr);
    return code;
}
