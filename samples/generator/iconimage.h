#pragma once

#include "raster.h"

#include <cstdint>
#include <string>
#include <vector>

// One image of an icon or cursor exactly as it will be stored, so that the expected picture can be
// worked out from the same data the file holds.
struct IconImage
{
    enum class Coding { Bmp, Png };
    Coding coding = Coding::Bmp;
    int bitCount = 32;         // 1, 4, 8, 24 or 32; PNG images are always 8-bit RGBA
    std::vector<Rgba> palette; // bitCount <= 8
    Grid<uint8_t> index;       // bitCount <= 8: palette index per pixel, top row first
    Grid<Rgba> colour;         // bitCount 24, 32 and PNG; alpha is stored only by 32 and PNG
    Grid<uint8_t> andMask;     // BMP: 1 = the screen shows through (transparent or inverting)
    int hotX = 0, hotY = 0;    // used when the image sits in a cursor

    int width() const
    {
        return coding == Coding::Png || bitCount > 8 ? colour.width() : index.width();
    }
    int height() const
    {
        return coding == Coding::Png || bitCount > 8 ? colour.height() : index.height();
    }
};

// Ink of a monochrome cursor: how Windows draws it is fixed by the AND and XOR bits.
enum class Ink : uint8_t { Clear, Black, White, Invert };

IconImage MakeMono(const Grid<Ink>& ink);
// Pixels with alpha 0 in `drawing` become transparent (AND 1, index 0); every other pixel must be a
// palette colour.
IconImage MakePaletted(int bitCount, std::vector<Rgba> palette, const Grid<Rgba>& drawing);
// Pixels with alpha 0 become transparent (AND 1, colour black); others are stored opaque.
IconImage MakeTrue24(const Grid<Rgba>& drawing);
// Straight alpha as drawn; the AND mask marks the fully transparent pixels.
IconImage MakeAlpha32(const Grid<Rgba>& drawing);
// 32-bit colour whose alpha bytes are all zero, so the AND mask decides; `invert` marks pixels
// stored with AND 1 and a non-black colour, which Windows draws by inverting the screen.
IconImage MakeZeroAlpha32(const Grid<Rgba>& drawing, const Grid<uint8_t>& invert);
IconImage MakePng(const Grid<Rgba>& drawing);

// The bitmap (header, palette, XOR rows, AND rows) or the PNG stream of one image.
std::vector<uint8_t> EncodeImage(const IconImage& image);
std::vector<uint8_t> EncodePng(const Grid<Rgba>& drawing);

// An .ico (type 1) or .cur (type 2) file; `offsets` receives where each image's data begins.
std::vector<uint8_t> EncodeIconFile(const std::vector<IconImage>& images, bool cursor,
                                    std::vector<size_t>* offsets = nullptr,
                                    std::vector<size_t>* sizes = nullptr);
