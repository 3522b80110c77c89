#include "gifframes.h"

#include "colourreduction.h"

#include <algorithm>

namespace nconv {
namespace {

// The smallest rectangle holding every pixel added to it.
class Bounds
{
public:
    void add(std::uint32_t x, std::uint32_t y)
    {
        left_ = std::min(left_, x), top_ = std::min(top_, y);
        right_ = std::max(right_, x + 1), bottom_ = std::max(bottom_, y + 1);
    }
    void add(const FrameRect& r)
    {
        if (r.width == 0 || r.height == 0)
            return;
        add(r.left, r.top);
        add(r.left + r.width - 1, r.top + r.height - 1);
    }
    bool empty() const { return right_ == 0; }
    FrameRect rect() const
    {
        return empty() ? FrameRect{} : FrameRect{left_, top_, right_ - left_, bottom_ - top_};
    }

private:
    std::uint32_t left_ = UINT32_MAX, top_ = UINT32_MAX, right_ = 0, bottom_ = 0;
};

bool inside(const FrameRect& r, std::uint32_t x, std::uint32_t y)
{
    return x >= r.left && y >= r.top && x - r.left < r.width && y - r.top < r.height;
}

// Where a pixel shown in `from` must turn see-through in `to`.
FrameRect vanishing(const std::vector<std::uint32_t>& from, const std::vector<std::uint32_t>& to,
                    std::uint32_t width)
{
    Bounds bounds;
    for (std::size_t i = 0; i < from.size(); ++i)
        if (from[i] != kSeeThrough && to[i] == kSeeThrough)
            bounds.add(static_cast<std::uint32_t>(i % width),
                       static_cast<std::uint32_t>(i / width));
    return bounds.rect();
}

} // namespace

std::vector<GifFramePlan> planGifFrames(std::span<const std::vector<std::uint32_t>* const> pictures,
                                        std::uint32_t width, std::uint32_t height)
{
    const std::size_t count = pictures.size();
    std::vector<GifFramePlan> plans(count);
    for (std::size_t k = 0; k < count; ++k) {
        const std::vector<std::uint32_t>& now = *pictures[k];
        // What shows before this frame: the frame before, less the rect cleared after it. The
        // first frame lies on an empty canvas; it covers the whole of it, and the last frame
        // clears what must vanish for it, for players that do not empty the canvas on looping.
        const std::vector<std::uint32_t>* before = k == 0 ? nullptr : pictures[k - 1];
        const FrameRect* cleared = k > 0 && plans[k - 1].clearAfter ? &plans[k - 1].rect : nullptr;
        auto drawn = [&](std::size_t i, std::uint32_t x, std::uint32_t y) {
            return now[i] != kSeeThrough &&
                   (!before || (*before)[i] != now[i] || (cleared && inside(*cleared, x, y)));
        };
        Bounds bounds;
        if (k == 0)
            bounds.add(FrameRect{0, 0, width, height});
        for (std::uint32_t y = 0, i = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x, ++i)
                if (drawn(i, x, y))
                    bounds.add(x, y);
        if (count > 1) {
            const FrameRect vanish = vanishing(now, *pictures[(k + 1) % count], width);
            plans[k].clearAfter = vanish.width != 0;
            bounds.add(vanish);
        }
        // A frame that changes nothing still holds the time: one pixel, left as it is.
        GifFramePlan& plan = plans[k];
        plan.rect = bounds.empty() ? FrameRect{0, 0, 1, 1} : bounds.rect();
        plan.draws.assign(std::size_t{plan.rect.width} * plan.rect.height, false);
        for (std::uint32_t y = 0; y < plan.rect.height; ++y)
            for (std::uint32_t x = 0; x < plan.rect.width; ++x) {
                const std::uint32_t cx = plan.rect.left + x, cy = plan.rect.top + y;
                plan.draws[std::size_t{y} * plan.rect.width + x] =
                    drawn(std::size_t{cy} * width + cx, cx, cy);
            }
    }
    return plans;
}

} // namespace nconv
