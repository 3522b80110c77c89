#pragma once
// Icon and cursor files (.ico, .cur, and the frames of animated cursors).
#include "bytes.h"
#include "image.h"

namespace nconv {

bool isIconDirectory(Bytes data);

// Decodes the largest image of the directory (then the one with the most colours), using the
// sizes its own header gives rather than the directory's. A cursor's hot spot comes along.
// An image that is damaged or runs past the data makes the whole icon damaged; only images of
// a kind we do not read are passed over for the others.
Image decodeIcon(Bytes data);

// One frame of an animated cursor: an icon directory, or a bare bitmap or PNG.
Image decodeFrame(Bytes data);

} // namespace nconv
