#pragma once
// What each frame of an animated GIF draws. A frame draws only what differs from the frame
// before and leaves the rest, so a pixel that does not change is never drawn again; only where a
// pixel must turn see-through is the frame before cleared (GIF can draw no see-through pixel
// over another).
#include <cstdint>
#include <span>
#include <vector>

namespace nconv {

struct FrameRect
{
    std::uint32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const FrameRect&) const = default;
};

struct GifFramePlan
{
    FrameRect rect;
    std::vector<bool> draws; // per pixel of rect, rows top first: drawn, or left as it is
    bool clearAfter = false; // the rect is cleared to see-through once the frame has shown
};

// For pictures (as from onPage, each width x height) shown in turn and then from the first
// again, each frame's rectangle, the pixels it draws and whether it is cleared after. The first
// frame covers the whole picture.
std::vector<GifFramePlan> planGifFrames(std::span<const std::vector<std::uint32_t>* const> pictures,
                                        std::uint32_t width, std::uint32_t height);

} // namespace nconv
