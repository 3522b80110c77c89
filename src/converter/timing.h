#pragma once
// Animated cursors count time in jiffies (1/60 s); GIF counts in 1/100 s and WebP in 1 ms.
#include <cstdint>
#include <span>
#include <vector>

namespace nconv {

inline constexpr std::uint32_t kJiffiesPerSecond = 60;

// Each step's duration in units of 1/unitsPerSecond s. Every step ends where the exact running
// total ends, rounded to the nearest unit, so rounding never adds up: the whole animation is
// within half a unit of its true length, however many steps it has.
std::vector<std::uint64_t> durationsIn(std::span<const std::uint32_t> jiffies,
                                       std::uint32_t unitsPerSecond);

} // namespace nconv
