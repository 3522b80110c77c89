#pragma once
// Animated cursors: RIFF form "ACON".
#include "bytes.h"
#include "shownpicture.h"

#include <vector>

namespace nconv {

bool isAnimatedCursor(Bytes data);

// What the walk over an animated cursor's chunks found. Frames are views into the file.
struct AnimationLayout
{
    std::uint32_t flags = 0;       // from "anih": 1 frames are icons, 2 "seq " decides the order
    std::uint32_t displayRate = 0; // from "anih": jiffies (1/60 s) per step without a "rate"
    std::vector<Bytes> frames;     // one per "icon" chunk, in file order
    std::vector<bool> cutShort;    // per frame: its chunk runs past the end of the data
    Bytes sequence;                // the "seq " chunk's data, if any
    Bytes rates;                   // the "rate" chunk's data, if any
    std::size_t firstShown = 0;    // index into frames of the frame shown first
};

// Walks the chunks, tolerating wrong sizes, any order and missing pad bytes. Throws when the
// file cannot be drawn: no header, no frames, a first step naming a missing frame.
AnimationLayout readAnimationLayout(Bytes data);

// The image of the frame shown first.
ShownPicture firstShownFrame(Bytes data);

} // namespace nconv
