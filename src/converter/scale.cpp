#include "scale.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace nconv {
namespace {

struct Tap
{
    std::uint32_t source;
    float weight;
};

// For each of `to` target pixels, the source pixels under it and the share each contributes.
std::vector<std::vector<Tap>> coverage(std::uint32_t from, std::uint32_t to)
{
    std::vector<std::vector<Tap>> taps(to);
    const double step = static_cast<double>(from) / to;
    for (std::uint32_t t = 0; t < to; ++t) {
        const double begin = t * step, end = std::min<double>(from, (t + 1) * step);
        for (auto s = static_cast<std::uint32_t>(begin); s < from && s < end; ++s) {
            const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
            if (covered > 0)
                taps[t].push_back({s, static_cast<float>(covered / step)});
        }
    }
    return taps;
}

std::uint32_t scaledSide(std::uint32_t side, std::uint32_t longest, std::uint32_t size)
{
    const auto scaled = static_cast<std::uint32_t>(
        std::lround(static_cast<double>(side) * size / static_cast<double>(longest)));
    return std::clamp<std::uint32_t>(scaled, 1, size);
}

std::uint8_t toByte(float value)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

Image enlarged(const Image& image, std::uint32_t factor)
{
    Image out;
    out.width = image.width * factor;
    out.height = image.height * factor;
    checkImageSize(out.width, out.height);
    out.rgba.resize(static_cast<std::size_t>(out.width) * out.height * 4);
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const std::uint8_t* row = image.rgba.data() + std::size_t{y / factor} * image.width * 4;
        std::uint8_t* d = out.rgba.data() + std::size_t{y} * out.width * 4;
        for (std::uint32_t x = 0; x < out.width; ++x, d += 4)
            std::copy_n(row + std::size_t{x / factor} * 4, 4, d);
    }
    if (image.hotSpot)
        out.hotSpot = HotSpot{image.hotSpot->x * static_cast<int>(factor),
                              image.hotSpot->y * static_cast<int>(factor)};
    return out;
}

Image reduced(const Image& image, std::uint32_t width, std::uint32_t height)
{
    const auto across = coverage(image.width, width);
    const auto down = coverage(image.height, height);
    // Rows first: every source row reduced to the new width, premultiplied, as floats.
    std::vector<float> rows(static_cast<std::size_t>(image.height) * width * 4, 0.0f);
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
    out.width = width;
    out.height = height;
    out.rgba.resize(std::size_t{width} * height * 4);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (const Tap& tap : down[y]) {
                const float* p = rows.data() + (std::size_t{tap.source} * width + x) * 4;
                for (int c = 0; c < 4; ++c)
                    sum[c] += p[c] * tap.weight;
            }
            std::uint8_t* d = out.rgba.data() + (std::size_t{y} * width + x) * 4;
            const std::uint8_t alpha = toByte(sum[3]);
            if (alpha == 0)
                continue; // fully transparent pixels stay 0, 0, 0, 0
            for (int c = 0; c < 3; ++c)
                d[c] = toByte(sum[c] / sum[3]);
            d[3] = alpha;
        }
    if (image.hotSpot)
        out.hotSpot = HotSpot{
            std::min<int>(static_cast<int>(width) - 1,
                          static_cast<int>(std::int64_t{image.hotSpot->x} * width / image.width)),
            std::min<int>(
                static_cast<int>(height) - 1,
                static_cast<int>(std::int64_t{image.hotSpot->y} * height / image.height))};
    return out;
}

} // namespace

Image fitWithin(const Image& image, std::uint32_t size)
{
    if (size == 0 || size > kMaxFitSize)
        throw std::invalid_argument("the preview size must be from 1 to 4096");
    if (image.width == 0 || image.height == 0)
        return image;
    const std::uint32_t longest = std::max(image.width, image.height);
    if (longest <= size) {
        const std::uint32_t factor = size / longest;
        return factor >= 2 ? enlarged(image, factor) : image;
    }
    return reduced(image, scaledSide(image.width, longest, size),
                   scaledSide(image.height, longest, size));
}

} // namespace nconv
