// File, folder and registry utilities.
#include "jobprep/common.h"

#include "base/printer_constants.h"
#include "jobprep/text_rules.h"
#include "win/handle.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

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

namespace {

// Not std::wstring: Winelib's WCHAR is 16 bits, the C++ library's wchar_t is not.
std::vector<WCHAR> ToWide(UINT codePage, std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::vector<WCHAR> wide(static_cast<size_t>(std::max(units, 0)));
    if (units > 0)
        ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), units);
    return wide;
}

// The wide text in the program's ANSI code page. *lossy tells whether a character had no exact
// form there: no best-fit look-alikes, "_" in its place.
std::string ToAnsi(const WCHAR* wide, int units, bool* lossy)
{
    *lossy = false;
    if (units <= 0)
        return {};
    const UINT codePage = ::GetACP();
    // UTF-8 holds every character; only an unpaired surrogate fails, and UTF-8 takes no other flag.
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const char* defaultChar = codePage == CP_UTF8 ? nullptr : "_";
    int bytes = ::WideCharToMultiByte(codePage, flags, wide, units, nullptr, 0, defaultChar, used);
    if (bytes <= 0) {
        *lossy = true;
        return {};
    }
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(codePage, flags, wide, units, out.data(), bytes, defaultChar, used);
    *lossy = usedDefault != FALSE;
    return out;
}

} // namespace

UINT LegacyAnsiCodePage()
{
    constexpr UINT kFallback = 1252;
    DWORD codePage = 0;
    if (!::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                          reinterpret_cast<LPSTR>(&codePage), sizeof codePage / sizeof(char)))
        return kFallback;
    // Locales without an ANSI code page of their own (Unicode-only ones) give 0 or UTF-8.
    if (codePage == 0 || codePage == CP_UTF8 || !::IsValidCodePage(codePage))
        return kFallback;
    return codePage;
}

std::string DscTextToUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    const std::vector<WCHAR> wide = ToWide(LegacyAnsiCodePage(), bytes);
    const int units = static_cast<int>(wide.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data(), size, nullptr, nullptr);
    return out;
}

std::string Utf8ToAnsiName(const std::string& utf8)
{
    if (::GetACP() == CP_UTF8)
        return utf8;
    const std::vector<WCHAR> wide = ToWide(CP_UTF8, utf8);
    bool lossy = false;
    return ToAnsi(wide.data(), static_cast<int>(wide.size()), &lossy);
}

int FirstLossyArgument(const WCHAR* commandLine)
{
    int count = 0;
    const win::WideArgv args(::CommandLineToArgvW(commandLine, &count));
    if (!args)
        return -1;
    for (int i = 0; i < count; ++i) {
        const WCHAR* arg = args.get()[i];
        bool lossy = false;
        ToAnsi(arg, ::lstrlenW(arg), &lossy);
        if (lossy)
            return i;
    }
    return -1;
}

std::string DeviceNameRefusal(const std::string& path)
{
    return "\"" + path + "\" is the name of a Windows device, not of a file: choose another name";
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

bool ReadSmallFile(HANDLE file, size_t maxBytes, std::string& text)
{
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        text.append(buffer, got);
        if (text.size() > maxBytes)
            return false;
    }
}

bool WriteTextFile(const std::string& path, std::string_view text)
{
    win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool WriteDestFile(const std::string& folder, std::string_view text)
{
    if (!DirectoryExists(folder))
        CreateFolderPath(folder);
    return WriteTextFile(folder + kDestNoteFileName, text);
}

} // namespace folimar
