// The pointer files beside the program (HAND-M.CUR, drag.ico) and the application icon, drawn by
// code so that every picture we ship is our own.
#include "pictures.h"

#include <algorithm>
#include <cmath>

namespace {

Shape HandShape()
{
    return Union({
        Segment(11.5, 3.5, 11.5, 16, 5),  // the pointing finger
        Segment(15.5, 13, 15.5, 18, 4.6), // three bent fingers
        Segment(19.3, 14, 19.3, 19, 4.6), Segment(23, 15.5, 23, 20, 4.4),
        Segment(9, 21, 4.5, 16.5, 4.6), // the thumb
        Polygon({{9, 14}, {25.2, 15.5}, {25.2, 23}, {22, 27.5}, {11.5, 27.5}, {7.5, 22}}),
        Box(11.5, 26, 22, 31), // the wrist
    });
}

} // namespace

std::vector<IconImage> HandCursor()
{
    const Shape hand = HandShape();
    Grid<Rgba> g(32, 32, kClear);
    PaintSmooth(g, hand, rgb(0, 0, 0));
    PaintSmooth(g, Eroded(hand, 1.3), rgb(255, 255, 255));
    const Rgba crease = rgb(0, 0, 0);
    PaintSmooth(g, Segment(13.6, 14.5, 13.6, 18.5, 0.9), crease);
    PaintSmooth(g, Segment(17.4, 15.5, 17.4, 19.5, 0.9), crease);
    PaintSmooth(g, Segment(21.1, 16.5, 21.1, 20.5, 0.9), crease);
    PaintSmooth(g, Box(11.5, 29.8, 22, 31), rgb(0, 0, 0));
    IconImage image = MakeAlpha32(g);
    // The hot spot is the fingertip: the middle of the topmost solid row.
    for (int y = 0; y < 32 && image.hotY == 0; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < 32; ++x)
            if (g.at(x, y).a >= 128) {
                if (first < 0)
                    first = x;
                last = x;
            }
        if (first >= 0) {
            image.hotX = (first + last) / 2;
            image.hotY = y;
        }
    }
    return {image};
}

std::vector<IconImage> DragIcon()
{
    auto draw = [](int size) {
        const double s = size / 32.0;
        Grid<Rgba> g(size, size, kClear);
        // A sheet with a turned corner, and the arrow that carries it.
        const Shape sheet = Scaled(Polygon({{6, 2}, {20, 2}, {26, 8}, {26, 29}, {6, 29}}), s);
        PaintSmooth(g, sheet, rgb(40, 60, 110));
        PaintSmooth(g, Eroded(sheet, 1.2 * s), rgb(250, 250, 255));
        PaintSmooth(g, Scaled(Polygon({{20, 2}, {20, 8}, {26, 8}}), s), rgb(40, 60, 110));
        for (int i = 0; i < 4; ++i)
            PaintSmooth(g, Scaled(Box(9, 11 + 4 * i, i == 3 ? 16 : 23, 12.5 + 4 * i), s),
                        rgb(120, 150, 210));
        const Grid<Rgba> arrow = DrawArrow(size / 2, rgb(255, 255, 255));
        for (int y = 0; y < arrow.height(); ++y)
            for (int x = 0; x < arrow.width(); ++x)
                g.at(x + size / 2 - 1, y + size / 2 - 1) =
                    Over(g.at(x + size / 2 - 1, y + size / 2 - 1), arrow.at(x, y));
        return g;
    };
    // Quantised 16-pixel version for small screens: every colour a palette entry.
    Grid<Rgba> small = draw(16);
    std::vector<Rgba> palette = {rgb(0, 0, 0)};
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x) {
            Rgba& c = small.at(x, y);
            if (c.a < 128) {
                c = kClear;
                continue;
            }
            c = {uint8_t(c.r & 0xC0), uint8_t(c.g & 0xC0), uint8_t(c.b & 0xC0), 255};
            if (std::find(palette.begin(), palette.end(), c) == palette.end())
                palette.push_back(c);
        }
    // The full-size image first: the window's icon reader takes the first.
    return {MakeAlpha32(draw(32)), MakePaletted(8, palette, small)};
}

Grid<Rgba> DrawAppIcon(int size)
{
    const double s = size / 256.0;
    Grid<Rgba> g(size, size, kClear);
    // A rounded tile, a picture on it (what we write) and the cursor it comes from.
    const Shape tile = Union({Box(24, 8, 232, 248), Box(8, 24, 248, 232), Circle(24, 24, 16),
                              Circle(232, 24, 16), Circle(24, 232, 16), Circle(232, 232, 16)});
    PaintSmooth(g, Scaled(tile, s), rgb(30, 70, 150));
    PaintSmooth(g, Scaled(Box(8, 128, 248, 248), s), Rgba{10, 30, 90, 90});
    const Shape photo = Box(44, 52, 212, 180);
    PaintSmooth(g, Scaled(photo, s), rgb(255, 255, 255));
    PaintSmooth(g, Scaled(Box(54, 62, 202, 170), s), rgb(150, 205, 250));
    PaintSmooth(g, Scaled(Circle(168, 92, 14), s), rgb(255, 210, 60));
    PaintSmooth(g, Scaled(Polygon({{54, 170}, {100, 104}, {140, 150}, {160, 128}, {202, 170}}), s),
                rgb(60, 140, 70));
    const Grid<Rgba> arrow = DrawArrow(size / 2, rgb(255, 255, 255));
    const int ox = int(std::lround(120 * s)), oy = int(std::lround(120 * s));
    for (int y = 0; y < arrow.height() && oy + y < size; ++y)
        for (int x = 0; x < arrow.width() && ox + x < size; ++x)
            g.at(ox + x, oy + y) = Over(g.at(ox + x, oy + y), arrow.at(x, y));
    return g;
}

// DrawAppIcon's shapes in its 256-unit grid. The arrow is DrawArrow's outline at 4 units to its
// pixel, moved to (120, 120): black, with its white inside inset by 1.4 of its pixels (5.6 units),
// which a stroke twice that wide clipped to the outline draws.
std::string AppIconSvg()
{
    return R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <defs>
    <clipPath id="arrow">
      <polygon points="124,124 124,216 146,194 162,230 178,224 162,190 192,190"/>
    </clipPath>
  </defs>
  <rect x="8" y="8" width="240" height="240" rx="16" fill="#1e4696"/>
  <rect x="8" y="128" width="240" height="120" fill="#0a1e5a" fill-opacity="0.353"/>
  <rect x="44" y="52" width="168" height="128" fill="#ffffff"/>
  <rect x="54" y="62" width="148" height="108" fill="#96cdfa"/>
  <circle cx="168" cy="92" r="14" fill="#ffd23c"/>
  <polygon points="54,170 100,104 140,150 160,128 202,170" fill="#3c8c46"/>
  <polygon points="124,124 124,216 146,194 162,230 178,224 162,190 192,190" fill="#ffffff"
           stroke="#000000" stroke-width="11.2" clip-path="url(#arrow)"/>
</svg>
)svg";
}
