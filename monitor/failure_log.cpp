// The monitor's log of jobs it could not hand over, in %ProgramData%\Quorvel Folimar\monitor.log.
#include "monitor/failure_log.h"

#include "monitor/user_files.h"
#include "monitor/wide_text.h"
#include "port/pending_job.h"
#include "port/write_all.h"
#include "win/handle.h"

#include <knownfolders.h>
#include <shlobj.h>

namespace qvmon {

namespace {

constexpr wchar_t kLogName[] = L"monitor.log";

} // namespace

std::string FailureLogLine(const TJobFailure& f)
{
    std::string line = f.time + " job " + std::to_string(f.jobId) + " of " + (f.user.empty() ? "?" : f.user) + ": " +
                       f.step + " failed: " + f.errorText + " (error " + std::to_string(f.error) + "); ";
    line += f.keptAt.empty() ? "the job could not be kept" : "the job waits in " + f.keptAt;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 32)
            c = ' '; // one failure, one line
    return line + "\r\n";
}

std::wstring SharedDataFolder()
{
    win::Scoped<win::TaskMemoryTraits<PWSTR>> path;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, path.put())) || !path)
        return {};
    std::wstring folder = path.get();
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder + ToWide(porttool::kSharedFolderName);
}

bool AppendFailureLog(const std::string& line)
{
    const std::wstring folder = SharedDataFolder();
    if (folder.empty() || !CreateFolders(folder))
        return false;
    // Appends only, shared: jobs on other ports may write their lines at the same time.
    win::UniqueHandle file(::CreateFileW((folder + kLogName).c_str(), FILE_APPEND_DATA,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && porttool::WriteAll(file.get(), line);
}

std::string ErrorText(DWORD error)
{
    win::Scoped<win::LocalMemoryTraits<wchar_t*>> text;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<LPWSTR>(text.put()), 0, nullptr);
    std::wstring words = length && text ? std::wstring(text.get(), length) : L"error " + std::to_wstring(error);
    while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' '))
        words.pop_back();
    return ToUtf8(words);
}

} // namespace qvmon
