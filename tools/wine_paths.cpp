// Path forms across the Wine boundary.
#include "tools/wine_paths.h"

#include <windows.h>

#include <vector>

namespace porttool {

std::string WindowsPathOf(const std::string &path)
{
#ifdef __WINE__
    if (path.empty() || path.front() != '/')
        return path;
    WCHAR *wide = wine_get_dos_file_name(path.c_str());
    if (!wide)
        return {};
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> ansi(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi.data(), bytes, nullptr, nullptr);
    ::HeapFree(::GetProcessHeap(), 0, wide);
    return std::string(ansi.data());
#else
    return path;
#endif
}

std::string FolderOf(const std::string &path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string &path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace porttool
