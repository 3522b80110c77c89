#include "raster.h"

#include <algorithm>

namespace {
constexpr double kPi = 3.14159265358979323846;
}

Shape Circle(double cx, double cy, double r)
{
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape Ring(double cx, double cy, double inner, double outer)
{
    return [=](double x, double y) {
        const double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        return d <= outer * outer && d >= inner * inner;
    };
}

Shape Box(double x0, double y0, double x1, double y1)
{
    return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

Shape Polygon(std::vector<std::pair<double, double>> points)
{
    return [points = std::move(points)](double x, double y) {
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const auto [xi, yi] = points[i];
            const auto [xj, yj] = points[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                inside = !inside;
        }
        return inside;
    };
}

Shape Segment(double x0, double y0, double x1, double y1, double width)
{
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / length2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double px = x0 + t * dx - x, py = y0 + t * dy - y;
        return px * px + py * py <= width * width / 4;
    };
}

Shape Union(std::vector<Shape> parts)
{
    return [parts = std::move(parts)](double x, double y) {
        return std::any_of(parts.begin(), parts.end(), [&](const Shape& s) { return s(x, y); });
    };
}

Shape Minus(Shape kept, Shape removed)
{
    return [=](double x, double y) { return kept(x, y) && !removed(x, y); };
}

Shape Rotated(Shape shape, double cx, double cy, double degrees)
{
    const double c = std::cos(-degrees * kPi / 180), s = std::sin(-degrees * kPi / 180);
    return [=](double x, double y) {
        const double dx = x - cx, dy = y - cy;
        return shape(cx + dx * c - dy * s, cy + dx * s + dy * c);
    };
}

Shape Scaled(Shape shape, double factor)
{
    return [=](double x, double y) { return shape(x / factor, y / factor); };
}

Shape Eroded(Shape shape, double d)
{
    return [=](double x, double y) {
        if (!shape(x, y))
            return false;
        for (int i = 0; i < 16; ++i)
            if (!shape(x + d * std::cos(i * kPi / 8), y + d * std::sin(i * kPi / 8)))
                return false;
        return true;
    };
}

double Coverage(const Shape& shape, int x, int y)
{
    // Corners and centre agreeing settle the pixel; only edge pixels take all 16 samples.
    const int quick = int(shape(x + 0.5, y + 0.5)) + int(shape(x, y)) + int(shape(x + 1, y)) +
                      int(shape(x, y + 1)) + int(shape(x + 1, y + 1));
    if (quick == 0 || quick == 5)
        return quick / 5;
    int hits = 0;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            hits += shape(x + (i + 0.5) / 4, y + (j + 0.5) / 4) ? 1 : 0;
    return hits / 16.0;
}

Rgba Over(Rgba below, Rgba above)
{
    const double a = above.a / 255.0, b = below.a / 255.0;
    const double outA = a + b * (1 - a);
    if (outA <= 0)
        return kClear;
    auto mix = [&](uint8_t top, uint8_t bottom) {
        return uint8_t(std::lround((top * a + bottom * b * (1 - a)) / outA));
    };
    return {mix(above.r, below.r), mix(above.g, below.g), mix(above.b, below.b),
            uint8_t(std::lround(outA * 255))};
}

void PaintSmooth(Grid<Rgba>& grid, const Shape& shape, Rgba colour)
{
    for (int y = 0; y < grid.height(); ++y)
        for (int x = 0; x < grid.width(); ++x) {
            const double cover = Coverage(shape, x, y);
            if (cover <= 0)
                continue;
            Rgba top = colour;
            top.a = uint8_t(std::lround(colour.a * cover));
            grid.at(x, y) = Over(grid.at(x, y), top);
        }
}
