// Printing a text file through GDI.
#include "tools/text_print.h"

#include "files/text_rules.h"
#include "tools/text_pages.h"
#include "win/error_text.h"
#include "win/gdi.h"
#include "win/handle.h"

#include <algorithm>
#include <vector>

namespace porttool {

namespace {

constexpr int kPointSize = 10;
constexpr int kMarginPerInchDivisor = 2; // half an inch on every side

bool Failed(std::string& error, const std::string& what, DWORD code = ::GetLastError())
{
    error = what + ": " + win::SystemErrorText(code);
    return false;
}

bool ReadWholeFile(const std::string& path, std::string& data)
{
    win::UniqueHandle file(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            return false;
        if (got == 0)
            return true;
        data.append(buffer.data(), got);
    }
}

// Text in the ANSI code page as UTF-8.
std::string AnsiToUtf8(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::vector<WCHAR> wide(static_cast<size_t>(std::max(units, 0)));
    if (units <= 0 || !::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), units))
        return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

// A text file is UTF-8 when it says so with a byte-order mark or is valid UTF-8; other text is
// in the ANSI code page, as Windows' own text programs take it.
std::string TextOfFile(std::string_view bytes)
{
    if (const std::optional<std::string_view> utf8 = Utf8TextOf(bytes))
        return std::string(*utf8);
    return AnsiToUtf8(bytes);
}

bool Print(HDC dc, const std::string& documentName, const std::string& text, std::string& error)
{
    const int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    win::Font font(::CreateFontA(-::MulDiv(kPointSize, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 FIXED_PITCH | FF_MODERN, "Courier New"));
    if (!font)
        return Failed(error, "cannot make the font");
    win::SelectedObject selected(dc, font.get());
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    const int lineHeight = std::max<int>(1, metrics.tmHeight + metrics.tmExternalLeading);
    const int charWidth = std::max<int>(1, metrics.tmAveCharWidth);
    const int left = dpiX / kMarginPerInchDivisor;
    const int top = dpiY / kMarginPerInchDivisor;
    const PageSize size{(::GetDeviceCaps(dc, HORZRES) - 2 * left) / charWidth,
                        (::GetDeviceCaps(dc, VERTRES) - 2 * top) / lineHeight};

    win::PrintDocument document(dc, documentName.c_str());
    if (!document.started())
        return Failed(error, "the printer refused the document");
    for (const Page& page : PaginateText(text, size)) {
        if (::StartPage(dc) <= 0)
            return Failed(error, "cannot start a page");
        int y = top;
        for (const std::string& line : page) {
            // Every character as it is, whatever the code page of this program.
            const std::u16string wide = folimar::Utf8ToUtf16(line);
            ::TextOutW(dc, left, y, reinterpret_cast<const WCHAR*>(wide.data()), static_cast<int>(wide.size()));
            y += lineHeight;
        }
        if (::EndPage(dc) <= 0)
            return Failed(error, "cannot end a page");
    }
    if (!document.End())
        return Failed(error, "the printer did not take the job");
    return true;
}

} // namespace

std::string DefaultPrinterName()
{
    char name[MAX_PATH + 1] = {};
    DWORD size = sizeof name;
    return ::GetDefaultPrinterA(name, &size) ? std::string(name) : std::string();
}

bool PrintTextFile(const std::string& path, const std::string& printer, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, text))
        return Failed(error, "cannot read " + path);
    if (printer.empty())
        return Failed(error, "there is no default printer", ERROR_INVALID_PRINTER_NAME);
    win::Dc dc(::CreateDCA(nullptr, printer.c_str(), nullptr, nullptr));
    if (!dc)
        return Failed(error, "cannot open the printer \"" + printer + "\"");
    return Print(dc.get(), std::string(folimar::FileNamePart(path)), TextOfFile(text), error);
}

} // namespace porttool
