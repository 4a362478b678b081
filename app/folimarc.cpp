// folimarc: the console converter. Renders one PostScript job into a PDF and shows the
// pages as Ghostscript reaches them.
#include "render/gs_library.h"
#include "render/gsapi.h"
#include "win/app_window.h"
#include "win/error_text.h"
#include "win/handle.h"
#include "win/thread_wait.h"
#include "jobprep/common.h"

#include <cstdio>
#include <string>

namespace {

struct Job {
    std::string input;
    std::string output;
    bool ok = false;
};

DWORD WINAPI ConvertThread(LPVOID param)
{
    auto* job = static_cast<Job*>(param);
    try {
        job->ok = folimar::ConvertPsToPdf(job->input, job->output);
    } catch (...) {
        job->ok = false;
    }
    return 0;
}

// Receives the page progress that the render module posts to the main window.
LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == folimar::WM_PAGE_PROGRESS) {
        int page = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (page == -1)
            std::fprintf(stderr, "\rlast page reached   ");
        else
            std::fprintf(stderr, "\rpage %d   ", page);
        std::fflush(stderr);
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: folimarc JOB.ps OUT.pdf\n");
        return 1;
    }
    Job job{argv[1], argv[2]};
    if (!folimar::FileExists(job.input))
        return Fail("cannot read the job " + job.input + ": " + win::SystemErrorText(::GetLastError()));
    std::string searched;
    if (!folimar::LoadGsApi(&searched))
        return Fail("Ghostscript was not found; looked in: " + searched);
    DWORD error = 0;
    if (!CanWriteInto(FolderOf(job.output), &error))
        return Fail("cannot write " + job.output + ": " + win::SystemErrorText(error));

    WNDCLASSA wc{};
    wc.lpfnWndProc = ProgressProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "FolimarcProgress";
    ::RegisterClassA(&wc);
    win::UniqueWindow sink(::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                             wc.hInstance, nullptr));
    win::SetAppMainWindow(sink.get());

    win::UniqueHandle thread(::CreateThread(nullptr, 0, ConvertThread, &job, 0, nullptr));
    if (!thread)
        return Fail("cannot start the conversion: " + win::SystemErrorText(::GetLastError()));
    win::WaitPumpingMessages(thread.get());
    // Progress posted just before the thread ended is still in the queue.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
    win::SetAppMainWindow(nullptr);
    std::fprintf(stderr, "\n");

    if (!job.ok)
        return Fail("Ghostscript could not convert " + job.input);
    std::printf("%s\n", job.output.c_str());
    return 0;
}
