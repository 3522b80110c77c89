#pragma once
// Icon and cursor files (.ico, .cur, and the frames of animated cursors).
#include "bytes.h"
#include "shownpicture.h"

#include <vector>

namespace nconv {

bool isIconDirectory(Bytes data);

// The largest image of the directory (then the one with the most colours), by the sizes its
// own header gives rather than the directory's. A cursor's hot spot comes along. An image that
// is damaged or runs past the data makes the whole icon damaged; only images of a kind we do not
// read are passed over for the others.
ShownPicture chooseIconImage(Bytes data, const ImageSize* wanted = nullptr);

// The image of one frame of an animated cursor: an icon directory, or a bare bitmap or PNG.
// With `wanted`, an image of that size is taken before any other (then the usual rule), so the
// frames of one animation keep the size of the first.
ShownPicture chooseFrameImage(Bytes data, const ImageSize* wanted = nullptr);

// One image of a frame with the size and depth its own header gives.
struct FrameImageInfo
{
    ShownPicture picture;
    ImageSize size;
    std::uint32_t bitsPerPixel = 0;
};

// Every image of an icon or cursor file that we can read, in directory order; fails as
// chooseIconImage does.
std::vector<FrameImageInfo> iconImages(Bytes data);

// The same for one frame of an animated cursor: an icon directory, or a bare bitmap or PNG.
std::vector<FrameImageInfo> frameImages(Bytes data);

} // namespace nconv
