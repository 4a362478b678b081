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

std::optional<FolderIdentity> IdentityOf(const std::string& path)
{
    // Opening for no access reads no data; backup semantics opens folders.
    win::UniqueHandle h(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !::GetFileInformationByHandle(h.get(), &info))
        return std::nullopt;
    return FolderIdentity{info.dwVolumeSerialNumber,
                          (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

} // namespace

bool IsSameOrInsideFolder(const std::string& path, const std::string& folder)
{
    const std::optional<FolderIdentity> target = IdentityOf(folder);
    if (!target)
        return false;
    std::vector<char> full(32768);
    const DWORD n = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size())
        return false;
    // From the path up to its root, each existing level compared with the folder; every step
    // drops one name, so the walk ends.
    for (std::string at(full.data(), n);;) {
        if (const std::optional<FolderIdentity> here = IdentityOf(at); here && *here == *target)
            return true;
        const size_t last = at.find_last_not_of("\\/");
        const size_t slash = last == std::string::npos ? last : at.find_last_of("\\/", last);
        if (slash == std::string::npos)
            return false;
        at.resize(slash + 1);
    }
}

} // namespace folimar
