// The virtual printer's port: stores the job from standard input and starts the program for it.
//
//   folimar_port.exe PROGRAM < JOB
//
// Wine runs the printer's "|command" port at EndDoc with the job on standard input and waits
// for it; a non-zero exit loses the job. So the port only stores the job and its companion file
// in a spool folder of its own, starts PROGRAM detached with the job's command line and returns.
#include "base/printer_constants.h"
#include "jobprep/common.h"
#include "tools/detached_process.h"
#include "tools/port_job.h"
#include "tools/wine_paths.h"
#include "win/error_text.h"
#include "win/handle.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using porttool::PortJob;

constexpr char kJobsFolderName[] = "JOBS\\";
constexpr char kDataType[] = "RAW";

int Fail(const std::string& what, DWORD error = ::GetLastError())
{
    std::fprintf(stderr, "folimar_port: %s: %s\n", what.c_str(), win::SystemErrorText(error).c_str());
    return 1;
}

// "<application data>\QUORPSFILES\JOBS\", created when missing; the temporary folder when the
// user's application-data folder is not recorded.
std::string SpoolFolder()
{
    std::string base = folimar::ReadRegistryString(HKEY_CURRENT_USER, folimar::kShellFoldersKey, "AppData");
    if (base.empty()) {
        char temp[MAX_PATH + 1] = {};
        base.assign(temp, ::GetTempPathA(MAX_PATH, temp));
    }
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    std::string folder = base + folimar::kDataFolderName + kJobsFolderName;
    return folimar::CreateFolderPath(folder) ? folder : std::string();
}

std::string LocalTimeDigits()
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%04u%02u%02u%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return digits;
}

std::string UserName()
{
    char name[257] = {};
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) ? std::string(name) : std::string("user");
}

// Deletes the job's files unless the program took them over.
class JobFiles {
public:
    explicit JobFiles(const PortJob& job) : job_(job) {}
    ~JobFiles()
    {
        if (kept_)
            return;
        ::DeleteFileA(job_.jobFile.c_str());
        ::DeleteFileA(job_.companionFile.c_str());
    }
    JobFiles(const JobFiles&) = delete;
    JobFiles& operator=(const JobFiles&) = delete;
    void Keep() { kept_ = true; }

private:
    const PortJob& job_;
    bool kept_ = false;
};

// Creates a new job file in folder; sets job.jobFile and job.companionFile.
win::UniqueHandle CreateJobFile(const std::string& folder, PortJob& job)
{
    for (int n = 0; n < 1000; ++n) {
        std::string stem = folder + porttool::JobFileStem(job.received, ::GetCurrentProcessId(), n);
        win::UniqueHandle file(::CreateFileA((stem + ".ps").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            job.jobFile = stem + ".ps";
            job.companionFile = stem + ".inf";
            return file;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return {};
    }
    return {};
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
        DWORD written = 0;
        if (!::WriteFile(file, buffer.data(), got, &written, nullptr) || written != got)
            return false;
        size += got;
    }
}

bool WriteWholeFile(const std::string& path, const std::string& text)
{
    win::UniqueHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: folimar_port.exe PROGRAM < JOB\n");
        return 1;
    }
    const std::string program = porttool::WindowsPathOf(argv[1]);
    const std::string folder = SpoolFolder();
    if (folder.empty())
        return Fail("cannot create the spool folder");

    PortJob job;
    job.printer = folimar::kPrinterName;
    job.user = UserName();
    job.received = LocalTimeDigits();
    job.dataType = kDataType;
    win::UniqueHandle file = CreateJobFile(folder, job);
    if (!file)
        return Fail("cannot create a job file in " + folder);
    JobFiles files(job);

    std::string header;
    bool captured = CaptureStandardInput(file.get(), header, job.size);
    DWORD error = ::GetLastError();
    file.reset();
    if (!captured)
        return Fail("cannot store the job in " + job.jobFile, error);
    if (job.size == 0)
        return Fail("the job is empty", ERROR_NO_DATA);

    job.title = porttool::DscTitle(header);
    if (!WriteWholeFile(job.companionFile, porttool::CompanionText(job)))
        return Fail("cannot write " + job.companionFile);
    if (!porttool::StartDetached(program, porttool::JobCommandLine(job)))
        return Fail("cannot start " + program);
    files.Keep();
    return 0;
}
