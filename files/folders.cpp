// Folders and files on disk.
#include "files/folders.h"

#include "win/error_text.h"
#include "win/handle.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace folimar {

bool DirectoryExists(const std::string& path)
{
    DWORD attr = ::GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path)
{
    DWORD attr = ::GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool CreateFolderPath(const std::string& path)
{
    if (path.find(":\\") != 1)
        return false;
    std::string full = path;
    if (full.back() != '\\')
        full += '\\';
    for (size_t i = 3; i < full.size(); ++i) {
        if (full[i] != '\\')
            continue;
        std::string folder = full.substr(0, i);
        if (!DirectoryExists(folder) && !::CreateDirectoryA(folder.c_str(), nullptr))
            return false;
    }
    return true;
}

bool CanCreateFileIn(const std::string& folder, DWORD& error)
{
    std::vector<char> probe(1025, '\0'); // more than any name GetTempFileNameA makes
    ::SetLastError(ERROR_SUCCESS);
    UINT unique = ::GetTempFileNameA(folder.c_str(), "~", 0, probe.data());
    const DWORD code = win::LastErrorOr(ERROR_CANNOT_MAKE);
    // Wine returns the number even when the file could not be created, so only a file that is
    // there proves that the folder can be written.
    if (unique != 0 && ::GetFileAttributesA(probe.data()) != INVALID_FILE_ATTRIBUTES) {
        ::DeleteFileA(probe.data());
        return true;
    }
    error = code;
    return false;
}

namespace {

using FolderIdentity = std::pair<DWORD, uint64_t>; // volume serial number, file index

// What the disk says of path (a link itself, not what it points to, when flags ask so).
std::optional<BY_HANDLE_FILE_INFORMATION> InformationOf(const std::string& path, DWORD flags = 0)
{
    // Opening for no access reads no data; backup semantics opens folders.
    win::UniqueHandle h(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !::GetFileInformationByHandle(h.get(), &info))
        return std::nullopt;
    return info;
}

FolderIdentity IdentityIn(const BY_HANDLE_FILE_INFORMATION& info)
{
    return {info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<FolderIdentity> IdentityOf(const std::string& path)
{
    const std::optional<BY_HANDLE_FILE_INFORMATION> info = InformationOf(path);
    if (!info)
        return std::nullopt;
    return IdentityIn(*info);
}

// The full form of path ("..", relative parts and "/" resolved); empty when there is none.
std::string FullPathOf(const std::string& path)
{
    std::vector<char> full(32768);
    const DWORD n = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size())
        return {};
    return std::string(full.data(), n);
}

} // namespace

bool IsSameOrInsideFolder(const std::string& path, const std::string& folder)
{
    const std::optional<FolderIdentity> target = IdentityOf(folder);
    if (!target)
        return false;
    std::string at = FullPathOf(path);
    if (at.empty())
        return false;
    // From the path up to its root, each existing level compared with the folder; every step
    // drops one name, so the walk ends.
    for (;;) {
        if (const std::optional<FolderIdentity> here = IdentityOf(at); here && *here == *target)
            return true;
        const size_t last = at.find_last_not_of("\\/");
        const size_t slash = last == std::string::npos ? last : at.find_last_of("\\/", last);
        if (slash == std::string::npos)
            return false;
        at.resize(slash + 1);
    }
}

uint64_t FolderFileBytes(const std::string& folder)
{
    uint64_t bytes = 0;
    WIN32_FIND_DATAA found;
    win::FindHandle find(::FindFirstFileA((folder + "*").c_str(), &found));
    if (!find)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            bytes += (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    } while (::FindNextFileA(find.get(), &found));
    return bytes;
}

bool IsPlainFileDirectlyIn(const std::string& path, const std::string& folder)
{
    const std::string full = FullPathOf(path);
    const size_t slash = full.find_last_of("\\/");
    if (full.empty() || slash == std::string::npos || slash + 1 == full.size())
        return false;
    const DWORD attributes = ::GetFileAttributesA(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)))
        return false;
    // The file itself, not what a link would lead to; a file of several names is also another's.
    const std::optional<BY_HANDLE_FILE_INFORMATION> own = InformationOf(full, FILE_FLAG_OPEN_REPARSE_POINT);
    const std::optional<BY_HANDLE_FILE_INFORMATION> followed = InformationOf(full);
    if (!own || !followed || own->nNumberOfLinks != 1 || IdentityIn(*own) != IdentityIn(*followed))
        return false;
    const std::optional<FolderIdentity> parent = IdentityOf(full.substr(0, slash + 1));
    const std::optional<FolderIdentity> target = IdentityOf(folder);
    return parent && target && *parent == *target;
}

} // namespace folimar
