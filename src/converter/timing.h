#pragma once
// Animated cursors count time in jiffies (1/60 s); GIF counts in 1/100 s and WebP in 1 ms.
#include <cstddef>
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

// One frame as a player should get it: a picture and how long it shows.
struct PlayedFrame
{
    std::size_t picture = 0;
    std::uint64_t duration = 0; // in the units asked for
    bool operator==(const PlayedFrame&) const = default;
};

// The frames that play the steps (step i shows pictures[i] for jiffies[i]) as timed, for
// players that show a frame shorter than `shortest` units for much longer (browsers take a GIF
// delay of 1/100 s or less, and a WebP duration of 10 ms or less, as 100 ms):
//  - a step of no time is left out, and a step showing the picture of the one before is merged
//    into it, its time added;
//  - every frame ends where a step ends, rounded as durationsIn does, so each frame and the
//    whole loop are within half a unit of their true time;
//  - steps too short to end a frame of `shortest` units join the frame that follows (the last
//    ones, the frame before); a frame covering several steps shows the picture shown longest
//    among them, the later one when two are shown as long.
// With no time at all (a still picture), the first step's picture as the one frame, of 0 units.
std::vector<PlayedFrame> playedFrames(std::span<const std::size_t> pictures,
                                      std::span<const std::uint32_t> jiffies,
                                      std::uint32_t unitsPerSecond, std::uint64_t shortest);

} // namespace nconv
