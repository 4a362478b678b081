// Names that carry their owner's run, and the removal of what ended runs left.
#include "win/run_files.h"

#include "win/handle.h"
#include "win/temp_folder.h"

#include <atomic>
#include <charconv>

namespace win {

namespace {

std::optional<uint64_t> StartTime(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return std::nullopt;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

template <class T> bool ParseWhole(std::string_view text, T& value, int base)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

} // namespace

RunId CurrentRun()
{
    static const RunId run{::GetCurrentProcessId(), StartTime(::GetCurrentProcess()).value_or(0)};
    return run;
}

std::string RunFileName(std::string_view stem, const RunId& run, unsigned serial, std::string_view suffix)
{
    char started[17] = {};
    std::to_chars(started, started + 16, run.started, 16);
    return std::string(stem) + std::to_string(run.pid) + "-" + started + "-" + std::to_string(serial) +
           std::string(suffix);
}

std::optional<RunId> RunFileOwner(std::string_view name, std::string_view stem, std::string_view suffix)
{
    // Names on Windows compare without case.
    auto sameText = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size())) == CSTR_EQUAL;
    };
    if (name.size() <= stem.size() + suffix.size() || !sameText(name.substr(0, stem.size()), stem) ||
        !sameText(name.substr(name.size() - suffix.size()), suffix))
        return std::nullopt;
    std::string_view middle = name.substr(stem.size(), name.size() - stem.size() - suffix.size());
    size_t first = middle.find('-');
    size_t second = first == std::string_view::npos ? first : middle.find('-', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    RunId run;
    unsigned serial = 0;
    if (!ParseWhole(middle.substr(0, first), run.pid, 10) ||
        !ParseWhole(middle.substr(first + 1, second - first - 1), run.started, 16) ||
        !ParseWhole(middle.substr(second + 1), serial, 10))
        return std::nullopt;
    return run;
}

bool RunGoesOn(const RunId& run)
{
    if (run == CurrentRun())
        return true;
    UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, run.pid));
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    if (::WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT)
        return false;
    // The same id may have gone to a later process.
    std::optional<uint64_t> started = StartTime(process.get());
    return !started || *started == run.started;
}

unsigned NextRunFileSerial()
{
    static std::atomic<unsigned> serial{0};
    return ++serial;
}

void RemoveDeadRunFiles(const std::string& folder, std::string_view stem, std::string_view suffix,
                        const RunFileCheck& mayRemove)
{
    WIN32_FIND_DATAA fd;
    std::string pattern = folder + std::string(stem) + "*" + std::string(suffix);
    FindHandle find(::FindFirstFileA(pattern.c_str(), &fd));
    if (!find)
        return;
    do {
        std::optional<RunId> owner = RunFileOwner(fd.cFileName, stem, suffix);
        if (!owner || RunGoesOn(*owner))
            continue;
        std::string full = folder + fd.cFileName;
        if (mayRemove && !mayRemove(full))
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(full + "\\");
        } else {
            ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(full.c_str());
        }
    } while (::FindNextFileA(find.get(), &fd));
}

} // namespace win
