// Animations as players show them: frame timing that no browser stretches.
#include "timing.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using Pixels = std::vector<std::uint8_t>; // RGBA, see-through pixels 0, 0, 0, 0

std::vector<nconv::PlayedFrame> played(std::vector<std::size_t> pictures,
                                       std::vector<std::uint32_t> jiffies,
                                       std::uint32_t units = 100, std::uint64_t shortest = 2)
{
    return nconv::playedFrames(pictures, jiffies, units, shortest);
}

TEST(PlayedFrames, StepsTooShortForAPlayerAreMergedAndStepsOfNoTimeLeftOut)
{
    // Three steps of one jiffy each: delays of 2, 1 and 2 cs would play the middle one for 10.
    EXPECT_EQ(played({0, 1, 2}, {1, 1, 1}), (std::vector<nconv::PlayedFrame>{{0, 2}, {2, 3}}));
    // In milliseconds, WebP's unit, one jiffy is long enough.
    EXPECT_EQ(played({0, 1, 2}, {1, 1, 1}, 1000, 11),
              (std::vector<nconv::PlayedFrame>{{0, 17}, {1, 16}, {2, 17}}));
    EXPECT_EQ(played({0, 1, 2}, {6, 0, 6}), (std::vector<nconv::PlayedFrame>{{0, 10}, {2, 10}}));
    // A repeated picture is one frame for both steps' time.
    EXPECT_EQ(played({0, 0, 1}, {6, 6, 6}), (std::vector<nconv::PlayedFrame>{{0, 20}, {1, 10}}));
    // The last steps, too short, join the frame before; the picture shown longest stays.
    EXPECT_EQ(played({0, 1}, {4, 1}), (std::vector<nconv::PlayedFrame>{{0, 8}}));
    // No time at all: a still of the first step's picture.
    EXPECT_EQ(played({3, 4}, {0, 0}), (std::vector<nconv::PlayedFrame>{{3, 0}}));
}

TEST(PlayedFrames, EveryFrameEndsWhereAStepEndsAndTheLoopKeepsItsLength)
{
    std::uint32_t seed = 12345;
    auto next = [&](std::uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    for (int round = 0; round < 300; ++round) {
        const std::size_t count = 1 + next(40);
        std::vector<std::size_t> pictures;
        std::vector<std::uint32_t> jiffies;
        for (std::size_t i = 0; i < count; ++i) {
            pictures.push_back(next(4));
            jiffies.push_back(next(3) == 0 ? next(3) : next(30)); // many steps of 0 to 2 jiffies
        }
        const bool cs = round % 2 == 0;
        const std::uint32_t units = cs ? 100 : 1000;
        const std::uint64_t shortest = cs ? 2 : 11;
        const auto frames = played(pictures, jiffies, units, shortest);
        std::vector<double> ends; // where each step truly ends, in units
        double t = 0;
        for (std::uint32_t j : jiffies)
            ends.push_back(t += j * double(units) / 60);
        double at = 0;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            const double from = at;
            at += double(frames[f].duration);
            if (frames.size() > 1) {
                EXPECT_GE(frames[f].duration, shortest) << "round " << round << " frame " << f;
            }
            if (f > 0) {
                EXPECT_NE(frames[f].picture, frames[f - 1].picture) << "round " << round;
            }
            const double nearest =
                *std::min_element(ends.begin(), ends.end(), [&](double a, double b) {
                    return std::abs(a - at) < std::abs(b - at);
                });
            EXPECT_LE(std::abs(nearest - at), 0.5) << "round " << round << " frame " << f;
            // The frame shows a picture that some step shows during its time.
            bool shownThen = false;
            for (std::size_t i = 0; i < count; ++i)
                shownThen = shownThen || (pictures[i] == frames[f].picture && jiffies[i] > 0 &&
                                          ends[i] > from - 0.5 &&
                                          ends[i] - jiffies[i] * double(units) / 60 < at + 0.5);
            if (t > 0) {
                EXPECT_TRUE(shownThen) << "round " << round << " frame " << f;
            }
        }
        EXPECT_LE(std::abs(at - std::round(t)), 0.0) << "round " << round;
    }
}

} // namespace
