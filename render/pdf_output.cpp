// The temporary PDF of a conversion and the move that puts a whole one in place.
#include "render/pdf_output.h"

#include "files/text_rules.h"
#include "render/pdf_check.h"
#include "win/error_text.h"
#include "win/handle.h"
#include "win/run_files.h"

#include <string_view>

namespace folimar {

namespace {

// A byte far beyond any PDF: its writer locks it. Byte-range locks reach other Wine prefixes (Wine
// keeps them as the system's own file locks) and other computers (the file server keeps them),
// where process ids and sharing modes do not.
constexpr DWORD kWriterLockHigh = 0x10000; // at 2^48

bool LockWriterByte(HANDLE file)
{
    OVERLAPPED at{};
    at.OffsetHigh = kWriterLockHigh;
    return ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != FALSE;
}

// Whether a conversion still holds the temporary PDF at path.
bool HeldByItsWriter(const std::string& path)
{
    win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    if (!LockWriterByte(file.get()))
        return true;
    OVERLAPPED at{};
    at.OffsetHigh = kWriterLockHigh;
    ::UnlockFileEx(file.get(), 0, 1, 0, &at);
    return false;
}

} // namespace

win::UniqueHandle HoldTempPdf(const std::string& path, DWORD disposition)
{
    // Ghostscript opens the file for writing beside this handle; a delete, or a move, must wait.
    win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A file system without locks still has the sharing mode on this computer.
    if (file)
        LockWriterByte(file.get());
    return file;
}

TTempPdf::TTempPdf(const std::string& targetPdf)
{
    win::UniqueHandle holder;
    path_ = win::MakeRunFile(std::string(FolderPart(targetPdf)), kTempPdfStem, kTempPdfSuffix, error_,
                             [&holder](const std::string& name) {
                                 holder = HoldTempPdf(name, CREATE_NEW);
                                 return holder.valid();
                             });
    holder_ = holder.valid() ? holder.release() : nullptr;
}

TTempPdf::~TTempPdf()
{
    Release();
    // After a successful move nothing is left under this name.
    if (valid())
        ::DeleteFileA(path_.c_str());
}

void TTempPdf::Release()
{
    if (const HANDLE holder = holder_.exchange(nullptr))
        ::CloseHandle(holder);
}

void RemoveDeadTempPdfs(const std::string& targetPdf)
{
    // A run on another computer, or in another Wine prefix, has an id that names nothing here: only
    // a file that no writer holds is a dead run's.
    win::RemoveDeadRunFiles(std::string(FolderPart(targetPdf)), kTempPdfStem, kTempPdfSuffix,
                            [](const std::string& path) { return !HeldByItsWriter(path); });
}

bool PdfFileComplete(const std::string& path, DWORD& error)
{
    error = ERROR_SUCCESS;
    // Beside the conversion's own handle, which holds the file for writing.
    win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A disk that fills while the written data is flushed fails here, not at the write.
    if (!file || !::FlushFileBuffers(file.get())) {
        error = win::LastErrorOr();
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0)
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
