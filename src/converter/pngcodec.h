#pragma once
// PNG in (whole files and PNG-coded icon images) and out, through libpng.
#include "bytes.h"
#include "image.h"
#include "rows.h"

#include <memory>
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

// The same picture a row at a time. The kinds cursors use (8 bits per channel, RGB or RGBA, not
// interlaced, sRGB) are decoded as the rows are asked for; any other is decoded whole first.
std::unique_ptr<RowSource> pngRows(Bytes data);

std::vector<std::uint8_t> encodePng(const Image& image);

} // namespace nconv
