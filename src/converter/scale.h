#pragma once
// Fitting a picture into a square box, for previews (-size).
#include "image.h"

#include <cstdint>

namespace nconv {

inline constexpr std::uint32_t kMaxFitSize = 4096;

// The picture fitted within size x size, keeping its proportions and its alpha.
//
// A cursor is pixel art drawn for one exact size. Growing it by a fractional factor either blurs
// it (filtering) or doubles some of its one-pixel lines and not others (sampling), so a picture
// that fits grows only by the largest whole factor that still fits, each pixel copied into a
// square block; when even twice its size would not fit it is left as it is.
//
// A picture larger than the box shrinks by area averaging: each new pixel is the mean of the
// source area it covers, weighted by how much of each source pixel falls inside. Thin outlines
// then fade rather than vanish (as they would with sampling), and no ringing appears around
// hard edges (as it would with sharper filters). Colours are averaged premultiplied by alpha, so
// the colour of fully transparent pixels never bleeds into the edges.
Image fitWithin(const Image& image, std::uint32_t size);

} // namespace nconv
