// Names that carry their owner's process id, and the removal of what dead runs left.
#include "win/run_files.h"

#include "win/handle.h"
#include "win/temp_folder.h"

#include <atomic>
#include <charconv>

namespace win {

std::string RunFileName(std::string_view stem, DWORD pid, unsigned serial, std::string_view suffix)
{
    return std::string(stem) + std::to_string(pid) + "-" + std::to_string(serial) + std::string(suffix);
}

std::optional<DWORD> RunFileOwner(std::string_view name, std::string_view stem, std::string_view suffix)
{
    // Names on Windows compare without case.
    auto sameText = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() && ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(),
                                                        static_cast<int>(a.size()), b.data(),
                                                        static_cast<int>(b.size())) == CSTR_EQUAL;
    };
    if (name.size() <= stem.size() + suffix.size() || !sameText(name.substr(0, stem.size()), stem) ||
        !sameText(name.substr(name.size() - suffix.size()), suffix))
        return std::nullopt;
    std::string_view middle = name.substr(stem.size(), name.size() - stem.size() - suffix.size());
    size_t dash = middle.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == middle.size())
        return std::nullopt;
    DWORD pid = 0;
    unsigned serial = 0;
    auto [pidEnd, pidError] = std::from_chars(middle.data(), middle.data() + dash, pid);
    auto [serialEnd, serialError] = std::from_chars(middle.data() + dash + 1, middle.data() + middle.size(), serial);
    if (pidError != std::errc() || pidEnd != middle.data() + dash || serialError != std::errc() ||
        serialEnd != middle.data() + middle.size())
        return std::nullopt;
    return pid;
}

bool ProcessRunning(DWORD pid)
{
    if (pid == ::GetCurrentProcessId())
        return true;
    UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

unsigned NextRunFileSerial()
{
    static std::atomic<unsigned> serial{0};
    return ++serial;
}

void RemoveDeadRunFiles(const std::string& folder, std::string_view stem, std::string_view suffix)
{
    WIN32_FIND_DATAA fd;
    std::string pattern = folder + std::string(stem) + "*" + std::string(suffix);
    FindHandle find(::FindFirstFileA(pattern.c_str(), &fd));
    if (!find)
        return;
    do {
        std::optional<DWORD> owner = RunFileOwner(fd.cFileName, stem, suffix);
        if (!owner || ProcessRunning(*owner))
            continue;
        std::string full = folder + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(full + "\\");
        } else {
            ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(full.c_str());
        }
    } while (::FindNextFileA(find.get(), &fd));
}

} // namespace win
