// Layout lengths written at 96 DPI, turned into pixels of the screen's DPI.
#pragma once

namespace win {

// The screen's pixels per logical inch, read once: the program is system DPI aware, so the
// value Windows gives it at start stays for the life of the process.
int ScreenDpi();

// A length at 96 DPI in pixels at dpi, rounded to the nearest pixel.
int ScaleTo(int length, int dpi);

// A length in pixels at dpi back at 96 DPI, rounded up: a measured text still fits once scaled.
int UnscaleFrom(int pixels, int dpi);

// The same at the screen's DPI.
int Scale(int length);
int Unscale(int pixels);

} // namespace win
