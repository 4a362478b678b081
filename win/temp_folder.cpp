// Temporary working folders.
#include "win/temp_folder.h"

#include "win/handle.h"
#include "win/run_files.h"

namespace win {

namespace {

// The folders carry the owner's process id: a later run removes those of runs that were killed.
constexpr char kFolderStem[] = "folimar-";

std::string TempBase()
{
    char base[MAX_PATH + 1] = {};
    DWORD n = ::GetTempPathA(MAX_PATH, base);
    return n > 0 && n <= MAX_PATH ? std::string(base, n) : std::string();
}

} // namespace

TempFolder::TempFolder()
{
    std::string base = TempBase();
    if (base.empty())
        return;
    DWORD error = 0;
    std::string name = MakeRunFile(base, kFolderStem, "", error, [](const std::string& n) {
        return ::CreateDirectoryA(n.c_str(), nullptr) != FALSE;
    });
    if (!name.empty())
        path_ = name + "\\";
}

TempFolder::~TempFolder()
{
    if (valid())
        RemoveTree(path_);
}

void RemoveDeadRunFolders()
{
    std::string base = TempBase();
    if (!base.empty())
        RemoveDeadRunFiles(base, kFolderStem, "");
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
