#pragma once
// Icon and cursor files (.ico, .cur, and the frames of animated cursors).
#include "bytes.h"
#include "image.h"

namespace nconv {

bool isIconDirectory(Bytes data);

// Decodes the largest image of the directory (then the one with the most colours), using the
// sizes its own header gives rather than the directory's. A cursor's hot spot comes along.
Image decodeIcon(Bytes data);

// One frame of an animated cursor: an icon directory, or a bare bitmap or PNG.
Image decodeFrame(Bytes data);

} // namespace nconv
