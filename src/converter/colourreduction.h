#pragma once
// Pictures as a GIF shows them, and the one palette all frames of a GIF share.
#include "image.h"
#include "matte.h"

#include <array>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace nconv {

// A pixel a GIF leaves see-through; any other is 0xRRGGBB.
inline constexpr std::uint32_t kSeeThrough = 1u << 24;

// The picture on a page of colour `page`: GIF has no partial transparency, so every pixel that
// shows is laid on the page, and it fits that page with no light or dark rim. Fully transparent
// pixels stay see-through, and so do faint ones that laid on the page would be the page's own
// colour (they look the same there, and on another page they do not frame the picture).
std::vector<std::uint32_t> onPage(const Image& picture, const Rgb& page);

// At most `room` colours for a set of pictures (kSeeThrough pixels aside): all their colours
// when they fit, else a median cut of them. A colour the palette holds is always drawn with its
// own entry. Any other is dithered with a pattern: the entry chosen depends on the colour and
// the pixel's position alone, so a pixel that keeps its colour from one frame to the next keeps
// its entry too, and a gradient never crawls.
class GifPalette
{
public:
    GifPalette(std::span<const std::vector<std::uint32_t>* const> pictures, std::size_t room);

    const std::vector<Rgb>& colours() const { return colours_; }
    // Whether every colour of the pictures is in the palette.
    bool exact() const { return exact_; }
    std::uint8_t indexAt(std::uint32_t colour, std::uint32_t x, std::uint32_t y);

private:
    static constexpr std::size_t kPatternSize = 16; // a 4 x 4 threshold matrix
    using Pattern = std::array<std::uint8_t, kPatternSize>;
    const Pattern& patternOf(std::uint32_t colour);
    std::uint8_t nearest(int r, int g, int b);

    std::vector<Rgb> colours_;
    bool exact_ = true;
    std::unordered_map<std::uint32_t, std::uint8_t> indexOf_; // the palette's own colours
    std::unordered_map<std::uint32_t, Pattern> patterns_;
    std::vector<std::uint8_t> byGreen_; // entries sorted by green, for the nearest search
    std::unordered_map<std::uint32_t, std::uint8_t> nearestOf_;
};

} // namespace nconv
