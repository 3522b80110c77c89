#pragma once
// Animated GIF output: every step, looping forever, with its duration.
#include "animation.h"

#include <cstdint>
#include <vector>

namespace nconv {

// GIF counts time in 1/100 s; each step's delay carries the rounding of those before it (see
// durationsIn). A step over 655.35 s is cut to that, the longest a GIF frame can last.
std::vector<std::uint8_t> encodeGif(const Animation& animation);

} // namespace nconv
