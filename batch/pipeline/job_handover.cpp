// Handing a job to single-job mode.
#include "batch/pipeline/job_handover.h"

#include "base/printer_constants.h"
#include "files/folders.h"
#include "files/small_file.h"
#include "files/text_rules.h"
#include "port/port_job.h"
#include "win/detached_process.h"
#include "win/handle.h"
#include "win/program_path.h"

#include <windows.h>

#include <vector>

namespace folimar {

namespace {

constexpr char kDataType[] = "RAW";
constexpr int kNameTries = 1000;

// The first bytes of the job, where its title is.
std::string JobHeader(const std::string& path)
{
    win::UniqueHandle file(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<char> header(porttool::kHeaderBytes);
    DWORD got = 0;
    if (!file || !::ReadFile(file.get(), header.data(), static_cast<DWORD>(header.size()), &got, nullptr))
        return {};
    return std::string(header.data(), got);
}

uint64_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string UserName()
{
    char name[257] = {};
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) ? std::string(name) : std::string("user");
}

// Moves from into folder under the first free job name; the new path, or empty.
std::string MoveToNewJobName(const std::string& from, const std::string& folder, const std::string& received)
{
    for (int n = 0; n < kNameTries; ++n) {
        const std::string to = folder + porttool::JobFileStem(received, ::GetCurrentProcessId(), n) + ".ps";
        // Without replacing: a name taken meanwhile is tried with the next number.
        if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
            return to;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return {};
    }
    return {};
}

} // namespace

std::string SingleJobProgramBesideProgram()
{
    const std::string folder(FolderPart(win::ProgramPath()));
    // A Winelib build's program is its .exe.so; the .exe beside it is a launcher script.
    const std::string winelib = folder + "folimar.exe.so";
    return FileExists(winelib) ? winelib : folder + "folimar.exe";
}

bool HandJobToSingleJobMode(const std::string& psPath, const std::string& jobsFolder, const std::string& program)
{
    if (!CreateFolderPath(jobsFolder))
        return false;
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    porttool::PortJob job;
    job.received = porttool::TimeDigits(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    job.title = porttool::DscTitle(JobHeader(psPath));
    job.jobFile = MoveToNewJobName(psPath, jobsFolder, job.received);
    if (job.jobFile.empty())
        return false;
    job.printer = kPrinterName;
    job.user = UserName();
    job.size = FileSize(job.jobFile);
    job.dataType = kDataType;
    job.companionFile = job.jobFile.substr(0, job.jobFile.size() - 3) + ".inf";
    if (!WriteTextFile(job.companionFile, porttool::CompanionText(job)))
        return false;
    return win::StartDetached(program, porttool::JobCommandLine(job)) != 0;
}

} // namespace folimar
