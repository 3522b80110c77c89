#pragma once
// PNG in (whole files and PNG-coded icon images) and out, through libpng.
#include "bytes.h"
#include "image.h"

#include <vector>

namespace nconv {

bool isPng(Bytes data);

// The size a PNG declares, read from its IHDR without decoding.
struct PngSize
{
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bitsPerPixel;
};
PngSize readPngSize(Bytes data);

// Decodes to straight RGBA. Refuses sizes past the caps and streams whose compressed data
// is far too small for the size they declare (decompression bombs) before allocating.
Image decodePng(Bytes data);

std::vector<std::uint8_t> encodePng(const Image& image);

} // namespace nconv
