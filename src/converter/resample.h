#pragma once
// Scaling a cursor image to another size, for outputs that carry several sizes (Xcursor).
#include "image.h"

#include <cstdint>

namespace nconv {

enum class ScaleFilter {
    Nearest, // each pixel a block: palette art grown by a whole factor stays as drawn
    Area,    // each new pixel the mean of what it covers: shrinking without losing thin lines
    Mitchell // a cubic of little ringing: growing true-colour art, or by a fractional factor
};

// The filter for scaling a picture whose longer side is `from` to one of `to`. Palette art (8
// bits or fewer) grown by a whole factor keeps its hard pixels; anything else is filtered.
ScaleFilter filterFor(std::uint32_t from, std::uint32_t to, std::uint32_t bitsPerPixel);

// The picture at width x height (each at least 1), colours filtered premultiplied by alpha so
// transparent pixels never bleed into the edges. The hot spot moves with the pixel it lies on
// (the top left corner of that pixel's new area).
Image resizeImage(const Image& image, std::uint32_t width, std::uint32_t height,
                  ScaleFilter filter);

// The picture scaled so its longer side is `size`, keeping its proportions.
Image scaleToNominal(const Image& image, std::uint32_t size, std::uint32_t bitsPerPixel);

} // namespace nconv
