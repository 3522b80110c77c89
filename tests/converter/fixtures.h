#pragma once
// Well-formed files of every kind the converter reads, drawn here: fuzzing seeds, benchmark
// inputs when the generated samples are absent, and the base the malformed tests start from.
#include "builders.h"

#include <cmath>
#include <utility>

namespace testimg {

// A 32x32 monochrome arrow: black outline, white inside, transparent around, and an
// inverting block in the corner (mask set, colour white).
inline DibFields monoArrow()
{
    DibFields d;
    d.width = d.height = 32;
    d.bitCount = 1;
    d.palette = {0x000000, 0xFFFFFF};
    d.pixels.assign(32 * 32, 0);
    d.mask.assign(32 * 32, 1);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x <= y / 2 + 1 && x < 12; ++x) {
            const bool edge = x == 0 || x == y / 2 + 1 || y == 19;
            d.mask[y * 32 + x] = 0;
            d.pixels[y * 32 + x] = edge ? 0 : 1;
        }
    for (int y = 26; y < 30; ++y)
        for (int x = 26; x < 30; ++x)
            d.pixels[y * 32 + x] = 1; // mask stays set: inverted on screen
    return d;
}

inline DibFields paletteDot(int bits)
{
    DibFields d;
    d.width = d.height = 32;
    d.bitCount = bits;
    const int colours = 1 << bits;
    for (int i = 0; i < colours; ++i)
        d.palette.push_back(i == 0 ? 0u
                                   : static_cast<std::uint32_t>((i * 37 % 256) << 16 |
                                                                (i * 91 % 256) << 8 |
                                                                (255 - i % 256)));
    d.pixels.resize(32 * 32);
    d.mask.resize(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int r2 = (x - 16) * (x - 16) + (y - 16) * (y - 16);
            d.pixels[y * 32 + x] = r2 < 196 ? static_cast<std::uint32_t>(r2 % colours) : 0;
            d.mask[y * 32 + x] = r2 < 196 ? 0 : 1;
        }
    return d;
}

inline DibFields trueColour(int size, int bits)
{
    DibFields d;
    d.width = d.height = size;
    d.bitCount = bits;
    d.pixels.resize(static_cast<std::size_t>(size) * size);
    d.mask.resize(d.pixels.size());
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool inside = x > size / 8 && y > size / 8 && x < size - size / 8;
            const std::uint32_t alpha = bits == 32 ? (inside ? 255u : (x * 255u / size) / 2) : 0;
            d.pixels[y * size + x] =
                alpha << 24 | (x * 255u / size) << 16 | (y * 255u / size) << 8 | 0x40;
            d.mask[y * size + x] = inside ? 0 : 1;
        }
    return d;
}

inline PngFields pngGradient(std::uint32_t size)
{
    PngFields p;
    p.width = p.height = size;
    p.colourType = 6;
    for (std::uint32_t y = 0; y < size; ++y)
        for (std::uint32_t x = 0; x < size; ++x) {
            const double r = std::hypot(double(x) - size / 2.0, double(y) - size / 2.0);
            p.rows.push_back(static_cast<std::uint8_t>(x * 255 / size));
            p.rows.push_back(static_cast<std::uint8_t>(y * 255 / size));
            p.rows.push_back(0x80);
            p.rows.push_back(r < size * 0.45 ? 255 : (r < size * 0.5 ? 128 : 0));
        }
    return p;
}

inline Buf cursorOf(const DibFields& d, std::uint16_t hotX = 1, std::uint16_t hotY = 2)
{
    return makeIcon(2, {entry(makeDib(d), d.width, d.height, hotX, hotY)});
}

// A 2x1 cursor of one opaque colour (0xRRGGBB).
inline Buf tinyCursor(std::uint32_t rgb)
{
    DibFields d;
    d.width = 2;
    d.height = 1;
    d.pixels = {0xFF000000 | rgb, 0xFF000000 | rgb};
    return cursorOf(d);
}

inline Buf multiSizeIcon()
{
    std::vector<IconEntry> entries;
    for (int size : {16, 48, 32})
        entries.push_back(entry(makeDib(trueColour(size, 32)), size, size, 1, 32));
    entries.push_back(entry(makeDib(paletteDot(4)), 48, 48, 1, 4)); // same area, fewer colours
    return makeIcon(1, entries);
}

inline Buf pngCursor256()
{
    return makeIcon(2, {entry(makePng(pngGradient(256)), 0, 0, 128, 128)});
}

// An animation of `count` 32x32 frames: converting it should cost about what one frame costs.
inline Buf manyFrames(int count)
{
    std::vector<Buf> frames;
    for (int i = 0; i < count; ++i) {
        DibFields d = trueColour(32, 32);
        d.pixels[static_cast<std::size_t>(i % 1024)] ^= 0xFFFFFF; // every frame a little different
        frames.push_back(cursorOf(d));
    }
    return animation(frames);
}

inline std::vector<std::pair<std::string, Buf>> wellFormedFiles()
{
    std::vector<std::pair<std::string, Buf>> files;
    files.push_back({"mono_arrow.cur", cursorOf(monoArrow())});
    files.push_back({"palette4.cur", cursorOf(paletteDot(4))});
    files.push_back({"palette8.ico", makeIcon(1, {entry(makeDib(paletteDot(8)), 32, 32)})});
    files.push_back({"rgb24.cur", cursorOf(trueColour(32, 24))});
    files.push_back({"rgba32.cur", cursorOf(trueColour(32, 32))});
    files.push_back({"sizes.ico", multiSizeIcon()});
    files.push_back({"png256.cur", pngCursor256()});
    files.push_back({"plain.bmp", bmpFile(trueColour(17, 24))});
    files.push_back({"plain.png", makePng(pngGradient(40))});

    AnihFields seqHeader;
    seqHeader.flags = kIconFlag | kSequenceFlag;
    seqHeader.steps = 4;
    const std::vector<Buf> info = {
        list("INFO", {chunk("INAM", {'D', 'o', 't', 0}), chunk("IART", {'U', 's', 0})})};
    files.push_back({"sequence.ani", animation({cursorOf(paletteDot(4)), cursorOf(monoArrow()),
                                                cursorOf(trueColour(32, 32))},
                                               seqHeader,
                                               {chunk("rate", words({5, 10, 5, 10})),
                                                chunk("seq ", words({1, 0, 1, 2})), info[0]})});
    files.push_back(
        {"spinner.ani", animation({cursorOf(trueColour(32, 32)), cursorOf(trueColour(32, 24))})});
    files.push_back({"png256.ani", animation({pngCursor256()})});
    files.push_back({"sizes.ani", animation({multiSizeIcon()})});
    return files;
}

} // namespace testimg
