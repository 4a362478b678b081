// The product's pictures (button glyphs, logo, banner), drawn at run time with GDI.
#pragma once

#include "win/gdi.h"
#include "win/picture_button.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace folimar {

// A picture as 32-bit pixels 0x00RRGGBB, rows top to bottom (the layout of a top-down DIB).
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;
};

// Each output pixel is the average of a factor x factor block: drawing large and shrinking
// gives smooth edges that plain GDI does not draw.
Pixels Downsample(const Pixels& large, int factor);

// The disabled form: grey, and faded halfway towards the background colour.
Pixels Disabled(const Pixels& picture, COLORREF background);

uint32_t ToPixel(COLORREF color);

enum class Glyph {
    Convert,
    Cancel,
    Browse,
    AddFiles, // the batch window's tool panel
    Setting,
    Stop,
    RowDelete, // the small button on each row of the batch list
};

// The glyph on the given background colour, in its normal or disabled form.
win::Bitmap MakeGlyph(Glyph glyph, COLORREF background, bool disabled);

// Both forms of the glyph, for a picture button on that background.
win::ButtonGlyph MakeButtonGlyph(Glyph glyph, COLORREF background);

// The product logo on white, sized for the single-job window's banner panel. Sizes of pictures
// are given in pixels at 96 DPI and drawn at the screen's DPI.
win::Bitmap MakeLogo(int width, int height);

// The about window's banner.
win::Bitmap MakeBanner(int width, int height);

// The batch list's images: kListImageCount pictures of 16 by 16 pixels at 96 DPI in one strip,
// left to right, drawn on maskColor (their transparent colour): 0 the row delete glyph, 1 a
// document (convertible, pending), 5 done, 6 to 12 the busy animation's frames, 14 failed; 2, 3,
// 4 and 13 are left empty.
inline constexpr int kListImageCount = 15;
inline constexpr int kListImageSize = 16;
win::Bitmap MakeListImages(COLORREF maskColor);

} // namespace folimar
