// Where a conversion writes: a temporary file beside the target PDF, put in place only when whole.
#pragma once

#include <windows.h>

#include <string>

namespace folimar {

// Reserves an empty temporary file, named after this process, in the folder of a target PDF, and
// deletes it on destruction unless it has been put in place.
class TTempPdf {
public:
    explicit TTempPdf(const std::string& targetPdf);
    ~TTempPdf();
    TTempPdf(const TTempPdf&) = delete;
    TTempPdf& operator=(const TTempPdf&) = delete;

    bool valid() const { return !path_.empty(); }
    DWORD error() const { return error_; } // why the file could not be made
    const std::string& path() const { return path_; }

private:
    std::string path_;
    DWORD error_ = ERROR_SUCCESS;
};

// The file name stem and suffix of temporary PDFs, for the removal of those that dead runs left.
inline constexpr char kTempPdfStem[] = "~folimar-";
inline constexpr char kTempPdfSuffix[] = ".pdf.tmp";

// Removes the temporary PDFs of runs that no longer run from the folder of targetPdf.
void RemoveDeadTempPdfs(const std::string& targetPdf);

// True when the file at path is a whole PDF (see PdfTailComplete) and its data reached the disk.
bool PdfFileComplete(const std::string& path);

// Puts the temporary PDF in place of target (replacing an older file), the move written through
// to the disk; false, with error set, when it cannot be moved. The temporary file then stays
// where it was, and the target as it was.
bool PlacePdf(const std::string& tempPdf, const std::string& target, DWORD& error);

} // namespace folimar
