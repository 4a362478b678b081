// The file steps of one conversion.
#include "render/pdf_conversion.h"

#include "jobprep/doc_info.h"
#include "jobprep/gmttime.h"
#include "jobprep/job_error.h"
#include "jobprep/strip_fonts.h"
#include "render/gsapi.h"
#include "render/output_check.h"
#include "win/error_text.h"

namespace folimar {

namespace {

// The pdfmark fragment for the job's own header, as it would be appended to the job.
std::string DocInfoPrologue(const std::string& jobFile)
{
    TPDFDocInfo docInfo;
    DocInfoFromHeader(jobFile, docInfo);
    const TGMTTime gmt;
    return BuildDocInfoFragment(docInfo, gmt.UtcOffset(), UnicodeHexString);
}

} // namespace

TConvertOutcome TPdfConversion::Run()
{
    try {
        return RunConversion(*this, gate_);
    } catch (...) {
        RemoveTempPdf();
        return TConvertOutcome{TConvertReason::RenderFailed};
    }
}

bool TPdfConversion::Cancel()
{
    return gate_.Cancel([this] { RemoveTempPdf(); });
}

std::optional<uint64_t> TPdfConversion::JobSize(DWORD& error)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!win::CheckedCall(
            error, [&] { return ::GetFileAttributesExA(request_.jobFile.c_str(), GetFileExInfoStandard, &data); }))
        return std::nullopt;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool TPdfConversion::OutputIsJob()
{
    return SameFile(request_.jobFile, request_.pdfFile);
}

bool TPdfConversion::MakeTempPdf(DWORD& error)
{
    // What killed runs left in that folder goes first.
    RemoveDeadTempPdfs(request_.pdfFile);
    auto temp = std::make_unique<TTempPdf>(request_.pdfFile);
    if (!temp->valid()) {
        error = temp->error();
        return false;
    }
    temp_ = std::move(temp);
    return true;
}

bool TPdfConversion::AddDocInfo(DWORD& error)
{
    try {
        if (request_.docInfo == TDocInfoPlace::AppendToJob)
            AppendDocInfo(request_.jobFile);
        else
            prologue_ = DocInfoPrologue(request_.jobFile);
    } catch (const JobFileError& e) {
        error = e.code();
        return false;
    }
    return true;
}

TRenderEnd TPdfConversion::Render()
{
    if (request_.renderer) {
        int pages = 0;
        const TRenderEnd end = request_.renderer->Render(request_.jobFile, temp_->path(), pages);
        renderedPages_ = pages;
        return end;
    }
    return ConvertPsToPdf(request_.jobFile, temp_->path(), request_.progress, prologue_) ? TRenderEnd::Rendered
                                                                                         : TRenderEnd::Failed;
}

std::optional<TPageCount> TPdfConversion::RenderedPages()
{
    if (!renderedPages_)
        return std::nullopt;
    TPageCount pages{*renderedPages_, 0};
    try {
        pages.announced = ReadJobPageCount(request_.jobFile).value_or(0);
    } catch (const JobFileError&) {
        // Rendered whole, but no longer readable: nothing to hold the pages against.
    }
    return pages;
}

bool TPdfConversion::StopRequested()
{
    return request_.stop && ::WaitForSingleObject(request_.stop, 0) == WAIT_OBJECT_0;
}

bool TPdfConversion::TempPdfComplete()
{
    return PdfFileComplete(temp_->path());
}

bool TPdfConversion::PlacePdf(DWORD& error)
{
    return folimar::PlacePdf(temp_->path(), request_.pdfFile, error);
}

void TPdfConversion::RemoveTempPdf()
{
    // By name only: the object stays for a Cancel from another thread to read.
    if (temp_)
        ::DeleteFileA(temp_->path().c_str());
}

} // namespace folimar
