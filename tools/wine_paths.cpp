// Path forms across the Wine boundary.
#include "tools/wine_paths.h"

#include <windows.h>

#include <vector>

namespace porttool {

namespace {

// Not std::wstring: Winelib's WCHAR is 16 bits, the C++ library's wchar_t is not. Empty when
// the code page lacks a character: a look-alike would name another file.
std::string FromWide(const WCHAR* wide, UINT codePage)
{
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    int bytes = ::WideCharToMultiByte(codePage, flags, wide, -1, nullptr, 0, nullptr, used);
    if (bytes <= 0 || usedDefault)
        return {};
    std::vector<char> text(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(codePage, flags, wide, -1, text.data(), bytes, nullptr, used);
    return std::string(text.data());
}

[[maybe_unused]] std::string Convert(const std::string& text, UINT from, UINT to)
{
    int units = ::MultiByteToWideChar(from, 0, text.c_str(), -1, nullptr, 0);
    if (units <= 0)
        return {};
    std::vector<WCHAR> wide(static_cast<size_t>(units), 0);
    ::MultiByteToWideChar(from, 0, text.c_str(), -1, wide.data(), units);
    return FromWide(wide.data(), to);
}

} // namespace

std::string WindowsPathOf(const std::string& path)
{
#ifdef __WINE__
    if (path.empty() || path.front() != '/')
        return path;
    // Wine reads Unix names as UTF-8; the path came in the ANSI code page, like every argument.
    std::string unixName = Convert(path, CP_ACP, CP_UTF8);
    WCHAR* wide = unixName.empty() ? nullptr : wine_get_dos_file_name(unixName.c_str());
    if (!wide)
        return {};
    std::string windowsName = FromWide(wide, CP_ACP);
    ::HeapFree(::GetProcessHeap(), 0, wide);
    return windowsName;
#else
    return path;
#endif
}

} // namespace porttool
