#include "resample.h"

#include "animation.h"
#include "scale.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace nconv {
namespace {

using Tap = SampleTap;
using Taps = std::vector<std::vector<Tap>>;

Taps nearestTaps(std::uint32_t from, std::uint32_t to)
{
    Taps taps(to);
    for (std::uint32_t t = 0; t < to; ++t)
        taps[t].push_back({static_cast<std::uint32_t>((std::uint64_t{t} * 2 + 1) * from /
                                                      (std::uint64_t{to} * 2)),
                           1.0f});
    return taps;
}

// Mitchell and Netravali's cubic with B = C = 1/3.
double mitchell(double x)
{
    constexpr double b = 1.0 / 3, c = 1.0 / 3;
    x = std::fabs(x);
    if (x < 1)
        return ((12 - 9 * b - 6 * c) * x * x * x + (-18 + 12 * b + 6 * c) * x * x + (6 - 2 * b)) /
               6;
    if (x < 2)
        return ((-b - 6 * c) * x * x * x + (6 * b + 30 * c) * x * x + (-12 * b - 48 * c) * x +
                (8 * b + 24 * c)) /
               6;
    return 0;
}

Taps mitchellTaps(std::uint32_t from, std::uint32_t to)
{
    Taps taps(to);
    const double ratio = static_cast<double>(from) / to;
    const double widen = std::max(1.0, ratio); // shrinking spreads the kernel over more pixels
    const double support = 2 * widen;
    for (std::uint32_t t = 0; t < to; ++t) {
        const double centre = (t + 0.5) * ratio - 0.5;
        std::vector<double> weights(from, 0.0);
        double total = 0;
        const auto first = static_cast<std::int64_t>(std::ceil(centre - support));
        const auto last = static_cast<std::int64_t>(std::floor(centre + support));
        for (std::int64_t s = first; s <= last; ++s) {
            const double w = mitchell((static_cast<double>(s) - centre) / widen);
            if (w == 0)
                continue;
            // Past the edges the edge pixels repeat.
            const auto clamped = static_cast<std::uint32_t>(
                std::clamp<std::int64_t>(s, 0, static_cast<std::int64_t>(from) - 1));
            weights[clamped] += w;
            total += w;
        }
        for (std::uint32_t s = 0; s < from; ++s)
            if (weights[s] != 0)
                taps[t].push_back({s, static_cast<float>(weights[s] / total)});
    }
    return taps;
}

Taps tapsFor(ScaleFilter filter, std::uint32_t from, std::uint32_t to)
{
    switch (filter) {
    case ScaleFilter::Nearest:
        return nearestTaps(from, to);
    case ScaleFilter::Area:
        return areaCoverage(from, to);
    case ScaleFilter::Mitchell:
        break;
    }
    return mitchellTaps(from, to);
}

std::uint8_t toByte(float value)
{
    return static_cast<std::uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f));
}

Image resizeNearest(const Image& image, std::uint32_t width, std::uint32_t height)
{
    const Taps across = nearestTaps(image.width, width), down = nearestTaps(image.height, height);
    Image out;
    out.width = width, out.height = height;
    allocatePixels(out.rgba, std::size_t{width} * height * 4);
    std::uint8_t* d = out.rgba.data();
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row =
            image.rgba.data() + std::size_t{down[y][0].source} * image.width * 4;
        for (std::uint32_t x = 0; x < width; ++x, d += 4)
            std::copy_n(row + std::size_t{across[x][0].source} * 4, 4, d);
    }
    return out;
}

// Separable filtering on premultiplied colours, across then down.
Image resizeFiltered(const Image& image, std::uint32_t width, std::uint32_t height,
                     ScaleFilter filter)
{
    const Taps across = tapsFor(filter, image.width, width);
    const Taps down = tapsFor(filter, image.height, height);
    std::vector<float> rows(std::size_t{width} * image.height * 4, 0.0f);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* s = image.rgba.data() + std::size_t{y} * image.width * 4;
        float* d = rows.data() + std::size_t{y} * width * 4;
        for (std::uint32_t x = 0; x < width; ++x, d += 4)
            for (const Tap& tap : across[x]) {
                const std::uint8_t* p = s + std::size_t{tap.source} * 4;
                const float alpha = p[3] * tap.weight;
                d[0] += p[0] * alpha, d[1] += p[1] * alpha, d[2] += p[2] * alpha, d[3] += alpha;
            }
    }
    Image out;
    out.width = width, out.height = height;
    allocatePixels(out.rgba, std::size_t{width} * height * 4);
    std::vector<float> sum(std::size_t{width} * 4);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (const Tap& tap : down[y]) {
            const float* s = rows.data() + std::size_t{tap.source} * width * 4;
            for (std::size_t i = 0; i < sum.size(); ++i)
                sum[i] += s[i] * tap.weight;
        }
        std::uint8_t* d = out.rgba.data() + std::size_t{y} * width * 4;
        for (std::uint32_t x = 0; x < width; ++x, d += 4) {
            const float* p = sum.data() + std::size_t{x} * 4;
            const std::uint8_t alpha = toByte(p[3]);
            if (alpha == 0)
                continue; // fully transparent stays 0, 0, 0, 0
            for (int c = 0; c < 3; ++c)
                d[c] = toByte(p[c] / p[3]);
            d[3] = alpha;
        }
    }
    return out;
}

} // namespace

ScaleFilter filterFor(std::uint32_t from, std::uint32_t to, std::uint32_t bitsPerPixel)
{
    if (to < from)
        return ScaleFilter::Area;
    if (bitsPerPixel <= 8 && from > 0 && to % from == 0)
        return ScaleFilter::Nearest;
    return ScaleFilter::Mitchell;
}

Image resizeImage(const Image& image, std::uint32_t width, std::uint32_t height, ScaleFilter filter)
{
    if (width == 0 || height == 0 || image.width == 0 || image.height == 0)
        throw std::invalid_argument("an image cannot be scaled to or from nothing");
    checkImageSize(width, height);
    Image out = filter == ScaleFilter::Nearest ? resizeNearest(image, width, height)
                                               : resizeFiltered(image, width, height, filter);
    if (image.hotSpot)
        out.hotSpot =
            HotSpot{static_cast<int>(std::min<std::uint64_t>(
                        width - 1, std::uint64_t(image.hotSpot->x) * width / image.width)),
                    static_cast<int>(std::min<std::uint64_t>(
                        height - 1, std::uint64_t(image.hotSpot->y) * height / image.height))};
    return out;
}

Image scaleToNominal(const Image& image, std::uint32_t size, std::uint32_t bitsPerPixel)
{
    const std::uint32_t from = nominalSize(image);
    if (from == size)
        return image;
    auto side = [&](std::uint32_t length) {
        const auto scaled = static_cast<std::uint32_t>((std::uint64_t{length} * size * 2 + from) /
                                                       (std::uint64_t{from} * 2));
        return std::max<std::uint32_t>(1, scaled);
    };
    return resizeImage(image, side(image.width), side(image.height),
                       filterFor(from, size, bitsPerPixel));
}

} // namespace nconv
