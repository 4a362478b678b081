// The screen's DPI and the arithmetic between 96-DPI layout lengths and its pixels.
#include "win/dpi.h"

#include "win/gdi.h"

#include <windows.h>

#include <cstdint>

namespace win {

namespace {

constexpr int kLayoutDpi = USER_DEFAULT_SCREEN_DPI;

int ReadScreenDpi()
{
    WindowDc screen(nullptr);
    int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
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
