// The files the port monitor makes for a job's owner, and what it reads from the registry.
#include "monitor/user_files.h"

#include "monitor/job_owner.h"
#include "monitor/monitor_names.h"
#include "port/write_all.h"

#include <sddl.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace qvmon {

namespace {

constexpr int kNameTries = 1000;
constexpr wchar_t kShellFolders[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A REG_SZ or REG_EXPAND_SZ value as it is stored (the shell writes these folders expanded).
std::wstring ReadString(HKEY root, const std::wstring& subKey, const wchar_t* name)
{
    win::RegKey key;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return {};
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
        ERROR_SUCCESS)
        return {};
    return std::wstring(text.data());
}

std::wstring ProcessImage(HANDLE process)
{
    std::vector<wchar_t> path(32768);
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process, 0, path.data(), &size))
        return {};
    return std::wstring(path.data(), size);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

} // namespace

std::wstring UserAppDataFolder(const std::wstring& sid)
{
    std::wstring folder = ReadString(HKEY_USERS, sid + kShellFolders, L"AppData");
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

std::wstring ProgramPath()
{
    return ReadString(HKEY_LOCAL_MACHINE, kProductKey, kProgramValue);
}

bool CreateFolders(const std::wstring& folder)
{
    for (size_t at = folder.find_first_of(L"\\/", 3); at != std::wstring::npos;
         at = folder.find_first_of(L"\\/", at + 1))
        ::CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadSmallFile(const std::wstring& path, size_t maxBytes, std::string& text)
{
    // Shared for deleting too: the batch replaces or removes its notes whenever it needs to; this
    // handle keeps what it opened.
    win::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > maxBytes)
        return false;
    text.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
        return false;
    text.resize(got);
    return true;
}

win::UniqueHandle CreateNewFile(const std::wstring& folder, const std::function<std::wstring(int)>& nameOf,
                                std::wstring& path)
{
    for (int n = 0; n < kNameTries; ++n) {
        std::wstring candidate = folder + nameOf(n);
        win::UniqueHandle file(::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file) {
            path = std::move(candidate);
            return file;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return {};
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return {};
}

bool WriteWholeFile(const std::wstring& path, std::string_view content)
{
    PendingFile pending(path);
    win::UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        pending.Keep(); // not ours: nothing was made
        return false;
    }
    if (!porttool::WriteAll(file.get(), content))
        return false;
    file.reset();
    pending.Keep();
    return true;
}

bool PublishJobId(const std::wstring& folder, uint32_t id, std::string_view content)
{
    const std::wstring temp = folder + L"~jobid-" + std::to_wstring(id) + L".tmp";
    if (!WriteWholeFile(temp, content))
        return false;
    PendingFile pending(temp);
    if (!::MoveFileExW(temp.c_str(), (folder + std::to_wstring(id)).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    pending.Keep();
    return true;
}

bool CreatePrivateFolder(const std::wstring& folder, const std::wstring& sid)
{
    std::wstring sddl = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    if (!sid.empty())
        sddl += L"(A;OICI;FA;;;" + sid + L")";
    win::Scoped<win::LocalMemoryTraits<PSECURITY_DESCRIPTOR>> descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, descriptor.put(),
                                                                nullptr))
        return false;
    const size_t parent = folder.find_last_of(L'\\', folder.size() >= 2 ? folder.size() - 2 : 0);
    if (parent != std::wstring::npos && !CreateFolders(folder.substr(0, parent + 1)))
        return false;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    ::CreateDirectoryW(folder.c_str(), &attributes);
    const DWORD found = ::GetFileAttributesW(folder.c_str());
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY);
}

bool MoveIntoFolder(const std::wstring& path, const std::wstring& target, std::wstring& moved)
{
    if (!::MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        return false;
    moved = target;
    return true;
}

bool ProgramRunsAs(const std::wstring& program, const std::wstring& sid)
{
    win::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process || !SamePath(ProcessImage(process.get()), program))
            continue;
        win::UniqueHandle token;
        if (::OpenProcessToken(process.get(), TOKEN_QUERY, token.put()) && TokenUserSid(token.get()) == sid)
            return true;
    }
    return false;
}

void PendingFile::Discard()
{
    if (path_.empty())
        return;
    const DWORD error = ::GetLastError();
    ::DeleteFileW(path_.c_str());
    ::SetLastError(error);
    path_.clear();
}

} // namespace qvmon
