#include "colourreduction.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace nconv {
namespace {

// Below this alpha a pixel counts as faint: see-through where the page hides it anyway.
constexpr std::uint8_t kFaintBelow = 128;

std::uint32_t key(const Rgb& c)
{
    return std::uint32_t{c[0]} << 16 | std::uint32_t{c[1]} << 8 | c[2];
}

Rgb rgbOf(std::uint32_t k)
{
    return {std::uint8_t(k >> 16), std::uint8_t(k >> 8), std::uint8_t(k)};
}

int luma(const Rgb& c)
{
    return 299 * c[0] + 587 * c[1] + 114 * c[2];
}

struct Weighted
{
    Rgb colour;
    std::uint64_t count;
};

// Median cut: the box with the most pixels times its widest side is split at its weighted
// median along that side, until there are `size` boxes; each gives its mean colour.
std::vector<Rgb> medianCut(std::vector<Weighted> colours, std::size_t size)
{
    struct Box
    {
        std::size_t begin, end;
        std::uint64_t pixels;
        int axis;
        int range;
    };
    auto describe = [&](std::size_t begin, std::size_t end) {
        Box box{begin, end, 0, 0, 0};
        std::array<int, 3> low{255, 255, 255}, high{0, 0, 0};
        for (std::size_t i = begin; i < end; ++i) {
            box.pixels += colours[i].count;
            for (int c = 0; c < 3; ++c) {
                low[c] = std::min<int>(low[c], colours[i].colour[c]);
                high[c] = std::max<int>(high[c], colours[i].colour[c]);
            }
        }
        for (int c = 0; c < 3; ++c)
            if (high[c] - low[c] > box.range)
                box.range = high[c] - low[c], box.axis = c;
        return box;
    };
    std::vector<Box> boxes{describe(0, colours.size())};
    while (boxes.size() < size) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.pixels * a.range < b.pixels * b.range;
        });
        if (widest->range == 0)
            break;
        const Box box = *widest;
        std::sort(colours.begin() + long(box.begin), colours.begin() + long(box.end),
                  [axis = box.axis](const Weighted& a, const Weighted& b) {
                      return a.colour[axis] < b.colour[axis];
                  });
        std::uint64_t seen = 0;
        std::size_t cut = box.begin + 1;
        for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
            seen += colours[i].count;
            cut = i + 1;
            if (seen * 2 >= box.pixels)
                break;
        }
        *widest = describe(box.begin, cut);
        boxes.push_back(describe(cut, box.end));
    }
    std::vector<Rgb> palette;
    for (const Box& box : boxes) {
        std::array<std::uint64_t, 3> sum{0, 0, 0};
        for (std::size_t i = box.begin; i < box.end; ++i)
            for (int c = 0; c < 3; ++c)
                sum[c] += std::uint64_t{colours[i].colour[c]} * colours[i].count;
        Rgb mean;
        for (int c = 0; c < 3; ++c)
            mean[c] = static_cast<std::uint8_t>((sum[c] + box.pixels / 2) / box.pixels);
        palette.push_back(mean);
    }
    return palette;
}

// The 4 x 4 Bayer matrix: the order in which a pattern's cells are taken.
constexpr std::array<std::uint8_t, 16> kThreshold = {0, 8,  2, 10, 12, 4, 14, 6,
                                                     3, 11, 1, 9,  15, 7, 13, 5};

} // namespace

std::vector<std::uint32_t> onPage(const Image& picture, const Rgb& page)
{
    const std::size_t pixels = std::size_t{picture.width} * picture.height;
    std::vector<std::uint32_t> out(pixels, kSeeThrough);
    const std::uint32_t pageKey = key(page);
    const std::uint8_t* px = picture.rgba.data();
    for (std::size_t i = 0; i < pixels; ++i, px += 4) {
        if (px[3] == 0)
            continue;
        const std::uint32_t k = key(laidOn(px, page));
        if (px[3] >= kFaintBelow || k != pageKey)
            out[i] = k;
    }
    return out;
}

GifPalette::GifPalette(std::span<const std::vector<std::uint32_t>* const> pictures,
                       std::size_t room)
{
    std::unordered_map<std::uint32_t, std::uint64_t> counts;
    for (const std::vector<std::uint32_t>* picture : pictures)
        for (std::uint32_t c : *picture)
            if (c != kSeeThrough)
                ++counts[c];
    std::vector<Weighted> weighted;
    weighted.reserve(counts.size());
    for (const auto& [k, n] : counts)
        weighted.push_back({rgbOf(k), n});
    // The order of an unordered map is not fixed: sorting keeps the output the same every run.
    std::sort(weighted.begin(), weighted.end(),
              [](const Weighted& a, const Weighted& b) { return key(a.colour) < key(b.colour); });
    exact_ = weighted.size() <= room;
    if (exact_)
        for (const Weighted& w : weighted)
            colours_.push_back(w.colour);
    else
        colours_ = medianCut(std::move(weighted), room);
    for (std::size_t i = 0; i < colours_.size(); ++i)
        indexOf_.emplace(key(colours_[i]), static_cast<std::uint8_t>(i));
    byGreen_.resize(colours_.size());
    std::iota(byGreen_.begin(), byGreen_.end(), std::uint8_t{0});
    std::sort(byGreen_.begin(), byGreen_.end(),
              [&](std::uint8_t a, std::uint8_t b) { return colours_[a][1] < colours_[b][1]; });
}

std::uint8_t GifPalette::indexAt(std::uint32_t colour, std::uint32_t x, std::uint32_t y)
{
    if (auto own = indexOf_.find(colour); own != indexOf_.end())
        return own->second;
    return patternOf(colour)[kThreshold[(y % 4) * 4 + x % 4]];
}

// Thomas Knoll's pattern dithering: entries are picked one after another, each for the colour
// plus the error the ones before left, so that together they average to the colour; then they are
// ordered by lightness, and the threshold matrix picks one per position.
const GifPalette::Pattern& GifPalette::patternOf(std::uint32_t colour)
{
    if (auto known = patterns_.find(colour); known != patterns_.end())
        return known->second;
    const Rgb want = rgbOf(colour);
    std::array<int, 3> error{0, 0, 0};
    Pattern pattern;
    for (std::uint8_t& entry : pattern) {
        std::array<int, 3> attempt;
        for (int c = 0; c < 3; ++c)
            attempt[c] = std::clamp(want[c] + error[c], 0, 255);
        entry = nearest(attempt[0], attempt[1], attempt[2]);
        for (int c = 0; c < 3; ++c)
            error[c] += want[c] - colours_[entry][c];
    }
    std::sort(pattern.begin(), pattern.end(), [&](std::uint8_t a, std::uint8_t b) {
        return luma(colours_[a]) < luma(colours_[b]);
    });
    return patterns_.emplace(colour, pattern).first->second;
}

// Searched outwards from the green value: entries are sorted by green, and the search stops once
// green alone is farther than the best match.
std::uint8_t GifPalette::nearest(int r, int g, int b)
{
    const std::uint32_t k = std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
    if (auto hit = nearestOf_.find(k); hit != nearestOf_.end())
        return hit->second;
    const auto start = std::lower_bound(byGreen_.begin(), byGreen_.end(), g,
                                        [&](std::uint8_t i, int v) { return colours_[i][1] < v; }) -
                       byGreen_.begin();
    int best = std::numeric_limits<int>::max();
    std::uint8_t bestEntry = 0;
    auto consider = [&](std::size_t at) {
        const Rgb& c = colours_[byGreen_[at]];
        const int dg = c[1] - g;
        if (dg * dg >= best)
            return false;
        const int dr = c[0] - r, db = c[2] - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < best)
            best = d, bestEntry = byGreen_[at];
        return true;
    };
    for (std::size_t i = std::size_t(start); i < byGreen_.size() && consider(i); ++i) {
    }
    for (std::size_t i = std::size_t(start); i > 0 && consider(i - 1); --i) {
    }
    return nearestOf_[k] = bestEntry;
}

} // namespace nconv
