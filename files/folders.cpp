// Folders and files on disk.
#include "files/folders.h"

#include "win/error_text.h"

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

} // namespace folimar
