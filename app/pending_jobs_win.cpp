// Offering the pending jobs: the folders they wait in, moving them out, starting the program.
#include "app/pending_jobs.h"

#include "files/folders.h"
#include "files/small_file.h"
#include "files/user_folders.h"
#include "port/pending_job.h"
#include "win/handle.h"

#include <sddl.h>
#include <shlobj.h>

#include <vector>

namespace folimar {

namespace {

// A companion is a few short lines; anything much longer is not one.
constexpr size_t kMaxCompanionBytes = 65536;
// How long a started window may take to come up before the next one is started, so that they
// appear oldest first.
constexpr DWORD kWindowWaitMs = 5000;

std::vector<std::string> FileNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    win::FindHandle find(::FindFirstFileA((folder + "*").c_str(), &found));
    for (bool more = find.valid(); more; more = ::FindNextFileA(find.get(), &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    return names;
}

std::string OwnSid()
{
    win::UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    win::Scoped<win::LocalMemoryTraits<LPSTR>> text;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, text.put()))
        return {};
    return text.get();
}

// Where the monitor keeps this user's jobs when it cannot reach the user's own folders.
std::string SharedPendingFolder()
{
    char common[MAX_PATH] = {};
    const std::string sid = OwnSid();
    if (sid.empty() || FAILED(::SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)))
        return {};
    return std::string(common) + "\\" + porttool::kSharedFolderName + porttool::kSharedPendingFolderName + sid + "\\";
}

std::string ReadCompanion(const std::string& path)
{
    win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    return file && ReadSmallFile(file.get(), kMaxCompanionBytes, text) ? text : std::string();
}

bool Move(const std::string& from, const std::string& to)
{
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Start(const std::string& program, std::string commandLine)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // The command line begins with the job file, as the port starts the program.
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    win::UniqueHandle thread(process.hThread);
    win::UniqueHandle child(process.hProcess);
    ::WaitForInputIdle(child.get(), kWindowWaitMs);
    return true;
}

// Takes one job out of its folder into the jobs folder and starts its window; puts it back when
// the window cannot be started.
bool Offer(const TPendingJob& job, const std::string& jobsFolder, const std::string& program)
{
    const std::string ext = porttool::kJobExtension;
    const std::string companionExt = porttool::kCompanionExtension;
    const std::string from = job.folder + job.stem;
    const std::string to = jobsFolder + job.stem;
    const auto line = PendingJobCommandLine(ReadCompanion(from + companionExt), to + ext, to + companionExt);
    if (!line || !Move(from + ext, to + ext))
        return false;
    if (!Move(from + companionExt, to + companionExt)) {
        Move(to + ext, from + ext);
        return false;
    }
    if (Start(program, *line))
        return true;
    Move(to + ext, from + ext);
    Move(to + companionExt, from + companionExt);
    return false;
}

} // namespace

int OfferPendingJobs(const std::string& program)
{
    const std::string data = DataFolderOf(AppDataFolder());
    std::vector<TFolderListing> listings;
    for (const std::string& folder : {data + porttool::kPendingFolderName, SharedPendingFolder()})
        if (!folder.empty())
            listings.emplace_back(folder, FileNames(folder));
    const std::vector<TPendingJob> jobs = OrderPendingJobs(listings);
    const std::string jobsFolder = data + porttool::kJobsFolderName;
    if (jobs.empty() || !CreateFolderPath(jobsFolder))
        return 0;
    int started = 0;
    for (const TPendingJob& job : jobs)
        started += Offer(job, jobsFolder, program);
    return started;
}

} // namespace folimar
