// Text between code pages.
#include "files/code_pages.h"

#include "files/text_rules.h"

#include <algorithm>
#include <vector>

namespace folimar {

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

bool FitsAnsiCodePage(const WCHAR* wide, int units)
{
    bool lossy = false;
    ToAnsi(wide, units, &lossy);
    return !lossy;
}

bool FitsLegacyAnsiCodePage(std::string_view text)
{
    const std::vector<WCHAR> wide = ToWide(CP_ACP, text);
    if (wide.empty())
        return text.empty();
    BOOL usedDefault = FALSE;
    const int bytes = ::WideCharToMultiByte(LegacyAnsiCodePage(), WC_NO_BEST_FIT_CHARS, wide.data(),
                                            static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
    return bytes > 0 && !usedDefault;
}

bool SameNameText(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    // Upper case, unit by unit as the file system folds names: no locale's rules, no normalization.
    const auto folded = [](std::string_view text) {
        std::vector<WCHAR> units = ToWide(CP_ACP, text);
        const int n = static_cast<int>(units.size());
        std::vector<WCHAR> upper(units.size());
        if (n == 0 || ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, units.data(), n, upper.data(), n) != n)
            upper.clear();
        return upper;
    };
    const std::vector<WCHAR> x = folded(a), y = folded(b);
    if (x.empty() || y.empty())
        return EqualsNoCaseAscii(a, b);
    return x == y;
}

} // namespace folimar
