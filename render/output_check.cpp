// Output place checks over the file system.
#include "render/output_check.h"

#include "win/handle.h"

#include <windows.h>

namespace folimar {

namespace {

// By handle, so that another spelling (case, short name, "..") of one file is still that file.
std::optional<BY_HANDLE_FILE_INFORMATION> FileIdentity(const std::string& path)
{
    win::UniqueHandle file(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.get(), &info))
        return std::nullopt;
    return info;
}

std::string FullPath(const std::string& path)
{
    DWORD n = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::string full(n, '\0');
    n = ::GetFullPathNameA(path.c_str(), n, full.data(), nullptr);
    full.resize(n < full.size() ? n : 0);
    return full.empty() ? path : full;
}

} // namespace

bool SameFile(const std::string& a, const std::string& b)
{
    std::optional<BY_HANDLE_FILE_INFORMATION> x = FileIdentity(a);
    std::optional<BY_HANDLE_FILE_INFORMATION> y = FileIdentity(b);
    return x && y && x->dwVolumeSerialNumber == y->dwVolumeSerialNumber && x->nFileIndexHigh == y->nFileIndexHigh &&
           x->nFileIndexLow == y->nFileIndexLow;
}

std::optional<std::string> OutputProblem(const std::string& jobPath, const std::string& pdfPath)
{
    if (pdfPath.empty())
        return "no output file was given";
    const std::string full = FullPath(pdfPath);
    if (full.size() >= MAX_PATH)
        return "the path is " + std::to_string(full.size()) + " characters long; at most " +
               std::to_string(MAX_PATH - 1) + " are possible";
    const DWORD attributes = ::GetFileAttributesA(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return "it is a folder";
        if (SameFile(jobPath, full))
            return "it is the job itself";
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return "the file is read-only";
    }
    const std::string folder = full.substr(0, full.find_last_of('\\') + 1);
    const DWORD folderAttributes = ::GetFileAttributesA(folder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return "the folder " + folder + " does not exist";
    return std::nullopt;
}

} // namespace folimar
