// Path forms for the Ghostscript library.
#include "render/library_path.h"

#include <windows.h>

#include <vector>

#ifdef __WINE__
#include <stdlib.h>
#endif

namespace folimar {

std::optional<std::string> ToLibraryPath(const std::string& windowsPath)
{
#ifdef __WINE__
    // Wine maps only absolute paths, and only below an existing folder.
    char full[MAX_PATH + 1] = {};
    DWORD length = ::GetFullPathNameA(windowsPath.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length > MAX_PATH)
        return std::nullopt;
    int units = ::MultiByteToWideChar(CP_ACP, 0, full, -1, nullptr, 0);
    if (units <= 0)
        return std::nullopt;
    // Not std::wstring: Winelib's WCHAR is 16 bits, the C++ library's wchar_t is not.
    std::vector<WCHAR> wide(static_cast<size_t>(units), 0);
    ::MultiByteToWideChar(CP_ACP, 0, full, -1, wide.data(), units);
    char* unixPath = wine_get_unix_file_name(wide.data());
    if (!unixPath)
        return std::nullopt;
    std::string result(unixPath);
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return result;
#else
    return windowsPath;
#endif
}

void LibraryTempFolderFromTemp()
{
#ifdef __WINE__
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH)
        return;
    if (const std::optional<std::string> unixFolder = ToLibraryPath(folder))
        ::setenv("TMPDIR", unixFolder->c_str(), 1);
#endif
}

} // namespace folimar
