// Temporary working folders.
#include "win/temp_folder.h"

#include "win/handle.h"

namespace win {

TempFolder::TempFolder()
{
    char base[MAX_PATH + 1] = {};
    if (!::GetTempPathA(MAX_PATH, base))
        return;
    char name[MAX_PATH + 1] = {};
    // Reserves a unique name as an empty file, which then makes way for the folder.
    if (!::GetTempFileNameA(base, "fol", 0, name))
        return;
    ::DeleteFileA(name);
    if (::CreateDirectoryA(name, nullptr))
        path_ = std::string(name) + "\\";
}

TempFolder::~TempFolder()
{
    if (valid())
        RemoveTree(path_);
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA fd;
    FindHandle find(::FindFirstFileA((folder + "*").c_str(), &fd));
    if (find) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + name;
            ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full + "\\");
            else
                ::DeleteFileA(full.c_str());
        } while (::FindNextFileA(find.get(), &fd));
    }
    find.reset();
    ::SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(folder.c_str());
}

} // namespace win
