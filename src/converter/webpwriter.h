#pragma once
// Animated WebP output: every step, looping forever, timed to the millisecond.
#include "animation.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace nconv {

// Lossless, full alpha kept, without `quality`; lossy (colour and alpha) at quality 1..100 with
// it. Frames are the steps as playedFrames gives them in milliseconds: browsers show a frame of
// 10 ms or less for 100 ms, and a step lasts at least one jiffy (16 or 17 ms), so only steps of
// no time are left out. libwebp's animation encoder stores each frame as what changed from the
// frame before; one picture is a still WebP.
std::vector<std::uint8_t> encodeWebp(const Animation& animation, std::optional<int> quality);

} // namespace nconv
