#pragma once

#include "iconimage.h"

#include <string>
#include <vector>

// An animated cursor (RIFF "ACON") as the samples store it.
struct Animation
{
    std::vector<std::vector<IconImage>> frames; // each frame is one icon with one or more images
    bool cursorFrames = true;                   // frames stored as .cur (type 2) rather than .ico
    uint32_t displayRate = 6;                   // jiffies (1/60 s) per step without a "rate" chunk
    std::vector<uint32_t> rates;                // "rate": one entry per step, or empty
    std::vector<uint32_t> sequence;             // "seq ": frame per step, or empty
    std::string title, artist;                  // LIST "INFO" (INAM, IART) when either is set
    bool infoFirst = false;                     // LIST "INFO" before "anih", as some writers do
    // What "anih" claims about the frames; readers ignore it for icon frames, writers often leave
    // 0.
    uint32_t headerWidth = 0, headerHeight = 0, headerBitCount = 0;
};

struct WrittenFile
{
    std::vector<uint8_t> bytes;
    // Offsets where a chunk, a directory entry or an image begins or ends: places where a cut
    // leaves a file that looks whole up to the cut.
    std::vector<size_t> boundaries;
    // The first byte past everything a reader needs to show the first frame.
    size_t neededEnd = 0;
};

// The frame shown first: the first sequence step when there is a sequence, else frame 0.
size_t FirstShownFrame(const Animation& animation);

WrittenFile WriteAnimation(const Animation& animation);
WrittenFile WriteIconFile(const std::vector<IconImage>& images, bool cursor);
