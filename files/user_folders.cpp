// The user's folders.
#include "files/user_folders.h"

#include "base/printer_constants.h"
#include "files/registry.h"
#include "files/text_rules.h"

#include <windows.h>

#include <shlobj.h>

namespace folimar {

std::string GetMyDocumentsFolder()
{
    std::string folder = ReadRegistryString(HKEY_CURRENT_USER, kShellFoldersKey, "Personal");
    if (folder.empty())
        folder = "C:\\";
    return WithTrailingBackslash(folder);
}

std::string AppDataFolder()
{
    std::string folder = ReadRegistryString(HKEY_CURRENT_USER, kShellFoldersKey, "AppData");
    if (folder.empty()) {
        // "Shell Folders" is a record the shell keeps for old programs, not the folder's source.
        char path[MAX_PATH] = {};
        if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0])
            folder = path;
        else
            folder = GetMyDocumentsFolder();
    }
    return WithTrailingBackslash(folder);
}

std::string DataFolderOf(const std::string& appDataFolder)
{
    return WithTrailingBackslash(appDataFolder) + kDataFolderName;
}

std::string SpoolFolderOf(const std::string& appDataFolder)
{
    return WithTrailingBackslash(appDataFolder) + kSpoolFolderName;
}

} // namespace folimar
