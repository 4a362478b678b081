// folimarc: the console converter. Prepares one PostScript job as single-job mode does (page
// count, font program removal, document information) on a working copy, renders it into a
// PDF and shows the pages as Ghostscript reaches them.
#include "jobprep/common.h"
#include "jobprep/job_error.h"
#include "jobprep/strip_fonts.h"
#include "jobprep/text_rules.h"
#include "render/gs_library.h"
#include "render/gsapi.h"
#include "single/conversion_worker.h"
#include "win/app_window.h"
#include "win/error_text.h"
#include "win/handle.h"
#include "win/temp_folder.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

int32_t g_pageCount = 0; // 0: the job gave no usable count
bool g_progressShown = false;

// Receives the page progress that the render module posts to the main window.
LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != folimar::WM_PAGE_PROGRESS)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    int page = static_cast<int>(static_cast<INT_PTR>(wParam));
    g_progressShown = true;
    if (page == -1)
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
    std::fprintf(stderr, "folimarc: %s\n", message.c_str());
    return 1;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

// A folder accepts new files when a uniquely named one can be made there.
bool CanWriteInto(const std::string& folder, DWORD* error)
{
    char name[MAX_PATH + 1] = {};
    if (!::GetTempFileNameA(folder.c_str(), "~", 0, name)) {
        *error = ::GetLastError();
        return false;
    }
    ::DeleteFileA(name);
    return true;
}

// A message-only window that stands in as the application's main window for the progress.
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: folimarc JOB.ps OUT.pdf\n");
        return 1;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];
    // Paths that name another file than the one given, or a device, are refused before any use.
    if (const int lossy = folimar::FirstLossyArgument(::GetCommandLineW()); lossy > 0)
        return Fail("the path " + std::string(argv[lossy]) + " stands for a name with characters that code page " +
                    std::to_string(::GetACP()) + " cannot hold");
    for (const std::string& path : {input, output})
        if (folimar::IsReservedDeviceName(path))
            return Fail(folimar::DeviceNameRefusal(path));
    if (!folimar::FileExists(input))
        return Fail("cannot read the job " + input + ": " + win::SystemErrorText(::GetLastError()));
    std::string searched;
    if (!folimar::LoadGsApi(&searched))
        return Fail("Ghostscript was not found; looked in: " + searched);
    DWORD error = 0;
    if (!CanWriteInto(FolderOf(output), &error))
        return Fail("cannot write " + output + ": " + win::SystemErrorText(error));

    // The job is prepared in place, so work on a copy: the input stays as it was.
    win::TempFolder work;
    if (!work.valid())
        return Fail("cannot make a working folder: " + win::SystemErrorText(::GetLastError()));
    const std::string job = work / "job.ps";
    if (!::CopyFileA(input.c_str(), job.c_str(), FALSE))
        return Fail("cannot copy the job " + input + ": " + win::SystemErrorText(::GetLastError()));
    try {
        folimar::StripFontsAndCountPages(job, g_pageCount);
    } catch (const folimar::JobFileError& e) {
        return Fail(e.what());
    }

    win::UniqueWindow sink = CreateProgressSink();
    win::SetAppMainWindow(sink.get());
    folimar::TConvertParams params{job.c_str(), output.c_str()};
    win::UniqueHandle worker = folimar::StartConversionWorker(params);
    if (!worker)
        return Fail("cannot start the conversion: " + win::SystemErrorText(::GetLastError()));
    DWORD made = folimar::WaitForConversionWorker(worker.get());
    // Progress posted just before the worker ended is still in the queue.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
    win::SetAppMainWindow(nullptr);
    if (g_progressShown)
        std::fprintf(stderr, "\n"); // ends the progress line

    if (!made)
        return Fail("Ghostscript could not convert " + input);
    std::printf("%s\n", output.c_str());
    return 0;
}
