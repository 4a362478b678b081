// The single-job worker thread.
#include "single/conversion_worker.h"

#include "jobprep/doc_info.h"
#include "jobprep/gmttime.h"
#include "jobprep/job_error.h"
#include "render/gsapi.h"
#include "render/output_check.h"
#include "render/pdf_output.h"
#include "win/thread_wait.h"

#include <string>

namespace folimar {

namespace {

bool JobIsEmpty(const std::string& jobFile)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExA(jobFile.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
           data.nFileSizeLow == 0;
}

// The pdfmark fragment for the job's own header, as it would be appended to the job.
std::string DocInfoPrologue(const std::string& jobFile)
{
    TPDFDocInfo docInfo;
    DocInfoFromHeader(jobFile, docInfo);
    const TGMTTime gmt;
    return BuildDocInfoFragment(docInfo, gmt.UtcOffset(), UnicodeHexString);
}

TConvertOutcome Convert(TConvertParams& p)
{
    // An empty job would come out as one blank page; the docinfo step must not make it non-empty.
    if (JobIsEmpty(p.JobFile))
        return TConvertOutcome::EmptyJob;
    // Replacing the job by its own PDF would lose the job.
    if (SameFile(p.JobFile, p.PdfFile))
        return TConvertOutcome::OutputIsJob;
    std::string prologue;
    try {
        if (p.DocInfoInJob)
            AppendDocInfo(p.JobFile);
        else
            prologue = DocInfoPrologue(p.JobFile);
    } catch (const JobFileError& e) {
        p.Error = e.code();
        return TConvertOutcome::JobError;
    }
    if (!ConvertPsToPdf(p.JobFile, p.RenderFile, p.Progress, prologue))
        return TConvertOutcome::RenderFailed;
    // Ghostscript does not always report a failed write: the file itself must be whole.
    if (!PdfFileComplete(p.RenderFile))
        return TConvertOutcome::Incomplete;
    bool tried = false;
    bool placed = p.Gate.Commit([&] {
        tried = true;
        return PlacePdf(p.RenderFile, p.PdfFile, p.Error);
    });
    if (!placed)
        return tried ? TConvertOutcome::NotPlaced : TConvertOutcome::Cancelled;
    return TConvertOutcome::Made;
}

} // namespace

DWORD WINAPI ConversionWorker(LPVOID params)
{
    auto* p = static_cast<TConvertParams*>(params);
    try {
        p->Outcome = Convert(*p);
    } catch (...) {
        // Any error of the conversion is a failed conversion; nothing is reported from here.
        p->Outcome = TConvertOutcome::RenderFailed;
    }
    return p->Outcome == TConvertOutcome::Made ? 1 : 0;
}

win::UniqueHandle StartConversionWorker(TConvertParams& params)
{
    return win::UniqueHandle(::CreateThread(nullptr, 0, ConversionWorker, &params, 0, nullptr));
}

DWORD WaitForConversionWorker(HANDLE thread)
{
    // The parameters live in the caller's frame: never return before the thread has ended.
    if (!win::WaitPumpingMessages(thread))
        ::WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    if (!::GetExitCodeThread(thread, &code) || code == STILL_ACTIVE)
        return 0;
    return code;
}

} // namespace folimar
