// The virtual printer's port: stores the job from standard input and starts the program for it,
// or, while the program prints a batch, hands the job to the batch.
//
//   folimar_port.exe PROGRAM < JOB
//
// Wine runs the printer's "|command" port at EndDoc with the job on standard input and waits
// for it; a non-zero exit loses the job. So the port only stores the job and returns at once:
// - when the printing process carries a batch document's token (FOLIMAR_JOB_TOKEN, which the
//   port inherits from it) and that batch still takes jobs (its named object exists), as a
//   "*.~ps" file in the batch's spool folder, announced afterwards by a file named with the job id
//   in decimal that holds the .~ps file's path and the token; PROGRAM is not started;
// - otherwise (another program printed, or the batch has ended) with its companion file in a
//   spool folder of its own, starting PROGRAM detached with the job's command line, so that no
//   job ever vanishes into a batch that does not want it.
// Every text it writes is UTF-8, the program's code page (it has the program's manifest), so that a
// profile folder such as C:\users\josé reads the same on both sides.
#include "base/printer_constants.h"
#include "files/code_pages.h"
#include "files/folders.h"
#include "files/user_folders.h"
#include "win/detached_process.h"
#include "port/batch_job.h"
#include "port/port_job.h"
#include "tools/spool_files.h"
#include "tools/wine_paths.h"
#include "win/error_text.h"
#include "win/handle.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using porttool::PortJob;

constexpr char kDataType[] = "RAW";

int Fail(const std::string& what, DWORD error = ::GetLastError())
{
    std::fprintf(stderr, "folimar_port: %s: %s\n", what.c_str(), win::SystemErrorText(error).c_str());
    return 1;
}

// "<application data>\QUORPSFILES\JOBS\", created when missing.
std::string JobsFolder()
{
    std::string folder = folimar::DataFolderOf(folimar::AppDataFolder()) + porttool::kJobsFolderName;
    return folimar::CreateFolderPath(folder) ? folder : std::string();
}

std::string LocalTimeDigits()
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return porttool::TimeDigits(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

std::string UserName()
{
    char name[257] = {};
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) ? std::string(name) : std::string("user");
}

// Creates a new job file in folder, named after the job's time and this process, with extension.
win::UniqueHandle CreateJobFile(const std::string& folder, const std::string& received, const char* extension,
                                std::string& path)
{
    const DWORD pid = ::GetCurrentProcessId();
    return porttool::CreateNewFile(
        folder, [&](int n) { return porttool::JobFileStem(received, pid, n) + extension; }, path);
}

// Copies standard input into file; the first bytes are kept for the title.
bool CaptureStandardInput(HANDLE file, std::string& header, uint64_t& size)
{
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(input, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            if (::GetLastError() != ERROR_BROKEN_PIPE)
                return false;
            got = 0;
        }
        if (got == 0)
            return true;
        if (header.size() < porttool::kHeaderBytes)
            header.append(buffer.data(), std::min<size_t>(got, porttool::kHeaderBytes - header.size()));
        if (!porttool::WriteAll(file, std::string_view(buffer.data(), got)))
            return false;
        size += got;
    }
}

bool WriteWholeFile(const std::string& path, const std::string& text)
{
    win::UniqueHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && porttool::WriteAll(file.get(), text);
}

// Stores the job from standard input in a new file of folder; empty with a message on failure,
// and then no file is left.
std::string StoreJob(const std::string& folder, const std::string& received, const char* extension, std::string& header,
                     uint64_t& size)
{
    std::string path;
    win::UniqueHandle file = CreateJobFile(folder, received, extension, path);
    if (!file) {
        Fail("cannot create a job file in " + folder);
        return {};
    }
    porttool::PendingFile pending(path);
    bool captured = CaptureStandardInput(file.get(), header, size);
    DWORD error = ::GetLastError();
    file.reset();
    if (!captured) {
        Fail("cannot store the job in " + path, error);
        return {};
    }
    if (size == 0) {
        Fail("the job is empty", ERROR_NO_DATA);
        return {};
    }
    pending.Keep();
    return path;
}

// A job of a batch: the captured file first, closed, and only then its job-id file.
int HandToBatch(const std::string& spoolFolder, const std::string& token)
{
    if (!folimar::CreateFolderPath(spoolFolder))
        return Fail("cannot create the spool folder " + spoolFolder);
    std::string header;
    uint64_t size = 0;
    std::string job = StoreJob(spoolFolder, LocalTimeDigits(), porttool::kCapturedJobExtension, header, size);
    if (job.empty())
        return 1;
    porttool::PendingFile pending(job);
    if (porttool::PublishJobId(spoolFolder, ::GetCurrentProcessId(), porttool::JobIdFileText({job, token})).empty())
        return Fail("cannot write the job-id file in " + spoolFolder);
    pending.Keep();
    return 0;
}

// An ordinary job: stored with its companion file, then the program is started for it.
int StartProgram(const std::string& program)
{
    const std::string folder = JobsFolder();
    if (folder.empty())
        return Fail("cannot create the spool folder");
    PortJob job;
    job.printer = folimar::kPrinterName;
    job.user = UserName();
    job.received = LocalTimeDigits();
    job.dataType = kDataType;
    std::string header;
    job.jobFile = StoreJob(folder, job.received, ".ps", header, job.size);
    if (job.jobFile.empty())
        return 1;
    porttool::PendingFile pendingJob(job.jobFile);
    job.companionFile = job.jobFile.substr(0, job.jobFile.size() - 3) + ".inf";
    // Wine's driver writes the title in the legacy code page; the program's texts are UTF-8.
    job.title = folimar::DscTextToUtf8(porttool::DscTitle(header));
    porttool::PendingFile pendingCompanion(job.companionFile);
    if (!WriteWholeFile(job.companionFile, porttool::CompanionText(job)))
        return Fail("cannot write " + job.companionFile);
    if (!win::StartDetached(program, porttool::JobCommandLine(job)))
        return Fail("cannot start " + program);
    pendingJob.Keep();
    pendingCompanion.Keep();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: folimar_port.exe PROGRAM < JOB\n");
        return 1;
    }
    // The batch's spool folder, found as the program finds it.
    if (std::optional<std::string> token = porttool::RunningBatchToken())
        return HandToBatch(folimar::SpoolFolderOf(folimar::AppDataFolder()), *token);
    return StartProgram(porttool::WindowsPathOf(argv[1]));
}
