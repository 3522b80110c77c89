#include "scale.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace nconv {
namespace {

using Tap = FittedRows::Tap;

} // namespace

std::vector<std::vector<SampleTap>> areaCoverage(std::uint32_t from, std::uint32_t to)
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

namespace {

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

// Adds each run of `boxX` pixels of a row, premultiplied, to its sums.
void addBoxes(const std::uint8_t* s, std::uint32_t* sum, std::uint32_t width, std::uint32_t boxX)
{
    for (std::uint32_t x = 0; x < width; ++x, sum += 4) {
        std::uint32_t r = 0, g = 0, b = 0, a = 0;
        for (std::uint32_t k = 0; k < boxX; ++k, s += 4) {
            const std::uint32_t alpha = s[3];
            r += s[0] * alpha, g += s[1] * alpha, b += s[2] * alpha, a += alpha;
        }
        sum[0] += r, sum[1] += g, sum[2] += b, sum[3] += a;
    }
}

#ifdef __SSE2__
// The same for boxes two pixels wide (256 to 128, the usual preview), two boxes at a time:
// r * a, g * a, b * a and a each fit 16 bits, so two pixels are premultiplied per instruction.
void addPairs(const std::uint8_t* s, std::uint32_t* sum, std::uint32_t width)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i colour = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    const __m128i alphaOne = _mm_set_epi16(1, 0, 0, 0, 1, 0, 0, 0);
    const auto premultiplied = [&](__m128i twoPixels) {
        __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(twoPixels, 0xFF), 0xFF);
        alpha = _mm_or_si128(_mm_and_si128(alpha, colour), alphaOne);
        return _mm_mullo_epi16(twoPixels, alpha);
    };
    const auto boxOf = [&](__m128i products) {
        return _mm_add_epi32(_mm_unpacklo_epi16(products, zero),
                             _mm_unpackhi_epi16(products, zero));
    };
    std::uint32_t x = 0;
    for (; x + 2 <= width; x += 2, s += 16, sum += 8) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        auto* sums = reinterpret_cast<__m128i*>(sum);
        _mm_storeu_si128(sums, _mm_add_epi32(_mm_loadu_si128(sums),
                                             boxOf(premultiplied(_mm_unpacklo_epi8(four, zero)))));
        _mm_storeu_si128(sums + 1,
                         _mm_add_epi32(_mm_loadu_si128(sums + 1),
                                       boxOf(premultiplied(_mm_unpackhi_epi8(four, zero)))));
    }
    if (x < width)
        addBoxes(s, sum, width - x, 2);
}

// Premultiplied box sums to straight RGBA, rounded as the integer division would, for boxes of
// at most 16 pixels: all four channels in one single-precision division, which is exact there.
// Each quotient is below 256 and a whole multiple of 1 / (255 * 16) away from any whole number,
// far more than the division's error; the sums themselves are well inside float's 24 bits.
void straightenSmallBoxes(const std::uint32_t* sum, std::uint8_t* d, std::uint32_t width,
                          std::uint32_t area)
{
    const __m128i zero = _mm_setzero_si128();
    for (std::uint32_t x = 0; x < width; ++x, sum += 4, d += 4) {
        const std::uint32_t alphaSum = sum[3];
        if (alphaSum * 2 < area) { // alpha rounds to 0: fully transparent stays 0, 0, 0, 0
            std::memset(d, 0, 4);
            continue;
        }
        const std::uint32_t half = alphaSum / 2;
        const __m128i sums = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sum));
        const __m128i rounded =
            _mm_add_epi32(sums, _mm_set_epi32(static_cast<int>(area / 2), static_cast<int>(half),
                                              static_cast<int>(half), static_cast<int>(half)));
        const __m128 divisors =
            _mm_set_ps(static_cast<float>(area), static_cast<float>(alphaSum),
                       static_cast<float>(alphaSum), static_cast<float>(alphaSum));
        const __m128i quotients = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(rounded), divisors));
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(quotients, zero), zero);
        const auto packed = static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes));
        std::memcpy(d, &packed, 4);
    }
}
#endif

} // namespace

FittedRows::FittedRows(RowSource& source, std::uint32_t size)
    : source_(source), sourceWidth_(source.width())
{
    if (size == 0 || size > kMaxFitSize)
        throw std::invalid_argument("the preview size must be from 1 to 4096");
    const std::uint32_t sourceHeight = source.height();
    width_ = sourceWidth_, height_ = sourceHeight;
    const std::uint32_t longest = std::max(sourceWidth_, sourceHeight);
    if (longest == 0)
        return;
    if (longest <= size) {
        factor_ = std::max<std::uint32_t>(1, size / longest);
        width_ *= factor_, height_ *= factor_;
        checkImageSize(width_, height_);
    } else {
        width_ = scaledSide(sourceWidth_, longest, size);
        height_ = scaledSide(sourceHeight, longest, size);
        // Whole factors, with sums that fit 32 bits (255 * 255 * area).
        if (sourceWidth_ % width_ == 0 && sourceHeight % height_ == 0 &&
            std::uint64_t{sourceWidth_ / width_} * (sourceHeight / height_) <= 65536) {
            boxX_ = sourceWidth_ / width_, boxY_ = sourceHeight / height_;
            wholeSums_.resize(std::size_t{width_} * 4);
        } else {
            across_ = areaCoverage(sourceWidth_, width_);
            down_ = areaCoverage(sourceHeight, height_);
            sums_.resize(std::size_t{sourceWidth_} * 4);
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

// Source rows are asked for in order; a row shared by two target rows is kept, not asked again.
const std::uint8_t* FittedRows::sourceRow(std::uint32_t index)
{
    if (taken_ > index + 1)
        throw std::logic_error("source rows are read in order");
    while (taken_ <= index) {
        current_ = source_.next();
        ++taken_;
    }
    return current_;
}

const std::uint8_t* FittedRows::enlargedRow()
{
    const std::uint8_t* source = sourceRow(y_ / factor_);
    if (factor_ == 1)
        return source;
    if (y_ % factor_ == 0) {
        std::uint8_t* d = row_.data();
        for (std::uint32_t x = 0; x < sourceWidth_; ++x)
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
    std::uint32_t* const sums = wholeSums_.data();
    std::fill(wholeSums_.begin(), wholeSums_.end(), 0u);
    for (std::uint32_t sy = 0; sy < boxY; ++sy) {
        const std::uint8_t* s = sourceRow(y_ * boxY + sy);
#ifdef __SSE2__
        if (boxX == 2) {
            addPairs(s, sums, width);
            continue;
        }
#endif
        addBoxes(s, sums, width, boxX);
    }
    const std::uint32_t area = boxX * boxY;
#ifdef __SSE2__
    if (area <= 16) {
        straightenSmallBoxes(sums, row_.data(), width, area);
        return row_.data();
    }
#endif
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
        const std::uint8_t* s = sourceRow(tap.source);
        float* c = sums_.data();
        for (std::uint32_t x = 0; x < sourceWidth_; ++x, s += 4, c += 4) {
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
    ImageRows source(image);
    FittedRows rows(source, size);
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
