// One job on one port: stored as the owner in the owner's folders, then handed to the program.
#include "monitor/capture.h"

#include "base/printer_constants.h"
#include "monitor/failure_log.h"
#include "monitor/user_files.h"
#include "monitor/wide_text.h"
#include "port/batch_job.h"
#include "port/pending_job.h"
#include "port/port_job.h"
#include "port/row_note.h"
#include "port/write_all.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <optional>
#include <string_view>

namespace qvmon {

namespace {

constexpr char kDataType[] = "RAW";
constexpr wchar_t kDesktop[] = L"winsta0\\default";
// A row note holds a token and a few file names; anything longer is not one.
constexpr size_t kMaxRowNoteBytes = 8192;

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The companion beside a job file: the same name with the companion's extension.
std::wstring CompanionOf(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'.')) + ToWide(porttool::kCompanionExtension);
}

// A job's file name as a pending job's (a batch's captured job has an extension of its own).
std::wstring PendingName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/") + 1;
    return path.substr(slash, path.find_last_of(L'.') - slash) + ToWide(porttool::kJobExtension);
}

std::string LocalTimeDigits()
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return porttool::TimeDigits(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

DWORD LastErrorOr(DWORD fallback = ERROR_GEN_FAILURE)
{
    const DWORD error = ::GetLastError();
    return error ? error : fallback;
}

bool Fail(DWORD error)
{
    ::SetLastError(error ? error : ERROR_GEN_FAILURE); // a failure never reads as success
    return false;
}

} // namespace

bool TCapture::StartDoc(const wchar_t* printer, DWORD jobId, const wchar_t* documentName)
{
    if (open_)
        return Fail(ERROR_BUSY);
    jobId_ = jobId;
    printerName_ = printer ? printer : L"";
    documentName_ = documentName ? ToUtf8(documentName) : std::string();
    // For telling the spooler at the end that the job has gone out; a job without it still prints.
    ::OpenPrinterW(printerName_.data(), printer_.put(), nullptr);
    owner_ = FindJobOwner(printerName_.c_str(), jobId);
    if (!owner_.token)
        return StartParked("find the job owner's session", ::GetLastError());
    program_ = ProgramPath();
    bool created = false;
    {
        // Everything in the owner's folders is done as the owner: those paths come from the
        // owner's registry, and the spooler's own account must not follow them.
        ThreadTokenScope asOwner(owner_.token.get());
        step_ = "act as the job's owner";
        created = asOwner.ok() && CreateJobFile();
    }
    if (!created)
        return StartParked(step_, ::GetLastError());
    open_ = true;
    return true;
}

bool TCapture::CreateJobFile()
{
    step_ = "find the user's application-data folder";
    appData_ = UserAppDataFolder(owner_.sid);
    if (appData_.empty())
        return Fail(ERROR_PATH_NOT_FOUND);
    const std::wstring data = appData_ + ToWide(folimar::kDataFolderName);
    const std::wstring spool = appData_ + ToWide(folimar::kSpoolFolderName);
    // Without the program's path there is nothing to hand the job to: it waits for the program.
    parked_ = program_.empty();
    batch_ = !parked_ && IsBatchJob(spool);
    const std::wstring folder = batch_    ? spool
                                : parked_ ? data + ToWide(porttool::kPendingFolderName)
                                          : data + ToWide(porttool::kJobsFolderName);
    if (parked_) {
        step_ = "read the program's path (HKLM\\SOFTWARE\\Quorvel Folimar, value Program)";
        parkError_ = ERROR_FILE_NOT_FOUND;
    }
    const char* const wanted = step_;
    step_ = "create the job file in the user's folders";
    if (!CreateFolders(folder))
        return Fail(::GetLastError());
    const std::wstring extension = ToWide(batch_ ? porttool::kCapturedJobExtension : porttool::kJobExtension);
    const std::string received = LocalTimeDigits();
    file_ = CreateNewFile(
        folder, [&](int n) { return ToWide(porttool::JobFileStem(received, jobId_, n)) + extension; }, path_);
    if (!file_)
        return Fail(::GetLastError());
    step_ = wanted;
    return true;
}

bool TCapture::StartParked(const char* step, DWORD error)
{
    parked_ = true;
    batch_ = false;
    filesAsSpooler_ = true;
    step_ = step;
    parkError_ = error ? error : ERROR_GEN_FAILURE;
    ThreadTokenScope asSpooler(nullptr);
    const std::wstring shared = SharedDataFolder();
    // A user the system cannot name gets a folder only administrators can open.
    const std::wstring folder = shared + ToWide(porttool::kSharedPendingFolderName) +
                                (owner_.sid.empty() ? L"unknown-user" : owner_.sid) + L"\\";
    if (shared.empty() || !asSpooler.ok() || !CreatePrivateFolder(folder, owner_.sid)) {
        LogFailure(parkError_, L"");
        return Fail(::GetLastError());
    }
    const std::string received = LocalTimeDigits();
    file_ = CreateNewFile(
        folder,
        [&](int n) { return ToWide(porttool::JobFileStem(received, jobId_, n)) + ToWide(porttool::kJobExtension); },
        path_);
    if (!file_) {
        LogFailure(parkError_, L"");
        return Fail(::GetLastError());
    }
    open_ = true;
    return true;
}

bool TCapture::IsBatchJob(const std::wstring& spool)
{
    std::string text;
    if (!FileExists(spool + ToWide(folimar::kDestNoteFileName)) ||
        !ReadSmallFile(spool + ToWide(folimar::kRowNoteFileName), kMaxRowNoteBytes, text))
        return false;
    const std::optional<porttool::TRowNote> note = porttool::ParseRowNote(text);
    // Another program's job while a batch runs is an ordinary print, never the row's PDF.
    if (!note || !porttool::IsRowJob(*note, documentName_) || !ProgramRunsAs(program_, owner_.sid))
        return false;
    token_ = note->token;
    return true;
}

bool TCapture::Write(const BYTE* data, DWORD size, DWORD* written)
{
    *written = 0;
    if (!open_)
        return Fail(ERROR_INVALID_HANDLE);
    if (failed_)
        return Fail(error_);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (header_.size() < porttool::kHeaderBytes)
        header_.append(bytes.substr(0, porttool::kHeaderBytes - header_.size()));
    if (!porttool::WriteAll(file_.get(), bytes)) {
        failed_ = true;
        error_ = ::GetLastError();
        return Fail(error_);
    }
    size_ += size;
    *written = size;
    return true;
}

bool TCapture::EndDoc()
{
    if (!open_)
        return Fail(ERROR_INVALID_HANDLE);
    open_ = false;
    DWORD error = ERROR_SUCCESS;
    {
        ThreadTokenScope asFileOwner(filesAsSpooler_ ? nullptr : owner_.token.get());
        // Closing flushes: a full disk can show only here.
        const bool closed = ::CloseHandle(file_.release()) != FALSE;
        if (failed_)
            error = error_;
        else if (!closed)
            error = ::GetLastError();
        else if (size_ == 0)
            error = ERROR_NO_DATA;
        if (error)
            DeleteJobFiles();
    }
    bool kept = false;
    if (!error) {
        if (!parked_) {
            ThreadTokenScope asOwner(owner_.token.get());
            step_ = "act as the job's owner";
            parked_ = !asOwner.ok() || !Hand();
            parkError_ = parked_ ? LastErrorOr() : ERROR_SUCCESS;
        }
        kept = !parked_ || Park();
        if (!kept)
            error = ::GetLastError();
    }
    // The spooler may now finish the job (the batch waits for that to read the job-id file).
    if (printer_)
        ::SetJobW(printer_.get(), jobId_, 0, nullptr, JOB_CONTROL_SENT_TO_PRINTER);
    return kept ? true : Fail(error);
}

porttool::PortJob TCapture::Describe(const std::wstring& companion) const
{
    porttool::PortJob job;
    job.jobFile = ToUtf8(path_);
    job.printer = ToUtf8(printerName_);
    job.companionFile = ToUtf8(companion);
    job.user = OwnerName();
    job.size = size_;
    job.received = LocalTimeDigits();
    const std::string title = porttool::SafeTitle(documentName_);
    job.title = title.empty() ? porttool::SafeTitle(porttool::DscTitle(header_)) : title;
    job.dataType = kDataType;
    return job;
}

bool TCapture::Hand()
{
    if (batch_) {
        step_ = "announce the batch's job";
        return PublishJobId(FolderOf(path_), jobId_, porttool::JobIdFileText({ToUtf8(path_), token_}));
    }
    step_ = "write the job's companion file";
    companion_ = CompanionOf(path_);
    const porttool::PortJob job = Describe(companion_);
    if (!WriteWholeFile(companion_, porttool::CompanionText(job))) {
        companion_.clear();
        return false;
    }
    step_ = "start the program";
    {
        // Starting a process for another user takes the spooler's own rights, not the owner's.
        ThreadTokenScope asSpooler(nullptr);
        if (asSpooler.ok() && StartProgram(porttool::JobCommandLine(job)))
            return true;
    }
    PendingFile(std::exchange(companion_, std::wstring())).Discard(); // Park writes its own
    return false;
}

bool TCapture::Park()
{
    if (!filesAsSpooler_) {
        ThreadTokenScope asOwner(owner_.token.get());
        const std::wstring folder = appData_ + ToWide(folimar::kDataFolderName) + ToWide(porttool::kPendingFolderName);
        std::wstring moved;
        if (asOwner.ok() && FolderOf(path_) == folder) {
            moved = path_;
        } else if (!asOwner.ok() || !CreateFolders(folder) ||
                   !MoveIntoFolder(path_, folder + PendingName(path_), moved)) {
            moved.clear();
        }
        if (!moved.empty()) {
            path_ = moved;
            const std::wstring companion = CompanionOf(path_);
            if (WriteWholeFile(companion, porttool::CompanionText(Describe(companion)))) {
                LogFailure(parkError_, path_);
                return true;
            }
        }
    }
    return MoveToSharedPending();
}

bool TCapture::MoveToSharedPending()
{
    ThreadTokenScope asSpooler(nullptr);
    const std::wstring folder = SharedDataFolder() + ToWide(porttool::kSharedPendingFolderName) +
                                (owner_.sid.empty() ? L"unknown-user" : owner_.sid) + L"\\";
    std::wstring moved = path_;
    const bool there = filesAsSpooler_ || (CreatePrivateFolder(folder, owner_.sid) &&
                                           MoveIntoFolder(path_, folder + PendingName(path_), moved));
    const std::wstring companion = CompanionOf(moved);
    path_ = moved;
    if (!there || !WriteWholeFile(companion, porttool::CompanionText(Describe(companion)))) {
        const DWORD error = LastErrorOr();
        LogFailure(parkError_, L"");
        DeleteJobFiles();
        ::SetLastError(error);
        return false;
    }
    LogFailure(parkError_, path_);
    return true;
}

void TCapture::LogFailure(DWORD error, const std::wstring& keptAt) const
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char time[32];
    std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    TJobFailure failure{time, jobId_, owner_.name, step_, error, ErrorText(error), ToUtf8(keptAt)};
    ThreadTokenScope asSpooler(nullptr); // the log is the administrators', not the user's
    AppendFailureLog(FailureLogLine(failure));
}

bool TCapture::StartProgram(const std::string& arguments) const
{
    win::EnvironmentBlock environment;
    if (!::CreateEnvironmentBlock(environment.put(), owner_.token.get(), FALSE))
        return false;
    // The program expects its command line to begin with the job file, not with its own name.
    std::wstring commandLine = ToWide(arguments);
    std::wstring desktop = kDesktop;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION process{};
    const std::wstring folder = FolderOf(program_);
    if (!::CreateProcessAsUserW(owner_.token.get(), program_.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                CREATE_UNICODE_ENVIRONMENT | CREATE_DEFAULT_ERROR_MODE, environment.get(),
                                folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

std::string TCapture::OwnerName() const
{
    const std::string name = owner_.token ? TokenAccountName(owner_.token.get()) : owner_.name;
    // An empty argument would not be counted by the program and could change its mode.
    return name.empty() ? ToUtf8(owner_.sid) : name;
}

void TCapture::DeleteJobFiles()
{
    PendingFile job(path_);
    PendingFile companion(companion_);
    path_.clear();
    companion_.clear();
}

void TCapture::Abandon()
{
    if (!open_)
        return;
    open_ = false;
    ThreadTokenScope asFileOwner(filesAsSpooler_ ? nullptr : owner_.token.get());
    file_.reset();
    DeleteJobFiles();
}

} // namespace qvmon
