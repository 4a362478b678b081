// Rewrites a job file without its embedded font programs, through "~tmp.~" beside it, or writes the cleaned job to
// a file of its own, and reads its page count, in one read of the job in pieces.
#include "jobprep/strip_fonts.h"

#include "jobprep/job_error.h"
#include "win/handle.h"

#include <algorithm>
#include <memory>
#include <string_view>

namespace folimar {

namespace {

// The job is read in pieces this large: few calls, and a memory use that does not grow with the job.
constexpr size_t kReadPiece = size_t{1} << 20;
// Kept pieces smaller than this are gathered before they are written.
constexpr size_t kWriteBuffer = size_t{1} << 20;

[[noreturn]] void RaiseJobFileError(const char* action, const std::string& fileName)
{
    DWORD code = ::GetLastError(); // before anything else can change it
    throw JobFileError(action, fileName, code);
}

// The job, read while other readers may share it but no writer can change it. Reads name their offset, so that
// the part already read can be read again.
class JobReader {
public:
    explicit JobReader(const std::string& fileName)
        : fileName_(fileName),
          file_(::CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr))
    {
        if (!file_)
            RaiseJobFileError("Cannot open file", fileName_);
    }

    // Up to size bytes from offset; fewer only at the end of the file.
    size_t ReadAt(uint64_t offset, char* buffer, size_t size)
    {
        size_t done = 0;
        while (done < size) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + done);
            at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
            DWORD read = 0;
            DWORD want = static_cast<DWORD>(std::min(size - done, kReadPiece));
            if (!::ReadFile(file_.get(), buffer + done, want, &read, &at)) {
                if (::GetLastError() == ERROR_HANDLE_EOF)
                    break;
                RaiseJobFileError("Cannot read file", fileName_);
            }
            if (read == 0)
                break;
            done += read;
        }
        return done;
    }

    void Close() { file_.reset(); }

private:
    const std::string& fileName_;
    win::UniqueHandle file_;
};

// The temporary file of one call: created empty, and deleted on every way out unless it replaced the job.
class TempFile {
public:
    explicit TempFile(std::string name)
        : name_(std::move(name)),
          file_(::CreateFileA(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)),
          exists_(file_.valid())
    {
    }
    ~TempFile()
    {
        file_.reset();
        if (exists_)
            ::DeleteFileA(name_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool IsOpen() const { return file_.valid(); }

    // False when any write fails (a full disk).
    bool Write(std::string_view data)
    {
        while (!data.empty()) {
            DWORD want = static_cast<DWORD>(std::min(kReadPiece, data.size()));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), data.data(), want, &written, nullptr) || written != want)
                return false;
            data.remove_prefix(written);
        }
        return true;
    }

    // Keeps the complete file under its name; false, and the file goes, when it cannot be closed.
    bool Keep()
    {
        exists_ = !::CloseHandle(file_.release());
        return !exists_;
    }

    // Puts the complete file in the job's place in one step: the job is either the old one or the new one,
    // whenever the process or the machine stops. False, with the job as it was, when any step fails.
    bool Replace(const std::string& jobName)
    {
        if (!::FlushFileBuffers(file_.get()) || !::CloseHandle(file_.release()))
            return false;
        if (!::MoveFileExA(name_.c_str(), jobName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        exists_ = false;
        return true;
    }

private:
    std::string name_;
    win::UniqueHandle file_;
    bool exists_;
};

// Writes the kept bytes to the temporary file, but only once something is cut: until then they are the job's own
// first bytes, which are then copied from the job, so a job without fonts costs no writing.
class KeptWriter {
public:
    KeptWriter(TempFile& temp, JobReader& job) : temp_(temp), job_(job) { buffer_.reserve(kWriteBuffer); }

    void Keep(std::string_view piece, bool anythingCut)
    {
        if (!ok_)
            return;
        if (!anythingCut) {
            uncopied_ += piece.size();
            return;
        }
        if (uncopied_ > 0)
            CopyJobStart();
        if (buffer_.size() + piece.size() > kWriteBuffer && !Flush())
            return;
        if (piece.size() >= kWriteBuffer)
            ok_ = temp_.Write(piece);
        else
            buffer_ += piece;
    }

    bool Flush()
    {
        ok_ = ok_ && temp_.Write(buffer_);
        buffer_.clear();
        return ok_;
    }

private:
    void CopyJobStart()
    {
        auto piece = std::make_unique_for_overwrite<char[]>(kReadPiece);
        for (uint64_t offset = 0; ok_ && offset < uncopied_;) {
            size_t want = static_cast<size_t>(std::min<uint64_t>(kReadPiece, uncopied_ - offset));
            size_t read = job_.ReadAt(offset, piece.get(), want);
            ok_ = read == want && temp_.Write(std::string_view(piece.get(), read));
            offset += read;
        }
        uncopied_ = 0;
    }

    TempFile& temp_;
    JobReader& job_;
    std::string buffer_;
    uint64_t uncopied_ = 0;
    bool ok_ = true;
};

// Hands the whole job to feed, piece by piece, in one read.
template <class Feed> void ForEachPiece(JobReader& job, Feed&& feed)
{
    auto piece = std::make_unique_for_overwrite<char[]>(kReadPiece);
    for (uint64_t offset = 0;;) {
        size_t read = job.ReadAt(offset, piece.get(), kReadPiece);
        if (read == 0)
            break;
        feed(std::string_view(piece.get(), read));
        offset += read;
    }
}

// One read of the job: its page count into pageCount, and the kept bytes into temp once something is cut. True when
// something was cut and the whole cleaned job is in temp.
bool StripInto(JobReader& job, TempFile& temp, int32_t& pageCount)
{
    // Without a temporary file nothing can be cut safely; the job is then rendered with its fonts.
    const bool stripping = temp.IsOpen();
    KeptWriter writer(temp, job);
    FontStripper stripper([&](std::string_view piece) { writer.Keep(piece, stripper.cut()); });
    PageCountReader pages;
    ForEachPiece(job, [&](std::string_view bytes) {
        pages.Feed(bytes);
        if (stripping)
            stripper.Feed(bytes);
    });
    if (std::optional<int32_t> count = pages.Finish())
        pageCount = *count;
    if (!stripping)
        return false;
    stripper.Finish();
    return stripper.cut() && writer.Flush();
}

} // namespace

void StripFontsAndCountPages(const std::string& fileName, int32_t& pageCount)
{
    TempFile temp(StripTempFileName(fileName));
    JobReader job(fileName);
    // An incomplete temporary file never replaces the job; a failed replace leaves the job as it was.
    if (StripInto(job, temp, pageCount)) {
        job.Close();
        temp.Replace(fileName);
    }
}

std::optional<int32_t> ReadJobPageCount(const std::string& fileName)
{
    JobReader job(fileName);
    PageCountReader pages;
    ForEachPiece(job, [&](std::string_view bytes) { pages.Feed(bytes); });
    return pages.Finish();
}

bool CopyWithoutFontsAndCountPages(const std::string& fileName, const std::string& cleanedName, int32_t& pageCount)
{
    TempFile cleaned(cleanedName);
    JobReader job(fileName);
    return StripInto(job, cleaned, pageCount) && cleaned.Keep();
}

} // namespace folimar
