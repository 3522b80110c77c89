#include "pictures.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

Rgba Mix(Rgba from, Rgba to, double t)
{
    auto m = [t](uint8_t a, uint8_t b) { return uint8_t(std::lround(a + (b - a) * t)); };
    return {m(from.r, to.r), m(from.g, to.g), m(from.b, to.b), m(from.a, to.a)};
}

// Gives a point on a circle around (cx, cy); angle 0 points up, clockwise.
std::pair<double, double> OnCircle(double cx, double cy, double r, double degrees)
{
    return {cx + r * std::sin(degrees * kPi / 180), cy - r * std::cos(degrees * kPi / 180)};
}

Shape SpokeShape(double cx, double cy, double r0, double r1, double degrees, double width)
{
    const auto [x0, y0] = OnCircle(cx, cy, r0, degrees);
    const auto [x1, y1] = OnCircle(cx, cy, r1, degrees);
    return Segment(x0, y0, x1, y1, width);
}

} // namespace

Animation HourglassAnimation()
{
    const Shape glass = Polygon({{7, 4},
                                 {25, 4},
                                 {25, 8},
                                 {18, 16},
                                 {25, 24},
                                 {25, 28},
                                 {7, 28},
                                 {7, 24},
                                 {14, 16},
                                 {7, 8}});
    const Shape inside = Eroded(glass, 1.3);
    Animation a;
    for (int k = 0; k < 4; ++k) {
        Grid<Ink> ink(32, 32, Ink::Clear);
        Paint(ink, glass, Ink::Black);
        Paint(ink, Box(4, 1, 28, 4.5), Ink::Black);
        Paint(ink, Box(4, 27.5, 28, 31), Ink::Black);
        Paint(ink, inside, Ink::White);
        // The sand inverts the screen, so it shows on any background.
        const double top = 7 + 2.6 * k, bottom = 27 - 2.6 * k;
        Paint(
            ink, [&](double x, double y) { return inside(x, y) && y >= top && y <= 15.8; },
            Ink::Invert);
        Paint(
            ink, [&](double x, double y) { return inside(x, y) && y >= bottom; }, Ink::Invert);
        if (k > 0)
            Paint(
                ink,
                [&](double x, double y) {
                    return inside(x, y) && Box(15.5, 15, 16.5, bottom)(x, y);
                },
                Ink::Invert);
        IconImage image = MakeMono(ink);
        image.hotX = 16;
        image.hotY = 16;
        a.frames.push_back({image});
    }
    a.sequence = {0, 1, 1, 2, 2, 3, 3, 3};
    a.rates = {20, 10, 10, 10, 10, 10, 10, 30};
    a.title = "Hourglass";
    a.artist = "Corvenda samples";
    a.headerWidth = 32;
    a.headerHeight = 32;
    a.headerBitCount = 1;
    return a;
}

Animation SpinnerAnimation()
{
    Animation a;
    for (int k = 0; k < 8; ++k) {
        Grid<Rgba> g(32, 32, kClear);
        for (int j = 0; j < 8; ++j) {
            const int age = (k - j + 8) % 8;
            const Rgba colour{40, 70, 160, uint8_t(255 - age * 30)};
            PaintSmooth(g, SpokeShape(16, 16, 6, 13.5, 45.0 * j, 4), colour);
        }
        a.frames.push_back({MakeAlpha32(g)});
    }
    a.cursorFrames = false;
    a.displayRate = 5;
    a.title = "Spinner";
    a.artist = "Corvenda samples";
    a.infoFirst = true;
    return a;
}

Grid<Rgba> DrawArrow(int size, Rgba fill)
{
    const double s = size / 32.0;
    std::vector<std::pair<double, double>> points = {
        {1, 1}, {1, 24}, {6.5, 18.5}, {10.5, 27.5}, {14.5, 26}, {10.5, 17.5}, {18, 17.5}};
    for (auto& p : points)
        p = {p.first * s, p.second * s};
    const Shape arrow = Polygon(points);
    Grid<Rgba> g(size, size, kClear);
    PaintSmooth(g, arrow, rgb(0, 0, 0));
    PaintSmooth(g, Eroded(arrow, 1.4 * s), fill);
    return g;
}

Animation ArrowAnimation()
{
    const Rgba fills[] = {rgb(255, 255, 255), rgb(255, 236, 140), rgb(160, 215, 255)};
    Animation a;
    for (const Rgba fill : fills) {
        // The 48-pixel bitmap of fewer colours: hard edges and a grey shadow.
        Grid<Rgba> hard(48, 48, kClear);
        std::vector<std::pair<double, double>> points = {
            {1, 1}, {1, 24}, {6.5, 18.5}, {10.5, 27.5}, {14.5, 26}, {10.5, 17.5}, {18, 17.5}};
        for (auto& p : points)
            p = {p.first * 1.5, p.second * 1.5};
        const Shape arrow = Polygon(points);
        Paint(
            hard, [&](double x, double y) { return arrow(x - 2, y - 2); }, rgb(128, 128, 128));
        Paint(hard, arrow, rgb(0, 0, 0));
        Paint(hard, Eroded(arrow, 2), fill);
        std::vector<IconImage> icon = {
            MakeAlpha32(DrawArrow(32, fill)), MakeAlpha32(DrawArrow(16, fill)),
            MakePaletted(8, {rgb(0, 0, 0), rgb(128, 128, 128), fill}, hard),
            MakeAlpha32(DrawArrow(48, fill))};
        icon[0].hotX = icon[0].hotY = 1;
        icon[1].hotX = icon[1].hotY = 0;
        icon[2].hotX = icon[2].hotY = 1;
        icon[3].hotX = icon[3].hotY = 1;
        a.frames.push_back(icon);
    }
    a.rates = {40, 15, 15};
    return a;
}

Animation PulseAnimation()
{
    std::vector<Rgba> palette = {rgb(0, 0, 0)};
    const int shades = 39;
    for (int i = 0; i < shades; ++i)
        palette.push_back(Mix(rgb(255, 232, 140), rgb(185, 20, 30), i / double(shades - 1)));
    palette.push_back(rgb(255, 255, 255));
    Animation a;
    for (int k = 0; k < 6; ++k) {
        const double r = 4 + 2 * k;
        Grid<Rgba> g(32, 32, kClear);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16) / r;
                if (d <= 1)
                    g.at(x, y) = palette[size_t(1 + std::min(shades - 1, int(d * shades)))];
            }
        Paint(g, Circle(16 - 0.4 * r, 16 - 0.4 * r, 0.22 * r + 0.5), palette.back());
        IconImage image = MakePaletted(8, palette, g);
        image.hotX = image.hotY = 16;
        a.frames.push_back({image});
    }
    a.sequence = {3, 4, 5, 4, 3, 2, 1, 0, 1, 2};
    a.rates = std::vector<uint32_t>(10, 4);
    a.title = "Pulse";
    a.artist = "Corvenda samples";
    a.headerBitCount = 8;
    return a;
}

Animation TrafficAnimation()
{
    // The 16 colours of the VGA palette, in their usual order.
    const std::vector<Rgba> vga = {
        rgb(0, 0, 0),       rgb(128, 0, 0),   rgb(0, 128, 0),   rgb(128, 128, 0),
        rgb(0, 0, 128),     rgb(128, 0, 128), rgb(0, 128, 128), rgb(192, 192, 192),
        rgb(128, 128, 128), rgb(255, 0, 0),   rgb(0, 255, 0),   rgb(255, 255, 0),
        rgb(0, 0, 255),     rgb(255, 0, 255), rgb(0, 255, 255), rgb(255, 255, 255)};
    const int lit[] = {9, 11, 10}, dim[] = {1, 3, 2};
    Animation a;
    for (int k = 0; k < 3; ++k) {
        Grid<Rgba> g(32, 32, kClear);
        Paint(g, Box(14, 29, 18, 32), vga[8]);
        Paint(g, Union({Box(10, 1, 22, 29), Box(6, 3, 10, 7), Box(22, 3, 26, 7)}), vga[0]);
        Paint(g, Box(11, 2, 21, 28), vga[8]);
        for (int j = 0; j < 3; ++j) {
            const double cy = 6.5 + 8 * j;
            Paint(g, Circle(16, cy, 3.8), vga[0]);
            Paint(g, Circle(16, cy, 3.0), vga[size_t(j == k ? lit[j] : dim[j])]);
            if (j == k)
                Paint(g, Circle(15, cy - 1, 0.9), vga[15]);
        }
        IconImage image = MakePaletted(4, vga, g);
        image.hotX = 16;
        image.hotY = 2;
        a.frames.push_back({image});
    }
    a.sequence = {0, 0, 0, 2, 2, 2, 1};
    a.rates = {30, 30, 30, 30, 30, 30, 20};
    a.headerWidth = a.headerHeight = 32;
    a.headerBitCount = 4;
    return a;
}

Animation ClockAnimation()
{
    Animation a;
    for (int k = 0; k < 12; ++k) {
        Grid<Rgba> g(32, 32, kClear);
        Paint(g, Circle(16, 16, 14.6), rgb(20, 20, 20));
        Paint(g, Circle(16, 16, 13), rgb(250, 248, 232));
        for (int t = 0; t < 12; ++t)
            PaintSmooth(g, Rotated(Box(15.3, 4, 16.7, t % 3 ? 5.5 : 7), 16, 16, 30.0 * t),
                        rgb(70, 70, 80));
        PaintSmooth(g, SpokeShape(16, 16, 0, 7, 300, 2.6), rgb(30, 30, 30));
        PaintSmooth(g, SpokeShape(16, 16, 0, 11, 30.0 * k, 1.6), rgb(200, 30, 30));
        PaintSmooth(g, Circle(16, 16, 1.8), rgb(30, 30, 30));
        IconImage image = MakeTrue24(g);
        image.hotX = image.hotY = 16;
        a.frames.push_back({image});
    }
    a.rates = std::vector<uint32_t>(12, 8);
    a.headerBitCount = 24;
    return a;
}

Grid<Rgba> DrawSun(int size, int frame)
{
    const double s = size / 256.0;
    Grid<Rgba> g(size, size, kClear);
    // A soft glow: many different alpha values, so blending is checked everywhere.
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0) / s;
            if (d < 122) {
                const double t = std::clamp((d - 60) / 62, 0.0, 1.0);
                g.at(x, y) = {255, 196, 60, uint8_t(std::lround(170 * (1 - t) * (1 - t)))};
            }
        }
    std::vector<Shape> rays;
    for (int i = 0; i < 12; ++i) {
        const double angle = 30.0 * i + 10.0 * frame;
        const auto tip = OnCircle(128, 128, 122, angle);
        const auto left = OnCircle(128, 128, 66, angle - 12);
        const auto right = OnCircle(128, 128, 66, angle + 12);
        rays.push_back(Polygon({tip, left, right}));
    }
    PaintSmooth(g, Scaled(Union(rays), s), rgb(250, 140, 20));
    PaintSmooth(g, Scaled(Circle(128, 128, 68), s), rgb(240, 160, 30));
    PaintSmooth(g, Scaled(Circle(128, 128, 63), s), rgb(255, 222, 70));
    const Rgba ink = rgb(110, 60, 10);
    PaintSmooth(g, Scaled(Union({Circle(106, 112, 8), Circle(150, 112, 8)}), s), ink);
    PaintSmooth(g, Scaled(Minus(Ring(128, 124, 30, 37), Box(0, 0, 256, 132)), s), ink);
    return g;
}

Animation SunAnimation()
{
    Animation a;
    for (int k = 0; k < 3; ++k)
        a.frames.push_back({MakeAlpha32(DrawSun(32, k)), MakePng(DrawSun(256, k))});
    a.cursorFrames = false;
    a.rates = {12, 12, 12};
    a.title = "Sun";
    a.artist = "Corvenda samples";
    return a;
}

Animation PencilAnimation()
{
    Animation a;
    for (int k = 0; k < 4; ++k) {
        const double tipX = 4 + 3 * k, tipY = 29;
        const double dx = std::cos(-kPi / 4), dy = std::sin(-kPi / 4);
        // Pencil coordinates: u along the pencil from its tip, v across it.
        auto local = [=](Shape shape) -> Shape {
            return [=](double x, double y) {
                const double u = (x - tipX) * dx + (y - tipY) * dy;
                const double v = -(x - tipX) * dy + (y - tipY) * dx;
                return shape(u, v);
            };
        };
        const Shape cone = Polygon({{0, 0}, {6, -3.5}, {6, 3.5}});
        const Shape body = Box(6, -3.5, 16, 3.5);
        const Shape band = Box(16, -3.5, 18, 3.5);
        const Shape eraser = Box(18, -3.5, 21.5, 3.5);
        const Shape whole = Union({cone, body, band, eraser});

        Grid<Rgba> g(32, 32, kClear);
        Grid<uint8_t> invert(32, 32, 0);
        // The line written so far inverts the screen.
        Paint(
            invert,
            [&](double x, double y) {
                return x >= 1 && x <= tipX &&
                       std::abs(y - (tipY - 0.3 - 1.5 * std::sin(x * 0.8))) <= 0.7;
            },
            uint8_t(1));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (invert.at(x, y))
                    g.at(x, y) = rgb(255, 255, 255);
        Paint(g, local(whole), rgb(0, 0, 0));
        Paint(g, local(Eroded(cone, 0.9)), rgb(230, 200, 150));
        Paint(g, local([&](double u, double v) { return cone(u, v) && u < 2.4; }), rgb(60, 60, 70));
        Paint(g, local(Eroded(body, 0.9)), rgb(245, 200, 40));
        Paint(g, local(Box(6.5, -0.6, 15.5, 0.6)), rgb(215, 160, 20));
        Paint(g, local(Eroded(band, 0.9)), rgb(185, 185, 195));
        Paint(g, local(Eroded(eraser, 0.9)), rgb(240, 130, 150));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (local(whole)(x + 0.5, y + 0.5))
                    invert.at(x, y) = 0;
        IconImage image = MakeZeroAlpha32(g, invert);
        image.hotX = int(tipX);
        image.hotY = int(tipY);
        a.frames.push_back({image});
    }
    a.displayRate = 15;
    return a;
}

Animation BusyAnimation()
{
    // A modern theme's busy pointer: an arrow and a spinning ring of shaded colour over a soft
    // drop shadow, played at up to 60 steps a second.
    const int size = 48;
    const Shape arrow =
        Polygon({{1, 1}, {1, 30}, {8, 23}, {13, 34}, {18, 32}, {13, 21.5}, {23, 21.5}});
    const double cx = 34, cy = 34;
    const Shape ring = Ring(cx, cy, 7.5, 12);
    Grid<double> cover(size, size, 0.0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            cover.at(x, y) = std::max(Coverage(arrow, x, y), Coverage(ring, x, y));
    // The shadow: the shapes' coverage blurred (a box of 5 x 5, twice) and moved 2 pixels down
    // and right.
    for (int pass = 0; pass < 4; ++pass) {
        Grid<double> blurred(size, size, 0.0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                double sum = 0;
                for (int d = -2; d <= 2; ++d) {
                    const int sx = pass % 2 ? x : x + d, sy = pass % 2 ? y + d : y;
                    if (cover.contains(sx, sy))
                        sum += cover.at(sx, sy);
                }
                blurred.at(x, y) = sum / 5;
            }
        cover = blurred;
    }
    Grid<Rgba> shadow(size, size, kClear);
    for (int y = 2; y < size; ++y)
        for (int x = 2; x < size; ++x)
            shadow.at(x, y) = {0, 0, 0, uint8_t(std::lround(110 * cover.at(x - 2, y - 2)))};

    Animation a;
    const int steps = 24;
    for (int k = 0; k < steps; ++k) {
        Grid<Rgba> g = shadow;
        PaintSmooth(g, arrow, rgb(0, 0, 0));
        PaintSmooth(g, Eroded(arrow, 1.4), rgb(255, 255, 255));
        PaintSmooth(g, ring, rgb(225, 228, 235));
        // The arc: 270 degrees shaded from blue to cyan, its head turning 15 degrees a step.
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double c = Coverage(Ring(cx, cy, 8.2, 11.3), x, y);
                if (c <= 0)
                    continue;
                double turn = std::atan2(x + 0.5 - cx, cy - y - 0.5) * 180 / kPi - 15.0 * k;
                turn = std::fmod(std::fmod(turn, 360) + 360, 360);
                if (turn > 270)
                    continue;
                Rgba colour = Mix(rgb(40, 90, 230), rgb(70, 230, 250), turn / 270);
                colour.a = uint8_t(std::lround(255 * c * std::min(1.0, turn / 40 + 0.3)));
                g.at(x, y) = Over(g.at(x, y), colour);
            }
        IconImage image = MakeAlpha32(g);
        image.hotX = image.hotY = 1;
        a.frames.push_back({image});
        a.rates.push_back(k % 6 == 5 ? 0 : (k % 4 == 0 ? 2 : 1));
    }
    a.title = "Busy";
    a.artist = "Corvenda samples";
    return a;
}
