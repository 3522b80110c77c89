#pragma once
// A whole animation: every step a file shows, in order, each with the frame it shows and for how
// long. Files that are not animated are an animation of one step.
//
//   const nconv::Animation a = nconv::decodeAnimation(bytes);
//   for (const nconv::AnimationStep& step : a.steps) use(a.frames[step.frame]);
#include "bytes.h"
#include "image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nconv {

struct AnimationStep
{
    std::size_t frame = 0;     // index into Animation::frames
    std::uint32_t jiffies = 0; // how long it shows, in 1/60 s
};

struct Animation
{
    // Each frame the steps show, decoded once, all of one size (the canvas).
    std::vector<Image> frames;
    std::vector<std::size_t> fileFrame; // per frame: its number in the file, from 0
    std::vector<AnimationStep> steps;

    std::uint32_t width() const { return frames.front().width; }
    std::uint32_t height() const { return frames.front().height; }
    std::vector<std::uint32_t> jiffies() const;
};

// Per step, the frame it shows, frames of identical pixels counted as one (the first of them).
std::vector<std::size_t> shownPictures(const Animation& animation);

// Which frame of the file each step shows and for how long, read from its chunks alone.
struct StepPlan
{
    std::size_t fileFrame = 0;
    std::uint32_t jiffies = 0;
};
std::vector<StepPlan> planSteps(Bytes aniFile);
struct AnimationLayout;
std::vector<StepPlan> planSteps(const AnimationLayout& layout);

// Throws DecodeError as the first-frame decoder does, and TooLarge when all steps together hold
// more than kMaxPixels, the limit of one picture.
Animation decodeAnimation(Bytes bytes);

// One of the images a frame carries, as it is stored: not placed on any canvas.
struct SizedImage
{
    Image image;
    std::uint32_t bitsPerPixel = 32; // of the stored image; 8 or fewer is palette art
};

// The side an image is known by: the longer of its two.
std::uint32_t nominalSize(const Image& image);

// Every frame with every image its icon carries, one per nominal size (the larger, then the one
// with more colours, where two share one), smallest first. Outputs that keep all sizes read
// this instead of an Animation. A file that is not animated is one frame shown for one step of
// no duration.
struct SizedAnimation
{
    std::vector<std::vector<SizedImage>> frames;
    std::vector<std::size_t> fileFrame; // per frame: its number in the file, from 0
    std::vector<AnimationStep> steps;
    bool animated = false; // read from an animated cursor, whose steps have durations
};

// Throws as decodeAnimation does; all images of all frames together are held to kMaxPixels.
SizedAnimation decodeSizedAnimation(Bytes bytes);

} // namespace nconv
