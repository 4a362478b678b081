// One job on one port: stored as the owner in the owner's folders, then handed to the program.
#pragma once

#include "monitor/job_owner.h"
#include "win/handle.h"

#include <cstdint>
#include <string>

namespace qvmon {

// One capture serves one job: the port makes a new one at StartDocPort and drops it after
// EndDocPort. The spooler calls one port handle from one thread at a time and never opens a port
// twice, so a capture needs no lock; captures of different handles share nothing.
class TCapture {
public:
    TCapture() = default;
    ~TCapture() { Abandon(); }
    TCapture(const TCapture&) = delete;
    TCapture& operator=(const TCapture&) = delete;

    // Finds the owner and creates the job file: in the owner's spool folder for a batch's job (see
    // IsBatchJob), else in the owner's jobs folder. False with the last error set.
    bool StartDoc(const wchar_t* printer, DWORD jobId, const wchar_t* documentName);
    // Appends to the job file; after a failed write the job is lost and every call fails.
    bool Write(const BYTE* data, DWORD size, DWORD* written);
    // Batch: announces the job file by its job-id file. Otherwise writes the companion file and
    // starts folimar.exe in the owner's session, as the owner. On any failure nothing is announced
    // or started and no file of the job is left.
    bool EndDoc();
    // Drops a job that has not ended (the port is closed in the middle of one).
    void Abandon();

private:
    bool CreateJobFile();
    // A job of the row the owner's batch prints: the batch's notes are in its spool folder, the
    // job's document name matches the names of the row note, and folimar.exe runs as the owner
    // (notes left by a killed batch take no job). Sets the row's token.
    bool IsBatchJob(const std::wstring& spool);
    bool Hand();
    bool StartProgram(const std::string& arguments) const;
    std::string OwnerName() const;
    void DeleteJobFiles();

    bool open_ = false; // between a successful StartDoc and EndDoc
    bool failed_ = false;
    DWORD error_ = ERROR_SUCCESS;
    DWORD jobId_ = 0;
    bool batch_ = false;
    std::string token_; // the row's, for a batch's job
    JobOwner owner_;
    win::Printer printer_;
    std::wstring printerName_;
    std::wstring program_;
    std::string documentName_;
    std::wstring path_;
    std::wstring companion_;
    win::UniqueHandle file_;
    std::string header_;
    uint64_t size_ = 0;
};

} // namespace qvmon
