#pragma once
// A cursor of any kind we read made into an Xcursor file: every step with its delay and hot spot,
// at every size asked for.
//
//   const nconv::SizedAnimation a = nconv::decodeSizedAnimation(bytes);
//   const std::vector<std::uint8_t> file = nconv::encodeXcursorFile(a, nconv::defaultSizes(a));
#include "animation.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nconv {

// The most sizes one -sizes list may ask for, and the largest.
inline constexpr std::size_t kMaxXcursorSizes = 16;
inline constexpr std::uint32_t kMaxXcursorSize = 1024;

// Every nominal size the frames carry, smallest first; when that is 32 alone, 48 and 64 are
// added for today's screens.
std::vector<std::uint32_t> defaultSizes(const SizedAnimation& animation);

// "24,32,48" -> {24, 32, 48}, sorted, without repeats. Throws UsageError.
std::vector<std::uint32_t> parseSizes(const std::string& text);

// Each frame at each size: its own image of that size when it has one, else one scaled from the
// image that scales best (the smallest larger one; else, for palette art, the largest that grows
// by a whole factor; else the largest), with its hot spot scaled along. A frame is scaled once,
// so every step that shows it shows the same pixels.
// frames[f][s] is frame f at sizes[s].
struct SizedFrames
{
    std::vector<std::uint32_t> sizes;
    std::vector<std::vector<Image>> frames;
};
SizedFrames frameSizes(const SizedAnimation& animation, std::span<const std::uint32_t> sizes);

// Each step's delay in milliseconds: rounded so the running total never drifts by more than half
// a millisecond, and at least 1 in an animation (a delay of 0 would have the desktop redraw the
// cursor without pause).
std::vector<std::uint32_t> stepDelays(const SizedAnimation& animation);

// The whole file: for each size, smallest first, every step in order.
std::vector<std::uint8_t> encodeXcursorFile(const SizedAnimation& animation,
                                            std::span<const std::uint32_t> sizes);

// -out xcursor: `source` decoded and written to `output` whole or not at all; no `sizes` means
// defaultSizes.
void convertToXcursor(Bytes source, std::span<const std::uint32_t> sizes, const std::string& output,
                      bool overwrite);

} // namespace nconv
