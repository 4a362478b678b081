// The screen's DPI and the arithmetic between 96-DPI layout lengths and its pixels.
#include "win/dpi.h"

#include <windows.h>

#include <cstdint>

namespace win {

namespace {

constexpr int kLayoutDpi = USER_DEFAULT_SCREEN_DPI;

int ReadScreenDpi()
{
    HDC screen = ::GetDC(nullptr);
    int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kLayoutDpi;
}

} // namespace

int ScreenDpi()
{
    static const int dpi = ReadScreenDpi();
    return dpi;
}

int ScaleTo(int length, int dpi)
{
    return ::MulDiv(length, dpi, kLayoutDpi);
}

int UnscaleFrom(int pixels, int dpi)
{
    if (dpi <= 0)
        return pixels;
    const int64_t scaled = static_cast<int64_t>(pixels) * kLayoutDpi;
    // Integer division already rounds a negative quotient up; a positive one needs the help.
    return static_cast<int>(scaled > 0 ? (scaled + dpi - 1) / dpi : scaled / dpi);
}

int Scale(int length)
{
    return ScaleTo(length, ScreenDpi());
}

int Unscale(int pixels)
{
    return UnscaleFrom(pixels, ScreenDpi());
}

} // namespace win
