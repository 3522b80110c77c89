#pragma once
// Animated WebP output: every step, looping forever, with its duration to the millisecond.
#include "animation.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace nconv {

// Lossless, full alpha kept, without `quality`; lossy (colour and alpha) at quality 1..100 with it.
std::vector<std::uint8_t> encodeWebp(const Animation& animation, std::optional<int> quality);

} // namespace nconv
