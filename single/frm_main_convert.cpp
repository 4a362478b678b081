// The single-job window's conversion: browse with the write test, Convert, progress and clean-up.
#include "single/frm_main.h"

#include "base/printer_constants.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "jobprep/strip_fonts.h"
#include "render/pdf_output.h"
#include "single/conversion_worker.h"
#include "win/error_text.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <exception>
#include <optional>
#include <vector>

namespace folimar {

namespace {

constexpr size_t kFileBufferSize = 1024;

// Centres the save dialog on its owner once it is laid out; by itself it opens at the owner's
// top-left corner.
UINT_PTR CALLBACK CentreOnOwnerHook(HWND hook, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_NOTIFY || reinterpret_cast<const OFNOTIFYA*>(lParam)->hdr.code != CDN_INITDONE)
        return 0;
    HWND dialog = ::GetParent(hook); // the hook is a child of the Explorer-style dialog
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    RECT d{};
    if (!owner || !::GetWindowRect(dialog, &d))
        return 0;
    const POINT pt = win::CentreOn(owner, d.right - d.left, d.bottom - d.top);
    ::SetWindowPos(dialog, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

} // namespace

void TfrmMain::SpeedButton1Click()
{
    std::vector<char> file(kFileBufferSize, '\0');
    std::string name(FileNamePart(win::GetText(Edit1)));
    name.copy(file.data(), file.size() - 1);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Handle();
    ofn.lpstrFilter = "PDF Files\0*.pdf\0";
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = FInitialFolder.c_str();
    ofn.lpstrTitle = "Input file name";
    ofn.lpstrDefExt = "pdf";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_ENABLEHOOK;
    ofn.lpfnHook = CentreOnOwnerHook;
    if (!::GetSaveFileNameA(&ofn))
        return;
    std::string chosen = file.data();
    if (IsReservedDeviceName(chosen)) {
        Box(DeviceNameRefusal(chosen), "Error", MB_OK | MB_ICONERROR);
        return;
    }

    // The write test: a uniquely named empty file in the chosen folder.
    std::string folder(FolderPart(chosen));
    DWORD error = 0;
    if (CanCreateFileIn(folder, error)) {
        SetOutputPath(chosen);
        return;
    }
    // The path the user had stays: emptying it would lose a good proposal for a bad choice, and
    // Convert stays usable with it. The message names the folder that was refused.
    Box(folder + "\n" + win::SystemErrorText(error, 1024), "Error", MB_OK | MB_ICONERROR);
}

void TfrmMain::btnConvertClick()
{
    const std::string jobPath = StripQuotes(FJobFile);
    const std::string pdfPath = win::GetText(Edit1);
    if (FileExists(pdfPath) &&
        Box(OverwriteQuestion(pdfPath), "confirm overwrite", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    BeginBusy();
    std::optional<std::string> error;
    try {
        ConvertJob(jobPath, pdfPath);
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "An unexpected error occurred.";
    }
    CleanUp();
    // The top-level report of an error raised by the conversion steps (a job that cannot be
    // read): shown while the window is still there to own it; the program ends after it.
    if (error)
        Box(*error, kAppTitle, MB_OK | MB_ICONERROR);
    Close();
}

void TfrmMain::BeginBusy()
{
    FBusy = true;
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    // The idle rule does not run while the worker is awaited, so the controls are set here.
    // Cancel and the close box stay: they stop the conversion.
    SetEnabled(sbConvert.Handle(), false);
    SetEnabled(SpeedButton1.Handle(), false);
    SetEnabled(Edit1, false);
}

void TfrmMain::ConvertJob(const std::string& jobPath, const std::string& pdfPath)
{
    int32_t pageCount = 0; // stays 0 when the job gives no usable count
    StripFontsAndCountPages(jobPath, pageCount);
    ShowBar(StartBar(pageCount));
    ::ShowWindow(ProgressBar1, SW_SHOW);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    FProgress = std::make_unique<TPageProgress>(Handle());
    // The PDF is written beside its target and replaces it only when whole.
    TConvertParams params({jobPath, pdfPath, TDocInfoPlace::AppendToJob, FProgress.get()});
    win::UniqueHandle worker = StartConversionWorker(params);
    if (!worker) {
        DWORD code = win::LastErrorOr();
        Box(win::SystemErrorText(code), "Failed", MB_OK | MB_ICONERROR);
        return;
    }
    DWORD exitCode = 0;
    {
        // Cancel and the close box reach the conversion through FRunning while it is awaited.
        struct Running {
            TConvertParams*& slot;
            ~Running() { slot = nullptr; }
        } running{FRunning = &params};
        exitCode = WaitForConversionWorker(worker.get());
    }
    worker.reset();
    if (params.Outcome.reason == TConvertReason::FolderNotWritable) {
        Box(win::SystemErrorText(params.Outcome.error), "Failed", MB_OK | MB_ICONERROR);
        return;
    }
    // The last page may still wait behind a pending wake-up.
    if (int page = FProgress->Take(); page != 0)
        ShowBar(PageProgress(FBar, page));
    ShowBar(FinishBar(FBar));
    ReportOutcome(exitCode, pdfPath);
}

void TfrmMain::CancelConversion()
{
    // Nothing runs, or the PDF is in place already: the conversion then ends by itself.
    if (!FRunning || !FRunning->Conversion.Cancel())
        return;
    // Ghostscript cannot be stopped from outside (it never polls), so the process ends here, once
    // what the attempt leaves has gone: the partial PDF (the cancel removed it), then the job
    // files as after any attempt.
    FRunning = nullptr;
    CleanUp();
    Box("The conversion was cancelled.", kAppTitle, MB_OK | MB_ICONINFORMATION);
    ::TerminateProcess(::GetCurrentProcess(), 1);
}

void TfrmMain::ReportOutcome(DWORD exitCode, const std::string& pdfPath)
{
    if (exitCode == 0) {
        Box("An unknown error occurred, the conversion failed.", "Failed", MB_OK | MB_ICONERROR);
        return;
    }
    Box("The coversion completed!", "success", MB_OK | MB_ICONINFORMATION);
    SHELLEXECUTEINFOA sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.hwnd = Handle();
    sei.lpVerb = "open";
    sei.lpFile = pdfPath.c_str();
    sei.nShow = SW_SHOW;
    if (!::ShellExecuteExA(&sei)) {
        DWORD code = ::GetLastError();
        Box(win::SystemErrorText(code, 260), "Error", MB_OK | MB_ICONERROR);
    }
    win::UniqueHandle process(sei.hProcess);
}

void TfrmMain::CleanUp()
{
    ::DeleteFileA(StripQuotes(FJobFile).c_str());
    if (!FCompanionFile.empty())
        ::DeleteFileA(FCompanionFile.c_str());
    FJobFile.clear();
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    FBusy = false;
}

void TfrmMain::WMPageProgress(WPARAM wParam)
{
    // The message is a wake-up: the page to show is the latest one reported.
    INT_PTR page = FProgress ? FProgress->Take() : static_cast<INT_PTR>(wParam);
    if (page != 0)
        ShowBar(PageProgress(FBar, page));
}

void TfrmMain::ShowBar(const TBarState& bar)
{
    FBar = bar;
    LONG_PTR style = ::GetWindowLongPtrA(ProgressBar1, GWL_STYLE);
    if (bar.marquee) {
        // Started once: PBM_SETMARQUEE restarts the animation's timer, and page messages coming
        // faster than its period would keep it from ever moving.
        if (!(style & PBS_MARQUEE)) {
            ::SetWindowLongPtrA(ProgressBar1, GWL_STYLE, style | PBS_MARQUEE);
            ::SendMessageA(ProgressBar1, PBM_SETMARQUEE, TRUE, 30);
        }
        return;
    }
    if (style & PBS_MARQUEE) {
        ::SendMessageA(ProgressBar1, PBM_SETMARQUEE, FALSE, 0);
        ::SetWindowLongPtrA(ProgressBar1, GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    }
    ::SendMessageA(ProgressBar1, PBM_SETRANGE32, 0, bar.max);
    ::SendMessageA(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(bar.position), 0);
}

} // namespace folimar
