// Where a conversion writes: a temporary file beside the target PDF, put in place only when whole.
#pragma once

#include "win/handle.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace folimar {

// Opens a temporary PDF (disposition CREATE_NEW makes it) as its conversion holds it while the PDF
// is written: others may read and write it, but nobody deletes it or takes its lock while the
// handle is open, in this Wine prefix or another, or on another computer that shares the folder.
// Invalid, with the last error set, when it cannot.
win::UniqueHandle HoldTempPdf(const std::string& path, DWORD disposition);

// Reserves an empty temporary file, named after this process, in the folder of a target PDF, held
// (HoldTempPdf) until Release, and deletes it on destruction unless it has been put in place.
class TTempPdf {
public:
    explicit TTempPdf(const std::string& targetPdf);
    ~TTempPdf();
    TTempPdf(const TTempPdf&) = delete;
    TTempPdf& operator=(const TTempPdf&) = delete;

    bool valid() const { return !path_.empty(); }
    DWORD error() const { return error_; } // why the file could not be made
    const std::string& path() const { return path_; }

    // Lets go of the file, so that it can be moved or deleted; from any thread, once or more.
    void Release();

private:
    std::string path_;
    DWORD error_ = ERROR_SUCCESS;
    std::atomic<HANDLE> holder_{nullptr};
};

// The file name stem and suffix of temporary PDFs, for the removal of those that dead runs left.
inline constexpr char kTempPdfStem[] = "~folimar-";
inline constexpr char kTempPdfSuffix[] = ".pdf.tmp";

// Removes the temporary PDFs of runs that no longer run from the folder of targetPdf; a file still
// held by its conversion stays, whatever its name says.
void RemoveDeadTempPdfs(const std::string& targetPdf);

// True when the file at path is a whole PDF (see PdfTailComplete) and its data reached the disk.
// When not, error is the system's code where it gave one (the file or its folder gone, the disk full
// as the data was flushed), else ERROR_SUCCESS.
bool PdfFileComplete(const std::string& path, DWORD& error);
inline bool PdfFileComplete(const std::string& path)
{
    DWORD ignored = ERROR_SUCCESS;
    return PdfFileComplete(path, ignored);
}

// Puts the temporary PDF in place of target (replacing an older file), the move written through
// to the disk; false, with error set, when it cannot be moved. The temporary file then stays
// where it was, and the target as it was.
bool PlacePdf(const std::string& tempPdf, const std::string& target, DWORD& error);

} // namespace folimar
