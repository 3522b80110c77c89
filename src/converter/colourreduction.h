#pragma once
// Pictures brought down to the 256 colours of a GIF frame, one of them for transparency.
#include "image.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace nconv {

// GIF has no partial transparency: a pixel is drawn or not. Only fully transparent pixels are left
// out; every other one is laid on white as in JPEG output. On a light page the GIF then shows what
// the JPEG shows, soft edges and shadows included, and on a dark one an edge comes out light, never
// with the dark fringe of edge pixels taken at their own colour. Dropping the faint pixels instead
// (alpha below a half, say) would cut shadows and antialiasing away even on white.
inline constexpr std::uint8_t kOpaqueFrom = 1;

using Rgb = std::array<std::uint8_t, 3>;

// A picture as GIF stores it.
struct IndexedPicture
{
    std::vector<std::uint8_t> indexes; // one per pixel, rows top first
    std::vector<Rgb> palette;          // at most 256 entries
    std::optional<std::uint8_t> transparent;
};

// The colours a picture shows (with kOpaqueFrom applied), in the order they first appear; none
// when there are more than `limit`. `anyTransparent` tells whether a pixel is transparent.
std::optional<std::vector<Rgb>> exactColours(const Image& picture, std::size_t limit,
                                             bool& anyTransparent);

// Each pixel's index into `palette`, which must hold every colour the picture shows (as from
// exactColours); `transparent` is used for transparent pixels.
IndexedPicture indexExactly(const Image& picture, std::span<const Rgb> palette,
                            std::uint8_t transparent);

// Any picture: its own colours when they fit, else a median cut palette of 255 colours and
// Floyd-Steinberg error diffusion.
IndexedPicture reduceColours(const Image& picture);

} // namespace nconv
