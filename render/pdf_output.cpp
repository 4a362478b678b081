// The temporary PDF of a conversion and the move that puts a whole one in place.
#include "render/pdf_output.h"

#include "files/text_rules.h"
#include "render/pdf_check.h"
#include "win/error_text.h"
#include "win/handle.h"
#include "win/run_files.h"

#include <string_view>

namespace folimar {

TTempPdf::TTempPdf(const std::string& targetPdf)
{
    path_ = win::MakeRunFile(std::string(FolderPart(targetPdf)), kTempPdfStem, kTempPdfSuffix, error_,
                             [](const std::string& name) {
                                 return win::UniqueHandle(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr,
                                                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr))
                                     .valid();
                             });
}

TTempPdf::~TTempPdf()
{
    // After a successful move nothing is left under this name.
    if (valid())
        ::DeleteFileA(path_.c_str());
}

void RemoveDeadTempPdfs(const std::string& targetPdf)
{
    win::RemoveDeadRunFiles(std::string(FolderPart(targetPdf)), kTempPdfStem, kTempPdfSuffix);
}

bool PdfFileComplete(const std::string& path)
{
    win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    // A disk that fills while the written data is flushed fails here, not at the write.
    if (!file || !::FlushFileBuffers(file.get()) || !::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0)
        return false;
    const auto fileSize = static_cast<uint64_t>(size.QuadPart);
    const uint64_t tailSize = fileSize < kPdfTailBytes ? fileSize : kPdfTailBytes;
    LARGE_INTEGER start{};
    start.QuadPart = static_cast<LONGLONG>(fileSize - tailSize);
    char tail[kPdfTailBytes];
    DWORD read = 0;
    if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) ||
        !::ReadFile(file.get(), tail, static_cast<DWORD>(tailSize), &read, nullptr) || read != tailSize)
        return false;
    return PdfTailComplete(std::string_view(tail, read), fileSize);
}

bool PlacePdf(const std::string& tempPdf, const std::string& target, DWORD& error)
{
    return win::CheckedCall(error, [&] {
        return ::MoveFileExA(tempPdf.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
               FALSE;
    });
}

} // namespace folimar
