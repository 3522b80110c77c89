#pragma once
// Animated GIF output: every step, looping forever, timed as browsers play it.
#include "animation.h"
#include "matte.h"

#include <cstdint>
#include <vector>

namespace nconv {

// GIF counts time in 1/100 s, and players show a delay of 1/100 s or less as 1/10 s: the frames
// are the steps as playedFrames gives them with no frame under 2/100 s. Pixels are laid on
// `page` (see onPage). All frames share one palette; a frame draws only what changed.
std::vector<std::uint8_t> encodeGif(const Animation& animation, const Rgb& page = kWhite);

} // namespace nconv
