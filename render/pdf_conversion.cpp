// The file steps of one conversion.
#include "render/pdf_conversion.h"

#include "jobprep/doc_info.h"
#include "jobprep/gmttime.h"
#include "jobprep/job_error.h"
#include "jobprep/strip_fonts.h"
#include "render/gsapi.h"
#include "render/output_check.h"
#include "win/error_text.h"
#include "win/handle.h"

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

// Counts the pages on their way to the caller's sink.
class TCountingSink final : public TPageSink {
public:
    explicit TCountingSink(TPageSink* next) : next_(next) {}
    void Report(int page) noexcept override
    {
        counter_.Report(page);
        if (next_)
            next_->Report(page);
    }
    int Highest() const noexcept { return counter_.Highest(); }

private:
    TPageSink* next_;
    TPageCounter counter_;
};

// How many bytes at the end of a job tell whether it ends whole: its trailer and a bit of its last page.
constexpr DWORD kJobTailBytes = 65536;

// The last bytes of the job; empty when it cannot be read.
std::string JobTail(const std::string& jobFile)
{
    win::UniqueHandle file(::CreateFileA(jobFile.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size))
        return {};
    LARGE_INTEGER start{};
    start.QuadPart = size.QuadPart > kJobTailBytes ? size.QuadPart - kJobTailBytes : 0;
    std::string tail(static_cast<size_t>(size.QuadPart - start.QuadPart), '\0');
    DWORD read = 0;
    if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) ||
        !::ReadFile(file.get(), tail.data(), static_cast<DWORD>(tail.size()), &read, nullptr))
        return {};
    tail.resize(read);
    return tail;
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
        const TRenderEnd end = request_.renderer->Render(request_.jobFile, temp_->path(), pages, fault_);
        renderedPages_ = pages;
        return end;
    }
    TCountingSink pages(request_.progress);
    const bool finished = ConvertPsToPdf(request_.jobFile, temp_->path(), &pages, prologue_, &fault_);
    renderedPages_ = pages.Highest();
    return finished ? TRenderEnd::Rendered : TRenderEnd::Failed;
}

std::optional<TPageCount> TPdfConversion::RenderedPages()
{
    if (!renderedPages_)
        return std::nullopt;
    TPageCount pages{*renderedPages_, 0};
    pages.endsWhole = JobEndsWhole(ReadJobEnd(JobTail(request_.jobFile)), pages.found);
    // A job that ends whole is made whatever its header announces: no second read of it then.
    if (pages.endsWhole)
        return pages;
    try {
        pages.announced = ReadJobPageCount(request_.jobFile).value_or(0);
    } catch (const JobFileError&) {
        // Rendered whole, but no longer readable: nothing to hold the pages against.
        return std::nullopt;
    }
    return pages;
}

bool TPdfConversion::StopRequested()
{
    return request_.stop && ::WaitForSingleObject(request_.stop, 0) == WAIT_OBJECT_0;
}

bool TPdfConversion::TempPdfComplete(DWORD& error)
{
    return PdfFileComplete(temp_->path(), error);
}

bool TPdfConversion::PlacePdf(DWORD& error)
{
    // A held file cannot be moved.
    temp_->Release();
    return folimar::PlacePdf(temp_->path(), request_.pdfFile, error);
}

void TPdfConversion::RemoveTempPdf()
{
    // By name only: the object stays for a Cancel from another thread to read.
    if (temp_) {
        temp_->Release();
        ::DeleteFileA(temp_->path().c_str());
    }
}

} // namespace folimar
