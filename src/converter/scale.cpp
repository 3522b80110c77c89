#include "scale.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace nconv {
namespace {

using Tap = FittedRows::Tap;

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

// For the non-negative sums of a reduction; cheaper than lround, which dominated a preview.
std::uint8_t toByte(float value)
{
    return static_cast<std::uint8_t>(std::min(value + 0.5f, 255.0f));
}

} // namespace

FittedRows::FittedRows(const Image& image, std::uint32_t size) : image_(image)
{
    if (size == 0 || size > kMaxFitSize)
        throw std::invalid_argument("the preview size must be from 1 to 4096");
    width_ = image.width, height_ = image.height;
    const std::uint32_t longest = std::max(image.width, image.height);
    if (longest == 0)
        return;
    if (longest <= size) {
        factor_ = std::max<std::uint32_t>(1, size / longest);
        width_ *= factor_, height_ *= factor_;
        checkImageSize(width_, height_);
    } else {
        width_ = scaledSide(image.width, longest, size);
        height_ = scaledSide(image.height, longest, size);
        // Whole factors, with sums that fit 32 bits (255 * 255 * area).
        if (image.width % width_ == 0 && image.height % height_ == 0 &&
            std::uint64_t{image.width / width_} * (image.height / height_) <= 65536) {
            boxX_ = image.width / width_, boxY_ = image.height / height_;
            wholeSums_.resize(std::size_t{width_} * 4);
        } else {
            across_ = coverage(image.width, width_);
            down_ = coverage(image.height, height_);
            sums_.resize(std::size_t{image.width} * 4);
        }
    }
    row_.resize(std::size_t{width_} * 4);
}

const std::uint8_t* FittedRows::next()
{
    if (y_ >= height_)
        throw std::logic_error("no rows left in the fitted picture");
    const std::uint8_t* row = boxX_ ? boxRow() : across_.empty() ? enlargedRow() : averagedRow();
    ++y_;
    return row;
}

const std::uint8_t* FittedRows::enlargedRow()
{
    const std::uint8_t* source = image_.rgba.data() + std::size_t{y_ / factor_} * image_.width * 4;
    if (factor_ == 1)
        return source;
    if (y_ % factor_ == 0) {
        std::uint8_t* d = row_.data();
        for (std::uint32_t x = 0; x < image_.width; ++x)
            for (std::uint32_t k = 0; k < factor_; ++k, d += 4)
                std::memcpy(d, source + std::size_t{x} * 4, 4);
    }
    return row_.data();
}

// Shrinking by whole factors, the usual case (256 to 128): the same averaging in integers.
const std::uint8_t* FittedRows::boxRow()
{
    // Locals, not members: stores through the sums could alias them, which kept the loop slow.
    const std::uint32_t boxX = boxX_, boxY = boxY_, width = width_;
    const std::size_t sourceRow = std::size_t{image_.width} * 4;
    std::uint32_t* const sums = wholeSums_.data();
    std::fill(wholeSums_.begin(), wholeSums_.end(), 0u);
    const std::uint8_t* s = image_.rgba.data() + std::size_t{y_} * boxY * sourceRow;
    for (std::uint32_t sy = 0; sy < boxY; ++sy) {
        std::uint32_t* sum = sums;
        std::uint32_t r = 0, g = 0, b = 0, a = 0, k = 0;
        for (std::uint32_t x = 0; x < width * boxX; ++x, s += 4) {
            const std::uint32_t alpha = s[3];
            r += s[0] * alpha, g += s[1] * alpha, b += s[2] * alpha, a += alpha;
            if (++k == boxX) {
                sum[0] += r, sum[1] += g, sum[2] += b, sum[3] += a;
                sum += 4, r = g = b = a = k = 0;
            }
        }
    }
    const std::uint32_t area = boxX * boxY;
    const std::uint32_t* sum = sums;
    std::uint8_t* d = row_.data();
    for (std::uint32_t x = 0; x < width; ++x, sum += 4, d += 4) {
        const std::uint32_t alpha = (sum[3] + area / 2) / area;
        if (alpha == 0) {
            std::memset(d, 0, 4); // fully transparent pixels stay 0, 0, 0, 0
            continue;
        }
        for (int c = 0; c < 3; ++c)
            d[c] = static_cast<std::uint8_t>((sum[c] + sum[3] / 2) / sum[3]);
        d[3] = static_cast<std::uint8_t>(alpha);
    }
    return row_.data();
}

const std::uint8_t* FittedRows::averagedRow()
{
    // The source rows under this row summed premultiplied, then reduced to the new width.
    std::fill(sums_.begin(), sums_.end(), 0.0f);
    for (const Tap& tap : down_[y_]) {
        const std::uint8_t* s = image_.rgba.data() + std::size_t{tap.source} * image_.width * 4;
        float* c = sums_.data();
        for (std::uint32_t x = 0; x < image_.width; ++x, s += 4, c += 4) {
            const float alpha = s[3] * tap.weight;
            c[0] += s[0] * alpha, c[1] += s[1] * alpha, c[2] += s[2] * alpha, c[3] += alpha;
        }
    }
    std::uint8_t* d = row_.data();
    for (std::uint32_t x = 0; x < width_; ++x, d += 4) {
        float sum[4] = {0, 0, 0, 0};
        for (const Tap& tap : across_[x]) {
            const float* p = sums_.data() + std::size_t{tap.source} * 4;
            for (int c = 0; c < 4; ++c)
                sum[c] += p[c] * tap.weight;
        }
        const std::uint8_t alpha = toByte(sum[3]);
        if (alpha == 0) {
            std::memset(d, 0, 4);
            continue;
        }
        for (int c = 0; c < 3; ++c)
            d[c] = toByte(sum[c] / sum[3]);
        d[3] = alpha;
    }
    return row_.data();
}

Image fitWithin(const Image& image, std::uint32_t size)
{
    FittedRows rows(image, size);
    Image out;
    out.width = rows.width();
    out.height = rows.height();
    out.rgba.resize(std::size_t{out.width} * out.height * 4);
    for (std::uint32_t y = 0; y < out.height; ++y)
        std::memcpy(out.rgba.data() + std::size_t{y} * out.width * 4, rows.next(),
                    std::size_t{out.width} * 4);
    if (image.hotSpot && image.width > 0 && image.height > 0)
        out.hotSpot = HotSpot{std::min<int>(static_cast<int>(out.width) - 1,
                                            static_cast<int>(std::int64_t{image.hotSpot->x} *
                                                             out.width / image.width)),
                              std::min<int>(static_cast<int>(out.height) - 1,
                                            static_cast<int>(std::int64_t{image.hotSpot->y} *
                                                             out.height / image.height))};
    return out;
}

} // namespace nconv
