// One job on one port: stored as the owner in the owner's folders, then handed to the program.
#include "monitor/capture.h"

#include "base/printer_constants.h"
#include "monitor/user_files.h"
#include "monitor/wide_text.h"
#include "port/batch_job.h"
#include "port/port_job.h"
#include "port/row_note.h"
#include "port/write_all.h"

#include <algorithm>
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

std::string LocalTimeDigits()
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return porttool::TimeDigits(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
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
    owner_ = FindJobOwner(printerName_.c_str(), jobId);
    if (!owner_.token)
        return Fail(::GetLastError());
    program_ = ProgramPath();
    if (program_.empty())
        return Fail(ERROR_FILE_NOT_FOUND);
    // For telling the spooler at the end that the job has gone out; a job without it still prints.
    ::OpenPrinterW(printerName_.data(), printer_.put(), nullptr);
    // Everything in the owner's folders is done as the owner: those paths come from the owner's
    // registry, and the spooler's own account must not follow them.
    ThreadTokenScope asOwner(owner_.token.get());
    if (!asOwner.ok())
        return Fail(::GetLastError());
    if (!CreateJobFile())
        return false;
    open_ = true;
    return true;
}

bool TCapture::CreateJobFile()
{
    const std::wstring appData = UserAppDataFolder(owner_.sid);
    if (appData.empty())
        return Fail(ERROR_PATH_NOT_FOUND);
    const std::wstring spool = appData + ToWide(folimar::kSpoolFolderName);
    batch_ = IsBatchJob(spool);
    const std::wstring folder =
        batch_ ? spool : appData + ToWide(folimar::kDataFolderName) + ToWide(porttool::kJobsFolderName);
    if (!CreateFolders(folder))
        return Fail(::GetLastError());
    const std::wstring extension = ToWide(batch_ ? porttool::kCapturedJobExtension : ".ps");
    const std::string received = LocalTimeDigits();
    file_ = CreateNewFile(
        folder, [&](int n) { return ToWide(porttool::JobFileStem(received, jobId_, n)) + extension; }, path_);
    return file_ ? true : Fail(::GetLastError());
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
    bool handed = false;
    DWORD error = ERROR_SUCCESS;
    {
        ThreadTokenScope asOwner(owner_.token.get());
        // Closing flushes: a full disk can show only here.
        const bool closed = ::CloseHandle(file_.release()) != FALSE;
        if (failed_)
            error = error_;
        else if (!closed)
            error = ::GetLastError();
        else if (size_ == 0)
            error = ERROR_NO_DATA;
        else if (asOwner.ok())
            handed = Hand();
        if (!handed) {
            error = error ? error : ::GetLastError();
            DeleteJobFiles();
        }
    }
    // The spooler may now finish the job (the batch waits for that to read the job-id file).
    if (printer_)
        ::SetJobW(printer_.get(), jobId_, 0, nullptr, JOB_CONTROL_SENT_TO_PRINTER);
    return handed ? true : Fail(error);
}

bool TCapture::Hand()
{
    const std::string jobFile = ToUtf8(path_);
    if (batch_)
        return PublishJobId(FolderOf(path_), jobId_, porttool::JobIdFileText({jobFile, token_}));
    porttool::PortJob job;
    job.jobFile = jobFile;
    job.printer = ToUtf8(printerName_);
    companion_ = path_.substr(0, path_.size() - 3) + L".inf";
    job.companionFile = ToUtf8(companion_);
    job.user = OwnerName();
    job.size = size_;
    job.received = LocalTimeDigits();
    std::string title = porttool::SafeTitle(documentName_);
    job.title = title.empty() ? porttool::SafeTitle(porttool::DscTitle(header_)) : title;
    job.dataType = kDataType;
    if (!WriteWholeFile(companion_, porttool::CompanionText(job))) {
        companion_.clear();
        return false;
    }
    // Starting a process for another user takes the spooler's own rights, not the owner's.
    ThreadTokenScope asSpooler(nullptr);
    return asSpooler.ok() && StartProgram(porttool::JobCommandLine(job));
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
    const std::string name = TokenAccountName(owner_.token.get());
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
    ThreadTokenScope asOwner(owner_.token.get());
    file_.reset();
    DeleteJobFiles();
}

} // namespace qvmon
