// Draws the product's pictures: shapes are drawn four times too large with GDI, then shrunk.
#include "resources/glyphs.h"

#include "win/dpi.h"
#include "win/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace folimar {

uint32_t ToPixel(COLORREF color)
{
    return (static_cast<uint32_t>(GetRValue(color)) << 16) | (static_cast<uint32_t>(GetGValue(color)) << 8) |
           GetBValue(color);
}

Pixels Downsample(const Pixels& large, int factor)
{
    Pixels out;
    if (factor <= 0)
        return out;
    out.width = large.width / factor;
    out.height = large.height / factor;
    out.data.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    const uint32_t count = static_cast<uint32_t>(factor * factor);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            uint32_t r = 0, g = 0, b = 0;
            for (int dy = 0; dy < factor; ++dy) {
                const uint32_t* row = &large.data[static_cast<size_t>(y * factor + dy) * large.width];
                for (int dx = 0; dx < factor; ++dx) {
                    uint32_t p = row[x * factor + dx];
                    r += (p >> 16) & 0xFF;
                    g += (p >> 8) & 0xFF;
                    b += p & 0xFF;
                }
            }
            // Rounded averages, so that a block of one colour keeps that colour exactly.
            r = (r + count / 2) / count;
            g = (g + count / 2) / count;
            b = (b + count / 2) / count;
            out.data[static_cast<size_t>(y) * out.width + x] = (r << 16) | (g << 8) | b;
        }
    }
    return out;
}

Pixels Disabled(const Pixels& picture, COLORREF background)
{
    Pixels out = picture;
    const uint32_t bg = ToPixel(background);
    const uint32_t bgR = (bg >> 16) & 0xFF, bgG = (bg >> 8) & 0xFF, bgB = bg & 0xFF;
    for (uint32_t& p : out.data) {
        uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        uint32_t grey = (r * 299 + g * 587 + b * 114 + 500) / 1000;
        p = (((grey + bgR + 1) / 2) << 16) | (((grey + bgG + 1) / 2) << 8) | ((grey + bgB + 1) / 2);
    }
    return out;
}

namespace {

constexpr int kScale = 4;

struct Pt {
    double x;
    double y;
};

// Drawing in the picture's own units (pixels at 96 DPI) on a DC of size pixels that is unit
// times larger.
class Painter {
public:
    Painter(HDC dc, double unit, SIZE size) : dc_(dc), unit_(unit), size_(size) {}

    int S(double v) const { return static_cast<int>(std::lround(v * unit_)); }

    // The picture's right and bottom edges in units: its size rounded to whole pixels at the
    // screen's DPI may be a fraction of a unit larger than asked for.
    double Right() const { return size_.cx / unit_; }
    double Bottom() const { return size_.cy / unit_; }

    void Polygon(std::initializer_list<Pt> points, COLORREF fill, COLORREF outline, double width = 1)
    {
        Polygon(std::vector<Pt>(points), fill, outline, width);
    }

    void Polygon(const std::vector<Pt>& points, COLORREF fill, COLORREF outline, double width = 1)
    {
        std::vector<POINT> scaled;
        for (const Pt& p : points)
            scaled.push_back({S(p.x), S(p.y)});
        WithPenAndBrush(fill, outline, width, [&] { ::Polygon(dc_, scaled.data(), static_cast<int>(scaled.size())); });
    }

    void RoundRect(double l, double t, double r, double b, double radius, COLORREF fill, COLORREF outline,
                   double width = 1)
    {
        WithPenAndBrush(fill, outline, width,
                        [&] { ::RoundRect(dc_, S(l), S(t), S(r), S(b), S(radius * 2), S(radius * 2)); });
    }

    void Ellipse(double l, double t, double r, double b, COLORREF fill, COLORREF outline, double width = 1)
    {
        WithPenAndBrush(fill, outline, width, [&] { ::Ellipse(dc_, S(l), S(t), S(r), S(b)); });
    }

    void Rect(double l, double t, double r, double b, COLORREF fill)
    {
        RECT rc{S(l), S(t), S(r), S(b)};
        win::Brush brush(::CreateSolidBrush(fill));
        ::FillRect(dc_, &rc, brush.get());
    }

    void Line(Pt from, Pt to, COLORREF color, double width)
    {
        win::Pen pen(MakePen(color, width));
        win::SelectedObject p(dc_, pen.get());
        ::MoveToEx(dc_, S(from.x), S(from.y), nullptr);
        ::LineTo(dc_, S(to.x), S(to.y));
    }

    void HorizontalGradient(double l, double t, double r, double b, COLORREF from, COLORREF to)
    {
        const int left = S(l), right = S(r);
        for (int x = left; x < right; ++x) {
            double f = right - left > 1 ? static_cast<double>(x - left) / (right - left - 1) : 0;
            auto mix = [f](int a, int b) { return static_cast<BYTE>(std::lround(a + (b - a) * f)); };
            COLORREF c = RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                             mix(GetBValue(from), GetBValue(to)));
            RECT rc{x, S(t), x + 1, S(b)};
            win::Brush brush(::CreateSolidBrush(c));
            ::FillRect(dc_, &rc, brush.get());
        }
    }

    // Text with its cell's top-left corner at (x, y), or centred in the box when centred is set.
    void Text(const char* text, double x, double y, double r, double b, double height, bool bold, COLORREF color,
              bool centred)
    {
        win::Font font(::CreateFontA(-S(height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                     VARIABLE_PITCH | FF_SWISS, "Tahoma"));
        win::SelectedObject f(dc_, font.get());
        ::SetBkMode(dc_, TRANSPARENT);
        ::SetTextColor(dc_, color);
        RECT rc{S(x), S(y), S(r), S(b)};
        UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | (centred ? DT_CENTER | DT_VCENTER : 0);
        ::DrawTextA(dc_, text, -1, &rc, format);
    }

private:
    HPEN MakePen(COLORREF color, double width)
    {
        LOGBRUSH lb{BS_SOLID, color, 0};
        return ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                              static_cast<DWORD>(std::max(1, S(width))), &lb, 0, nullptr);
    }

    void WithPenAndBrush(COLORREF fill, COLORREF outline, double width, const std::function<void()>& draw)
    {
        win::Pen pen(MakePen(outline, width));
        win::Brush brush(::CreateSolidBrush(fill));
        win::SelectedObject p(dc_, pen.get());
        win::SelectedObject b(dc_, brush.get());
        draw();
    }

    HDC dc_;
    double unit_;
    SIZE size_;
};

win::Bitmap ToBitmap(const Pixels& pixels)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = pixels.width;
    bi.bmiHeader.biHeight = -pixels.height; // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::Bitmap bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits)
        std::memcpy(bits, pixels.data.data(), pixels.data.size() * sizeof(uint32_t));
    return bitmap;
}

// Draws a picture of width x height units at the screen's DPI, kScale times larger on the
// background colour, and shrinks the result: it is as sharp at 144 DPI as at 96.
Pixels Render(int width, int height, COLORREF background, const std::function<void(Painter&)>& draw)
{
    Pixels large;
    large.width = win::Scale(width) * kScale;
    large.height = win::Scale(height) * kScale;
    large.data.assign(static_cast<size_t>(large.width) * large.height, ToPixel(background));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = large.width;
    bi.bmiHeader.biHeight = -large.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::Bitmap dib(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    win::MemoryDc memory;
    if (dib && bits && memory.get()) {
        std::memcpy(bits, large.data.data(), large.data.size() * sizeof(uint32_t));
        {
            win::SelectedObject s(memory.get(), dib.get());
            const double unit = kScale * win::ScreenDpi() / static_cast<double>(USER_DEFAULT_SCREEN_DPI);
            Painter painter(memory.get(), unit, {large.width, large.height});
            draw(painter);
            ::GdiFlush();
        }
        std::memcpy(large.data.data(), bits, large.data.size() * sizeof(uint32_t));
    }
    return Downsample(large, kScale);
}

constexpr COLORREF kRed = RGB(204, 36, 42);
constexpr COLORREF kDarkRed = RGB(150, 22, 28);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPageEdge = RGB(118, 118, 118);

// A sheet of paper with a folded corner, its box given by left, top, right and bottom.
void DrawPage(Painter& p, double l, double t, double r, double b, double fold, COLORREF edge, COLORREF foldFill)
{
    p.Polygon({{l, t}, {r - fold, t}, {r, t + fold}, {r, b}, {l, b}}, kWhite, edge);
    p.Polygon({{r - fold, t}, {r - fold, t + fold}, {r, t + fold}}, foldFill, edge);
}

void DrawConvert(Painter& p)
{
    DrawPage(p, 8, 2, 28, 30, 6, kPageEdge, RGB(222, 222, 222));
    for (double y : {10.0, 13.5, 17.0})
        p.Rect(11, y, 25, y + 1.3, RGB(176, 176, 176));
    p.RoundRect(2.5, 19, 22.5, 28.5, 2, kRed, kDarkRed);
    p.Text("PDF", 2.5, 19, 22.5, 28.5, 8, true, kWhite, true);
}

void DrawCancel(Painter& p)
{
    p.Ellipse(3, 3, 29, 29, RGB(214, 52, 46), RGB(158, 30, 28));
    p.Line({11.5, 11.5}, {20.5, 20.5}, kWhite, 3.2);
    p.Line({20.5, 11.5}, {11.5, 20.5}, kWhite, 3.2);
}

void DrawBrowse(Painter& p)
{
    constexpr COLORREF edge = RGB(168, 118, 28);
    p.Polygon({{1.5, 3}, {8, 3}, {10, 5}, {20.5, 5}, {20.5, 17.5}, {1.5, 17.5}}, RGB(230, 176, 58), edge);
    p.Polygon({{4, 8.5}, {23, 8.5}, {20.5, 17.5}, {1.5, 17.5}}, RGB(252, 212, 96), edge);
}

// A round sign: a filled circle with a white mark drawn over it, in a box of size units at (x, y).
void DrawCross(Painter& p, double x, double y, double size, double width)
{
    const double a = x + size * 0.32, b = x + size * 0.68, c = y + size * 0.32, d = y + size * 0.68;
    p.Line({a, c}, {b, d}, kWhite, width);
    p.Line({b, c}, {a, d}, kWhite, width);
}

void DrawAddFiles(Painter& p)
{
    DrawPage(p, 5, 2, 25, 30, 6, kPageEdge, RGB(222, 222, 222));
    for (double y : {10.0, 13.5, 17.0})
        p.Rect(8, y, 22, y + 1.3, RGB(176, 176, 176));
    p.Ellipse(15, 15, 31, 31, RGB(58, 160, 72), RGB(34, 112, 48));
    p.Line({23, 18.5}, {23, 27.5}, kWhite, 2.8);
    p.Line({18.5, 23}, {27.5, 23}, kWhite, 2.8);
}

// A gear: teeth around a wheel with a hole.
void DrawSetting(Painter& p)
{
    constexpr int kTeeth = 8;
    constexpr double kPi = 3.14159265358979323846;
    const Pt c{16, 16};
    std::vector<Pt> outline;
    for (int i = 0; i < kTeeth; ++i) {
        const double step = 2 * kPi / kTeeth, start = i * step;
        for (auto [angle, radius] : {std::pair{start - step * 0.18, 14.0}, std::pair{start + step * 0.18, 14.0},
                                     std::pair{start + step * 0.32, 10.5}, std::pair{start + step * 0.68, 10.5}})
            outline.push_back({c.x + radius * std::cos(angle), c.y + radius * std::sin(angle)});
    }
    p.Polygon(outline, RGB(112, 128, 150), RGB(70, 82, 100));
    p.Ellipse(c.x - 4.5, c.y - 4.5, c.x + 4.5, c.y + 4.5, kWhite, RGB(70, 82, 100));
}

void DrawStop(Painter& p)
{
    p.Ellipse(3, 3, 29, 29, RGB(214, 52, 46), RGB(158, 30, 28));
    p.Rect(11, 11, 21, 21, kWhite);
}

// The row delete glyph: a red cross in the 16-unit cell at x.
// A grey waste bin: a red cross here read as the failed mark beside it.
void DrawRowDelete(Painter& p, double x)
{
    constexpr COLORREF kBinEdge = RGB(88, 88, 96);
    p.Rect(x + 6.5, 2, x + 9.5, 3.2, kBinEdge);
    p.Rect(x + 3.5, 3.2, x + 12.5, 4.6, kBinEdge);
    p.Polygon({{x + 4.6, 5.4}, {x + 11.4, 5.4}, {x + 10.6, 14}, {x + 5.4, 14}}, RGB(214, 214, 220), kBinEdge, 1);
    for (double lx : {6.8, 8.0, 9.2})
        p.Line({x + lx, 7}, {x + lx, 12.4}, kBinEdge, 0.8);
}

// The list's document picture: a small page with lines, in the 16-unit cell at x.
void DrawDocument(Painter& p, double x)
{
    DrawPage(p, x + 3, 1.5, x + 13, 14.5, 3.5, kPageEdge, RGB(222, 222, 222));
    for (double y : {6.5, 9.0, 11.5})
        p.Rect(x + 5, y, x + 11, y + 1, RGB(120, 144, 196));
}

void DrawDone(Painter& p, double x)
{
    p.Ellipse(x + 1, 1, x + 15, 15, RGB(58, 160, 72), RGB(34, 112, 48));
    p.Line({x + 4.5, 8.2}, {x + 7, 10.8}, kWhite, 1.8);
    p.Line({x + 7, 10.8}, {x + 11.5, 5.2}, kWhite, 1.8);
}

void DrawFailed(Painter& p, double x)
{
    p.Ellipse(x + 1, 1, x + 15, 15, RGB(214, 52, 46), RGB(158, 30, 28));
    DrawCross(p, x, 0, 16, 1.8);
}

// Busy frame n of count: dots round a circle, the one at n darkest and the ones behind it fading.
void DrawBusy(Painter& p, double x, int n, int count)
{
    constexpr double kPi = 3.14159265358979323846;
    for (int i = 0; i < count; ++i) {
        const double angle = -kPi / 2 + 2 * kPi * i / count;
        const double cx = x + 8 + 5.2 * std::cos(angle), cy = 8 + 5.2 * std::sin(angle);
        const int behind = (n - i + count) % count; // 0 for the head of the animation
        const int shade = std::min(220, 40 + behind * 30);
        const COLORREF colour = RGB(shade / 2, shade * 3 / 4, std::min(255, shade + 60));
        p.Ellipse(cx - 1.7, cy - 1.7, cx + 1.7, cy + 1.7, colour, colour, 0.5);
    }
}

// The product mark: a red tile holding a white page, size pixels square at (x, y).
void DrawMark(Painter& p, double x, double y, double size)
{
    const double u = size / 36.0;
    p.RoundRect(x, y, x + size, y + size, 7 * u, kRed, kDarkRed);
    DrawPage(p, x + 10 * u, y + 7 * u, x + 26 * u, y + 29 * u, 5 * u, kWhite, RGB(244, 186, 188));
    for (double line : {14.0, 18.0, 22.0})
        p.Rect(x + 13 * u, y + line * u, x + 23 * u, y + (line + 1.5) * u, RGB(226, 120, 124));
}

} // namespace

namespace {

// The size a glyph is drawn for, in pixels at 96 DPI.
SIZE LayoutSize(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Browse:
        return {24, 20};
    case Glyph::RowDelete:
        return {kListImageSize, kListImageSize};
    case Glyph::Convert:
    case Glyph::Cancel:
    case Glyph::AddFiles:
    case Glyph::Setting:
    case Glyph::Stop:
        break;
    }
    return {32, 32};
}

} // namespace

win::Bitmap MakeGlyph(Glyph glyph, COLORREF background, bool disabled)
{
    SIZE size = LayoutSize(glyph);
    Pixels pixels = Render(size.cx, size.cy, background, [glyph](Painter& p) {
        switch (glyph) {
        case Glyph::Convert:
            DrawConvert(p);
            break;
        case Glyph::Cancel:
            DrawCancel(p);
            break;
        case Glyph::Browse:
            DrawBrowse(p);
            break;
        case Glyph::AddFiles:
            DrawAddFiles(p);
            break;
        case Glyph::Setting:
            DrawSetting(p);
            break;
        case Glyph::Stop:
            DrawStop(p);
            break;
        case Glyph::RowDelete:
            DrawRowDelete(p, 0);
            break;
        }
    });
    return ToBitmap(disabled ? Disabled(pixels, background) : pixels);
}

win::ButtonGlyph MakeButtonGlyph(Glyph glyph, COLORREF background)
{
    return {MakeGlyph(glyph, background, false), MakeGlyph(glyph, background, true)};
}

win::Bitmap MakeLogo(int width, int height)
{
    return ToBitmap(Render(width, height, kWhite, [height](Painter& p) {
        const double mark = height - 8;
        DrawMark(p, 4, 4, mark);
        const double textLeft = mark + 12;
        p.Text("Quorvel", textLeft, 4, 160, 18, 12, false, RGB(112, 112, 112), false);
        p.Text("Folimar", textLeft, 15, 160, 42, 22, true, RGB(28, 58, 108), false);
    }));
}

win::Bitmap MakeBanner(int width, int height)
{
    return ToBitmap(Render(width, height, kWhite, [width, height](Painter& p) {
        p.HorizontalGradient(0, 0, p.Right(), p.Bottom(), RGB(24, 54, 102), RGB(74, 136, 198));
        const double mark = height - 12;
        DrawMark(p, 12, 6, mark);
        p.Text("Quorvel Folimar", mark + 24, 5, width, 28, 20, true, kWhite, false);
        p.Text("PDF files from any application", mark + 25, 28, width, 44, 12, false, RGB(206, 222, 244), false);
    }));
}

win::Bitmap MakeListImages(COLORREF maskColor)
{
    constexpr int kBusyFrames = 7;
    return ToBitmap(Render(kListImageSize * kListImageCount, kListImageSize, maskColor, [](Painter& p) {
        auto cell = [](int index) { return static_cast<double>(index * kListImageSize); };
        DrawRowDelete(p, cell(0));
        DrawDocument(p, cell(1));
        DrawDone(p, cell(5));
        for (int n = 0; n < kBusyFrames; ++n)
            DrawBusy(p, cell(6 + n), n, kBusyFrames);
        DrawFailed(p, cell(14));
    }));
}

} // namespace folimar
