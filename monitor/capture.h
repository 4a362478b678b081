// One job on one port: stored as the owner in the owner's folders, then handed to the program.
#pragma once

#include "monitor/job_owner.h"
#include "port/port_job.h"
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
    // IsBatchJob), else in the owner's jobs folder. A job that cannot go there (no owner logged
    // on, no application-data folder, no program recorded) is taken all the same and kept as a
    // pending job (see Park): a retry would not mend that, and the queue must move on. False with
    // the last error set only when no file for the job can be made anywhere.
    bool StartDoc(const wchar_t* printer, DWORD jobId, const wchar_t* documentName);
    // Appends to the job file; after a failed write the job is lost and every call fails.
    bool Write(const BYTE* data, DWORD size, DWORD* written);
    // Batch: announces the job file by its job-id file. Otherwise writes the companion file and
    // starts folimar.exe in the owner's session, as the owner. When that cannot be done the job
    // is kept as a pending job and the failure logged, and the call succeeds. A job lost while it
    // was written (full disk) or empty fails, and no file of it is left.
    bool EndDoc();
    // Drops a job that has not ended (the port is closed in the middle of one).
    void Abandon();

private:
    // Creates the job file in the owner's folders as the owner; false with step_ and the last
    // error set when it cannot.
    bool CreateJobFile();
    // Creates the job file in the shared pending folder of the owner, as the spooler.
    bool StartParked(const char* step, DWORD error);
    // Keeps a whole job that could not be handed over: moves it into a pending folder (the
    // owner's, else the shared one), writes its companion there and logs why. False when it
    // could not be kept.
    bool Park();
    bool MoveToSharedPending();
    porttool::PortJob Describe(const std::wstring& companion) const;
    // A job of the row the owner's batch prints: the batch's notes are in its spool folder, the
    // job's document name matches the names of the row note, and folimar.exe runs as the owner
    // (notes left by a killed batch take no job). Sets the row's token.
    bool IsBatchJob(const std::wstring& spool);
    // Hands the job over; false with step_ and the last error set.
    bool Hand();
    bool StartProgram(const std::string& arguments) const;
    std::string OwnerName() const;
    void LogFailure(DWORD error, const std::wstring& keptAt) const;
    void DeleteJobFiles();

    bool open_ = false; // between a successful StartDoc and EndDoc
    bool failed_ = false;
    DWORD error_ = ERROR_SUCCESS;
    DWORD jobId_ = 0;
    bool batch_ = false;
    // Kept for the program's next start; decided at StartDoc (the file is made in the pending
    // folder) or at EndDoc (it is moved there).
    bool parked_ = false;
    bool filesAsSpooler_ = false; // the job's files are in the shared folder, made by the spooler
    const char* step_ = "";       // what failed, for the log
    DWORD parkError_ = ERROR_SUCCESS;
    std::wstring appData_;
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
