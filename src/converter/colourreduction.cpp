#include "colourreduction.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <unordered_map>

namespace nconv {
namespace {

constexpr std::size_t kMaxColours = 256;

std::uint32_t key(const Rgb& c)
{
    return std::uint32_t{c[0]} << 16 | std::uint32_t{c[1]} << 8 | c[2];
}

bool opaque(const std::uint8_t* px)
{
    return px[3] >= kOpaqueFrom;
}

Rgb onWhite(const std::uint8_t* px)
{
    const unsigned a = px[3];
    Rgb c;
    for (int i = 0; i < 3; ++i)
        c[i] = static_cast<std::uint8_t>((px[i] * a + 255 * (255 - a) + 127) / 255);
    return c;
}

struct Weighted
{
    Rgb colour;
    std::uint32_t count;
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

// Nearest palette colour, searched outwards from the green value: entries are sorted by green,
// and the search stops once green alone is farther than the best match.
class NearestColour
{
public:
    explicit NearestColour(std::span<const Rgb> palette)
    {
        order_.resize(palette.size());
        std::iota(order_.begin(), order_.end(), std::uint8_t{0});
        std::sort(order_.begin(), order_.end(),
                  [&](std::uint8_t a, std::uint8_t b) { return palette[a][1] < palette[b][1]; });
        for (std::uint8_t i : order_)
            sorted_.push_back(palette[i]);
    }

    std::uint8_t operator()(int r, int g, int b)
    {
        const std::uint32_t k = std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
        if (auto hit = cache_.find(k); hit != cache_.end())
            return hit->second;
        const auto start = std::lower_bound(sorted_.begin(), sorted_.end(), g,
                                            [](const Rgb& c, int v) { return c[1] < v; }) -
                           sorted_.begin();
        int best = std::numeric_limits<int>::max();
        std::size_t bestAt = 0;
        auto consider = [&](std::size_t i) {
            const int dg = sorted_[i][1] - g;
            if (dg * dg >= best)
                return false;
            const int dr = sorted_[i][0] - r, db = sorted_[i][2] - b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < best)
                best = d, bestAt = i;
            return true;
        };
        for (std::size_t i = std::size_t(start); i < sorted_.size() && consider(i); ++i) {
        }
        for (std::size_t i = std::size_t(start); i > 0 && consider(i - 1); --i) {
        }
        return cache_[k] = order_[bestAt];
    }

private:
    std::vector<std::uint8_t> order_;
    std::vector<Rgb> sorted_;
    std::unordered_map<std::uint32_t, std::uint8_t> cache_;
};

IndexedPicture diffuse(const Image& picture, std::vector<Rgb> palette, std::uint8_t transparent)
{
    IndexedPicture out;
    const std::size_t w = picture.width;
    out.indexes.assign(w * picture.height, transparent);
    out.transparent = transparent;
    // The transparent entry is last and never chosen for an opaque pixel.
    NearestColour nearest(std::span<const Rgb>(palette).first(transparent));
    // Errors carried to this row and the next, with a spare pixel at each end.
    std::vector<std::array<int, 3>> here(w + 2), below(w + 2);
    const std::uint8_t* px = picture.rgba.data();
    for (std::size_t y = 0; y < picture.height; ++y) {
        std::fill(below.begin(), below.end(), std::array<int, 3>{0, 0, 0});
        for (std::size_t x = 0; x < w; ++x, px += 4) {
            if (!opaque(px))
                continue; // transparent pixels neither take nor pass on any error
            const Rgb c = onWhite(px);
            std::array<int, 3> want;
            for (int i = 0; i < 3; ++i)
                want[i] = std::clamp(c[i] + (here[x + 1][i] + 8) / 16, 0, 255);
            const std::uint8_t index = nearest(want[0], want[1], want[2]);
            out.indexes[y * w + x] = index;
            for (int i = 0; i < 3; ++i) {
                const int error = want[i] - palette[index][i];
                here[x + 2][i] += error * 7;
                below[x][i] += error * 3;
                below[x + 1][i] += error * 5;
                below[x + 2][i] += error;
            }
        }
        std::swap(here, below);
    }
    out.palette = std::move(palette);
    return out;
}

} // namespace

std::optional<std::vector<Rgb>> exactColours(const Image& picture, std::size_t limit,
                                             bool& anyTransparent)
{
    std::vector<Rgb> colours;
    std::unordered_map<std::uint32_t, bool> seen;
    anyTransparent = false;
    const std::uint8_t* px = picture.rgba.data();
    const std::size_t pixels = std::size_t{picture.width} * picture.height;
    std::uint32_t last = UINT32_MAX;
    for (std::size_t i = 0; i < pixels; ++i, px += 4) {
        if (!opaque(px)) {
            anyTransparent = true;
            continue;
        }
        const Rgb c = onWhite(px);
        const std::uint32_t k = key(c);
        if (k == last || !seen.emplace(k, true).second)
            continue;
        last = k;
        if (colours.size() == limit)
            return std::nullopt;
        colours.push_back(c);
    }
    return colours;
}

IndexedPicture indexExactly(const Image& picture, std::span<const Rgb> palette,
                            std::uint8_t transparent)
{
    std::unordered_map<std::uint32_t, std::uint8_t> indexOf;
    for (std::size_t i = 0; i < palette.size(); ++i)
        indexOf.emplace(key(palette[i]), static_cast<std::uint8_t>(i));
    IndexedPicture out;
    out.palette.assign(palette.begin(), palette.end());
    out.transparent = transparent;
    const std::size_t pixels = std::size_t{picture.width} * picture.height;
    out.indexes.resize(pixels);
    const std::uint8_t* px = picture.rgba.data();
    for (std::size_t i = 0; i < pixels; ++i, px += 4)
        out.indexes[i] = opaque(px) ? indexOf.at(key(onWhite(px))) : transparent;
    return out;
}

IndexedPicture reduceColours(const Image& picture)
{
    bool anyTransparent = false;
    std::optional<std::vector<Rgb>> colours = exactColours(picture, kMaxColours, anyTransparent);
    if (colours && colours->size() + (anyTransparent ? 1 : 0) <= kMaxColours) {
        const auto transparent = static_cast<std::uint8_t>(colours->size());
        if (anyTransparent || colours->empty())
            colours->push_back({255, 255, 255});
        IndexedPicture out = indexExactly(picture, *colours, transparent);
        if (!anyTransparent)
            out.transparent.reset();
        return out;
    }
    std::unordered_map<std::uint32_t, std::uint32_t> counts;
    const std::uint8_t* px = picture.rgba.data();
    const std::size_t pixels = std::size_t{picture.width} * picture.height;
    for (std::size_t i = 0; i < pixels; ++i, px += 4)
        if (opaque(px))
            ++counts[key(onWhite(px))];
    std::vector<Weighted> weighted;
    weighted.reserve(counts.size());
    for (const auto& [k, n] : counts)
        weighted.push_back({Rgb{std::uint8_t(k >> 16), std::uint8_t(k >> 8), std::uint8_t(k)}, n});
    // The order of an unordered map is not fixed: sorting keeps the output the same every run.
    std::sort(weighted.begin(), weighted.end(),
              [](const Weighted& a, const Weighted& b) { return key(a.colour) < key(b.colour); });
    std::vector<Rgb> palette = medianCut(std::move(weighted), kMaxColours - 1);
    const auto transparent = static_cast<std::uint8_t>(palette.size());
    palette.push_back({255, 255, 255});
    return diffuse(picture, std::move(palette), transparent);
}

} // namespace nconv
