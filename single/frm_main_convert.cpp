// The single-job window's conversion: browse with the write test, Convert, progress and clean-up.
#include "single/frm_main.h"

#include "base/printer_constants.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "jobprep/job_error.h"
#include "jobprep/strip_fonts.h"
#include "render/convert_failure.h"
#include "render/converter_process.h"
#include "render/pdf_output.h"
#include "single/conversion_worker.h"
#include "win/error_text.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <exception>
#include <memory>
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
    // The path goes, so Convert waits for a folder that can be written.
    SetOutputPath({});
    Box(win::SystemErrorText(error, 1024), "Error", MB_OK | MB_ICONERROR);
}

void TfrmMain::btnConvertClick()
{
    const std::string pdfPath = win::GetText(Edit1);
    if (FileExists(pdfPath) &&
        Box(OverwriteQuestion(pdfPath), "confirm overwrite", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    Convert(pdfPath);
}

void TfrmMain::Convert(const std::string& pdfPath)
{
    BeginBusy();
    const std::optional<std::string> failure = ConvertJob(StripQuotes(FJobFile), pdfPath);
    FBusy = false;
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    if (failure)
        Failed(*failure);
    else
        Succeeded(pdfPath);
}

void TfrmMain::BeginBusy()
{
    FBusy = true;
    FStopping = false;
    FPage = 0;
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    // The idle rule does not run while the worker is awaited, so the controls are set here.
    // Cancel and the close box stay: they stop the conversion.
    SetEnabled(sbConvert.Handle(), false);
    SetEnabled(SpeedButton1.Handle(), false);
    SetEnabled(Edit1, false);
}

std::optional<std::string> TfrmMain::ConvertJob(const std::string& jobPath, const std::string& pdfPath)
{
    int32_t pageCount = 0; // stays 0 when the job gives no usable count
    try {
        StripFontsAndCountPages(jobPath, pageCount);
    } catch (const JobFileError& e) {
        return ConvertFailureText({TConvertReason::JobUnreadable, e.code()}, pdfPath);
    } catch (const std::exception& e) {
        return e.what();
    }
    ShowStatus({}, true);
    ShowBar(StartBar(pageCount));
    ::ShowWindow(ProgressBar1, SW_SHOW);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    FProgress = std::make_unique<TPageProgress>(Handle());
    // With auto-save on, the render runs in a converter process, which Cancel can end while the
    // job stays; otherwise in this process, which Cancel ends with the job.
    win::UniqueHandle stop;
    std::unique_ptr<TConverterProcess> converter;
    if (FAutoSave.autoSave) {
        stop.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!stop)
            return win::SystemErrorText(win::LastErrorOr());
        converter = std::make_unique<TConverterProcess>(
            TConverterSetup{ConverterBesideProgram(), stop.get(), TDiskMargin{}, FProgress.get()});
    }
    // The PDF is written beside its target and replaces it only when whole.
    TConvertParams params({jobPath, pdfPath, TDocInfoPlace::AppendToJob, FProgress.get(), converter.get(), stop.get()});
    win::UniqueHandle worker = StartConversionWorker(params);
    if (!worker)
        return win::SystemErrorText(win::LastErrorOr());
    {
        // Cancel and the close box reach the conversion through FRunning while it is awaited.
        struct Running {
            TConvertParams*& slot;
            HANDLE& stopSlot;
            ~Running() { slot = nullptr, stopSlot = nullptr; }
        } running{FRunning = &params, FStop = stop.get()};
        WaitForConversionWorker(worker.get());
    }
    worker.reset();
    if (converter && converter->StartError() != ERROR_SUCCESS)
        return "the converter could not start: " + win::SystemErrorText(converter->StartError());
    // The last page may still wait behind a pending wake-up.
    if (int page = FProgress->Take(); page != 0)
        ShowPage(page);
    ShowBar(FinishBar(FBar));
    if (params.Outcome.Made())
        return std::nullopt;
    if (params.Outcome.reason == TConvertReason::Cancelled)
        return std::string(kStoppedText);
    return ConvertFailureText(params.Outcome, pdfPath);
}

void TfrmMain::CancelConversion()
{
    if (!FRunning)
        return;
    // Nothing is put in place from now on; false when the PDF is in place already, and the
    // conversion then ends by itself.
    if (FStopping || !FRunning->Conversion.Cancel())
        return;
    if (FStop) {
        // A render in a converter process ends with it, and the job stays for another try.
        FStopping = true;
        ShowStatus("stopping...", true);
        ::SetEvent(FStop);
        return;
    }
    // Ghostscript cannot be stopped from outside (it never polls), so the process ends here, once
    // what the attempt leaves has gone: the partial PDF (the cancel removed it), then the job
    // files as after any attempt.
    FRunning = nullptr;
    CleanUp();
    Box("The conversion was cancelled.", kAppTitle, MB_OK | MB_ICONINFORMATION);
    ::TerminateProcess(::GetCurrentProcess(), 1);
}

void TfrmMain::Succeeded(const std::string& pdfPath)
{
    // An auto-save says nothing: the PDF opening, or the window closing, is the news.
    if (!FCompact)
        Box("The coversion completed!", "success", MB_OK | MB_ICONINFORMATION);
    if (FAutoSave.openPdf)
        OpenPdf(pdfPath);
    CleanUp();
    Close();
}

void TfrmMain::Failed(const std::string& reason)
{
    // The job stays for another try: Browse, Convert again, or Cancel to let it go.
    FAttempted = true;
    const bool stopped = FStopping;
    FStopping = false;
    if (FCompact)
        ShowCompact(false);
    ::ShowWindow(ProgressBar1, SW_HIDE);
    ShowStatus(reason, false);
    if (!stopped)
        Box(FailureMessage(reason), "Failed", MB_OK | MB_ICONERROR);
    ApplicationEvents1Idle();
}

void TfrmMain::OpenPdf(const std::string& pdfPath)
{
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
        ShowPage(page);
}

void TfrmMain::ShowPage(int64_t page)
{
    ShowBar(PageProgress(FBar, page));
    // -1 is the last page: with a count that is the count, without one the page shown stays.
    if (page == -1 && !FBar.marquee)
        page = FBar.max;
    if (page > 0)
        FPage = page;
    if (!FStopping)
        ShowStatus(PageText(FPage, FBar.marquee ? 0 : FBar.max), true);
}

void TfrmMain::ShowStatus(const std::string& text, bool besideBar)
{
    // Beside the bar while it runs; across the whole row, where the bar was, for a reason.
    // "page 100000 of 100000" fits beside the bar.
    if (besideBar)
        MoveControl(lblStatus, 175, 46, 133, 14);
    else
        MoveControl(lblStatus, 19, 46, 289, 14);
    MoveControl(ProgressBar1, 19, 44, besideBar ? 150 : 289, 17);
    ::SetWindowTextA(lblStatus, text.c_str());
    FHints.Update(lblStatus, text);
    ::ShowWindow(lblStatus, text.empty() ? SW_HIDE : SW_SHOW);
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
