#pragma once
// Device-independent bitmaps: the BMP-coded images inside icons and cursors, and BMP files.
#include "bytes.h"
#include "image.h"

namespace nconv {

// What a bitmap header says, read and checked against the allow-lists.
struct DibHeader
{
    std::uint32_t headerSize = 0;
    std::uint32_t width = 0;
    std::uint32_t rawHeight = 0; // the height field without its sign
    bool topDown = false;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t paletteSize = 0;         // entries stored in the file
    std::uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha for bit fields
    std::size_t tableBytes = 0;            // masks stored after the header, then the palette
};

DibHeader readDibHeader(Bytes data);

// The height of the picture in an icon's bitmap, whose height field normally counts the
// colour rows and the mask rows together. `data` is the bitmap, running to the end of the file;
// dirHeight is the directory's height and declaredSize its size for the image (0 and SIZE_MAX
// if unknown). A directory can lie, so what the data holds has the last word.
std::uint32_t iconImageHeight(const DibHeader& header, Bytes data, std::uint32_t dirHeight,
                              std::size_t declaredSize = SIZE_MAX);

// A bitmap as stored in an icon or cursor: header, palette, colour rows, then the AND mask.
// `data` runs to the end of the file; declaredSize is what the directory gives as its size.
Image decodeIconDib(Bytes data, std::uint32_t dirHeight, std::size_t declaredSize = SIZE_MAX);

// A BMP file, starting with "BM".
Image decodeBmpFile(Bytes data);

} // namespace nconv
