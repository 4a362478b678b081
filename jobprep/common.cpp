// File, folder and registry utilities.
#include "jobprep/common.h"

#include "base/printer_constants.h"
#include "win/handle.h"

namespace folimar {

std::string StripQuotes(std::string_view s)
{
    if (!s.empty() && s.front() == '"')
        s.remove_prefix(1);
    if (!s.empty() && s.back() == '"')
        s.remove_suffix(1);
    return std::string(s);
}

std::string ReadRegistryString(HKEY root, const std::string& subKey, const std::string& valueName)
{
    constexpr DWORD kMaxData = 1024;
    win::RegKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    char buf[kMaxData + 1];
    DWORD size = kMaxData;
    if (::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) !=
        ERROR_SUCCESS)
        return {};
    if (size > kMaxData)
        size = 0;
    buf[size] = '\0';
    return std::string(buf); // up to the first NUL
}

std::string GetMyDocumentsFolder()
{
    std::string folder = ReadRegistryString(HKEY_CURRENT_USER, kShellFoldersKey, "Personal");
    if (folder.empty())
        folder = "C:\\";
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

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

bool WriteDestFile(const std::string& folder, std::string_view text)
{
    if (!DirectoryExists(folder))
        CreateFolderPath(folder);
    std::string name = folder + kDestNoteFileName;
    win::UniqueHandle file(
        ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

} // namespace folimar
