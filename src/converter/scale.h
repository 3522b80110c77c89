#pragma once
// Fitting a picture into a square box, for previews (-size).
#include "image.h"
#include "rows.h"

#include <cstdint>
#include <vector>

namespace nconv {

inline constexpr std::uint32_t kMaxFitSize = 4096;

// One source pixel under a target pixel, and the share of the target it makes.
struct SampleTap
{
    std::uint32_t source;
    float weight;
};

// For each of `to` target pixels, the source pixels of `from` under it and the share each
// contributes: area averaging, for shrinking.
std::vector<std::vector<SampleTap>> areaCoverage(std::uint32_t from, std::uint32_t to);

// The rows of a picture fitted within size x size, keeping its proportions and its alpha, made
// one at a time so a preview never holds the whole fitted picture.
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
class FittedRows final : public RowSource
{
public:
    // Takes the source's rows in order, each once; `source` must outlive this.
    FittedRows(RowSource& source, std::uint32_t size);

    std::uint32_t width() const override { return width_; }
    std::uint32_t height() const override { return height_; }
    // Call height() times.
    const std::uint8_t* next() override;

    using Tap = SampleTap;

private:
    const std::uint8_t* enlargedRow();
    const std::uint8_t* boxRow();
    const std::uint8_t* averagedRow();
    const std::uint8_t* sourceRow(std::uint32_t index);

    RowSource& source_;
    std::uint32_t sourceWidth_ = 0;
    std::uint32_t width_ = 0, height_ = 0, y_ = 0;
    std::uint32_t taken_ = 0; // source rows taken so far; the last is `current_`
    const std::uint8_t* current_ = nullptr;
    std::uint32_t factor_ = 1;                    // growth
    std::uint32_t boxX_ = 0, boxY_ = 0;           // shrinking by whole factors
    std::vector<std::vector<Tap>> across_, down_; // shrinking by any other factor
    std::vector<float> sums_;
    std::vector<std::uint32_t> wholeSums_;
    std::vector<std::uint8_t> row_;
};

// The whole fitted picture, with its hot spot moved along.
Image fitWithin(const Image& image, std::uint32_t size);

} // namespace nconv
