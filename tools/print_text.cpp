// Prints a text file through GDI, as any Windows program prints, without a dialog.
//
//   print_text.exe FILE [PRINTER]
//
// Prints to PRINTER, or to the default printer; the document name is the file's name.
// Exits 0 when the printer took the job, 1 with a message otherwise.
#include "jobprep/text_rules.h"
#include "tools/text_pages.h"
#include "tools/wine_paths.h"
#include "win/error_text.h"
#include "win/gdi.h"
#include "win/handle.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kPointSize = 10;
constexpr int kMarginPerInchDivisor = 2; // half an inch on every side

int Fail(const std::string& what, DWORD error = ::GetLastError())
{
    std::fprintf(stderr, "print_text: %s: %s\n", what.c_str(), win::SystemErrorText(error).c_str());
    return 1;
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

std::string DefaultPrinter()
{
    char name[MAX_PATH + 1] = {};
    DWORD size = sizeof name;
    return ::GetDefaultPrinterA(name, &size) ? std::string(name) : std::string();
}

int Print(HDC dc, const std::string& documentName, const std::string& text)
{
    const int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    win::Font font(::CreateFontA(-::MulDiv(kPointSize, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                                 "Courier New"));
    if (!font)
        return Fail("cannot make the font");
    win::SelectedObject selected(dc, font.get());
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    const int lineHeight = std::max<int>(1, metrics.tmHeight + metrics.tmExternalLeading);
    const int charWidth = std::max<int>(1, metrics.tmAveCharWidth);
    const int left = dpiX / kMarginPerInchDivisor;
    const int top = dpiY / kMarginPerInchDivisor;
    const porttool::PageSize size{(::GetDeviceCaps(dc, HORZRES) - 2 * left) / charWidth,
                                  (::GetDeviceCaps(dc, VERTRES) - 2 * top) / lineHeight};

    win::PrintDocument document(dc, documentName.c_str());
    if (!document.started())
        return Fail("the printer refused the document");
    for (const porttool::Page& page : porttool::PaginateText(text, size)) {
        if (::StartPage(dc) <= 0)
            return Fail("cannot start a page");
        int y = top;
        for (const std::string& line : page) {
            ::TextOutA(dc, left, y, line.data(), static_cast<int>(line.size()));
            y += lineHeight;
        }
        if (::EndPage(dc) <= 0)
            return Fail("cannot end a page");
    }
    if (!document.End())
        return Fail("the printer did not take the job");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: print_text.exe FILE [PRINTER]\n");
        return 1;
    }
    const std::string path = porttool::WindowsPathOf(argv[1]);
    std::string text;
    if (!ReadWholeFile(path, text))
        return Fail("cannot read " + path);
    const std::string printer = argc == 3 ? argv[2] : DefaultPrinter();
    if (printer.empty())
        return Fail("there is no default printer");
    win::Dc dc(::CreateDCA(nullptr, printer.c_str(), nullptr, nullptr));
    if (!dc)
        return Fail("cannot open the printer \"" + printer + "\"");
    return Print(dc.get(), std::string(folimar::FileNamePart(path)), text);
}
