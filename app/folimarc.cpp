// folimarc: the console converter. Prepares one PostScript job as single-job mode does (page
// count, font program removal, document information) without changing the input, renders it into
// a temporary PDF beside the output and puts that in place only when it is whole.
#include "app/lossy_argument.h"
#include "files/text_rules.h"
#include "jobprep/job_error.h"
#include "jobprep/strip_fonts.h"
#include "render/convert_failure.h"
#include "render/converter_protocol.h"
#include "render/converter_server.h"
#include "render/gs_library.h"
#include "render/gsapi.h"
#include "render/output_check.h"
#include "single/conversion_worker.h"
#include "single/convert_rules.h"
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
int g_pageShown = 0; // a job that writes its own page markers reports each page twice
folimar::TPageSignal* g_progress = nullptr;

// What a stop by Ctrl-C or a closed console must remove; published before it exists.
struct StopState {
    std::atomic<const std::string*> workFolder{nullptr};
    std::atomic<folimar::TConvertParams*> running{nullptr};
} g_stop;

// Shows the page progress that Ghostscript's thread reports.
void ShowProgress()
{
    if (!g_progress)
        return;
    const int page = g_progress->Take();
    if (g_progressShown && page == g_pageShown)
        return;
    g_pageShown = page;
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
}

// Waits for the worker, showing its progress meanwhile; progress reported just before it ended is
// shown too.
void WaitShowingProgress(HANDLE worker, HANDLE pageReached)
{
    const HANDLE handles[] = {worker, pageReached};
    for (;;) {
        DWORD r = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (r != WAIT_OBJECT_0 + 1) {
            ::WaitForSingleObject(worker, INFINITE); // the run's state lives on: never leave early
            break;
        }
        ShowProgress();
    }
    if (::WaitForSingleObject(pageReached, 0) == WAIT_OBJECT_0)
        ShowProgress();
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
    // The cancel removes the temporary PDF.
    folimar::TConvertParams* running = g_stop.running.load();
    if (running && !running->Conversion.Cancel())
        return TRUE; // the PDF is in place already: the run ends by itself
    if (const std::string* folder = g_stop.workFolder.load())
        win::RemoveTree(*folder);
    std::fprintf(stderr, "%sfolimarc: stopped; no PDF was written\n", g_progressShown ? "\n" : "");
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 1);
    return TRUE;
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

// What a run makes that a stop must find: it lives until main has unpublished it.
struct Run {
    std::unique_ptr<win::TempFolder> work;
    std::unique_ptr<folimar::TConvertParams> params;
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

    // What killed runs left behind goes first (their temporary PDFs go with the conversion).
    win::RemoveDeadRunFolders();

    // One read of the job gives its page count and, when it holds font programs, a working copy without them: the
    // input stays as it was, and a job without fonts is neither copied nor written.
    run.work = std::make_unique<win::TempFolder>();
    if (!run.work->valid())
        return Fail("cannot make a working folder: " + win::SystemErrorText(win::LastErrorOr()));
    g_stop.workFolder.store(&run.work->path());
    std::string job = *run.work / "job.ps";
    try {
        if (!folimar::CopyWithoutFontsAndCountPages(input, job, g_pageCount))
            job = input;
    } catch (const folimar::JobFileError& e) {
        return Fail("cannot read the job " + input + ": " + win::SystemErrorText(e.code()));
    }

    // Progress comes through an event: no window and no message queue, so neither user32 nor gdi32 is
    // loaded and Wine starts no desktop process.
    win::UniqueHandle pageReached(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!pageReached)
        return Fail("cannot start the conversion: " + win::SystemErrorText(win::LastErrorOr()));
    folimar::TPageSignal progress(pageReached.get());
    g_progress = &progress;
    // The input is not ours to change: the document information goes before it.
    run.params = std::make_unique<folimar::TConvertParams>(
        folimar::TConvertRequest{job, output, folimar::TDocInfoPlace::Prologue, &progress});
    folimar::TConvertParams& params = *run.params;
    g_stop.running.store(&params);
    win::UniqueHandle worker = folimar::StartConversionWorker(params);
    if (!worker)
        return Fail("cannot start the conversion: " + win::SystemErrorText(win::LastErrorOr()));
    WaitShowingProgress(worker.get(), pageReached.get());

    if (!params.Outcome.Made())
        return Fail("could not convert " + input + ": " + folimar::ConvertFailureText(params.Outcome, output));
    if (g_progressShown)
        std::fprintf(stderr, "\n"); // ends the progress line
    std::printf("%s\n", output.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // A batch's converter process: jobs come over standard input, replies go back over standard output.
    if (argc == 2 && std::string_view(argv[1]) == folimar::kRenderJobsArgument)
        return folimar::ServeRenders(::GetStdHandle(STD_INPUT_HANDLE), ::GetStdHandle(STD_OUTPUT_HANDLE));
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
    return code;
}
