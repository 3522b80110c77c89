#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

// Pixel grids and the shapes the sample pictures are drawn from.

struct Rgba
{
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

constexpr Rgba kClear{0, 0, 0, 0};
constexpr Rgba rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return {r, g, b, 255};
}

template <class T> class Grid
{
public:
    Grid() = default;
    Grid(int width, int height, T fill = T{})
        : width_(width), height_(height), cells_(size_t(width) * size_t(height), fill)
    {
        if (width <= 0 || height <= 0)
            throw std::invalid_argument("grid size must be positive");
    }
    int width() const { return width_; }
    int height() const { return height_; }
    T& at(int x, int y) { return cells_[size_t(y) * size_t(width_) + size_t(x)]; }
    const T& at(int x, int y) const { return cells_[size_t(y) * size_t(width_) + size_t(x)]; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    const std::vector<T>& cells() const { return cells_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<T> cells_;
};

// A shape answers whether a point (pixel units, y down) lies inside it.
using Shape = std::function<bool(double x, double y)>;

Shape Circle(double cx, double cy, double r);
Shape Ring(double cx, double cy, double inner, double outer);
Shape Box(double x0, double y0, double x1, double y1);
Shape Polygon(std::vector<std::pair<double, double>> points);
// A stroke of the given width from (x0, y0) to (x1, y1) with round ends.
Shape Segment(double x0, double y0, double x1, double y1, double width);
Shape Union(std::vector<Shape> parts);
Shape Minus(Shape kept, Shape removed);
// The shape turned by `degrees` clockwise around (cx, cy).
Shape Rotated(Shape shape, double cx, double cy, double degrees);
Shape Scaled(Shape shape, double factor);
// The shape shrunk by `d`: points whose neighbours `d` away in 16 directions are all inside.
Shape Eroded(Shape shape, double d);

// Hard-edged painting: a cell takes the value when its centre lies in the shape.
template <class T> void Paint(Grid<T>& grid, const Shape& shape, T value)
{
    for (int y = 0; y < grid.height(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            if (shape(x + 0.5, y + 0.5))
                grid.at(x, y) = value;
}

// Share of the pixel (x, y) covered by the shape, from a 4x4 grid of sample points.
double Coverage(const Shape& shape, int x, int y);

// Smooth painting with straight alpha: the colour is laid over what is there, scaled by coverage.
void PaintSmooth(Grid<Rgba>& grid, const Shape& shape, Rgba colour);
// Straight-alpha "over" of one colour on one pixel.
Rgba Over(Rgba below, Rgba above);
