// Rewrites a job file without its embedded font programs, through "~tmp.~" beside it, and reads its page count.
#include "jobprep/strip_fonts.h"

#include "jobprep/job_error.h"
#include "win/handle.h"

#include <algorithm>
#include <memory>
#include <string_view>

namespace folimar {

namespace {

// Reads and writes go in pieces this large: few calls, and each size fits a DWORD.
constexpr size_t kIoPiece = size_t{64} << 20;

struct JobText {
    std::unique_ptr<char[]> bytes;
    size_t size = 0;

    std::string_view view() const { return {bytes.get(), size}; }
};

[[noreturn]] void RaiseJobFileError(const char* action, const std::string& fileName)
{
    DWORD code = ::GetLastError(); // before anything else can change it
    throw JobFileError(action, fileName, code);
}

// The whole file, read while other readers may share it but no writer can change it.
JobText LoadFileText(const std::string& fileName)
{
    win::UniqueHandle file(::CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        RaiseJobFileError("Cannot open file", fileName);
    LARGE_INTEGER fileSize{};
    if (!::GetFileSizeEx(file.get(), &fileSize))
        RaiseJobFileError("Cannot read file", fileName);
    JobText text;
    text.size = static_cast<size_t>(fileSize.QuadPart);
    // No zero fill: every byte is overwritten by the read.
    text.bytes = std::make_unique_for_overwrite<char[]>(text.size);
    size_t done = 0;
    while (done < text.size) {
        DWORD read = 0;
        DWORD want = static_cast<DWORD>(std::min(kIoPiece, text.size - done));
        if (!::ReadFile(file.get(), text.bytes.get() + done, want, &read, nullptr))
            RaiseJobFileError("Cannot read file", fileName);
        if (read == 0)
            break; // the file is shorter than its size said: keep what is there
        done += read;
    }
    text.size = done;
    return text;
}

// The temporary file of one call: created empty, and deleted on every way out if this call created it.
class TempFile {
public:
    explicit TempFile(std::string name)
        : name_(std::move(name)),
          file_(::CreateFileA(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)),
          created_(file_.valid())
    {
    }
    ~TempFile()
    {
        file_.reset();
        if (created_)
            ::DeleteFileA(name_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& name() const { return name_; }
    bool IsOpen() const { return file_.valid(); }

    // Writes all of data and closes the file; false when any write (a full disk) or the close fails.
    bool WriteAllAndClose(std::string_view data)
    {
        while (!data.empty()) {
            DWORD want = static_cast<DWORD>(std::min(kIoPiece, data.size()));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), data.data(), want, &written, nullptr) || written != want)
                return false;
            data.remove_prefix(written);
        }
        return ::CloseHandle(file_.release()) != FALSE;
    }

private:
    std::string name_;
    win::UniqueHandle file_;
    bool created_;
};

} // namespace

void StripFontsAndCountPages(const std::string& fileName, int32_t& pageCount)
{
    TempFile temp(StripTempFileName(fileName));
    JobText job = LoadFileText(fileName);
    if (std::optional<int32_t> pages = ReadPageCount(job.view()))
        pageCount = *pages;
    // Without a temporary file the job cannot be replaced safely; it is then rendered with its fonts.
    if (!temp.IsOpen())
        return;
    // Both passes run in the one buffer, the second over what the first kept; the job is rewritten once.
    size_t kept = StripFontPrograms(job.bytes.get(), job.size);
    if (kept == job.size)
        return;
    // An incomplete temporary file never replaces the job; a failed copy leaves the job as it was.
    if (temp.WriteAllAndClose(std::string_view(job.bytes.get(), kept)))
        ::CopyFileA(temp.name().c_str(), fileName.c_str(), FALSE);
}

} // namespace folimar
