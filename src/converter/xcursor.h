#pragma once
// Xcursor files, the cursors of X11 and Wayland desktops (Xcursor(3)): a table of contents, then
// one chunk per image with its nominal size, its size, hot spot and delay in milliseconds, and
// its pixels as premultiplied ARGB. The images of one nominal size, in file order, are the steps
// of the animation a desktop shows at that size; there is no sequence, so a step that repeats a
// frame repeats its image.
#include "bytes.h"
#include "bytesink.h"
#include "image.h"

#include <cstdint>
#include <span>
#include <vector>

namespace nconv {

// libXcursor refuses images with a side past this.
inline constexpr std::uint32_t kXcursorMaxSide = 0x7fff;
// All images of one file together: the one pixel limit of every picture and animation.
inline constexpr std::uint64_t kMaxXcursorPixels = kMaxPixels;

// One image chunk to write.
struct XcursorChunk
{
    std::uint32_t nominal = 0;
    std::uint32_t delay = 0;      // milliseconds
    const Image* image = nullptr; // straight RGBA; without a hot spot the top left corner
};

// The file's length, checked against the caps before anything is made.
std::uint64_t xcursorFileSize(std::span<const XcursorChunk> chunks);

// The file, chunk by chunk in the order given, handed to `sink` in pieces.
void writeXcursor(std::span<const XcursorChunk> chunks, const ByteSink& sink);
std::vector<std::uint8_t> encodeXcursor(std::span<const XcursorChunk> chunks);

// One image read back, with straight alpha and its hot spot, for a preview.
struct XcursorImage
{
    std::uint32_t nominal = 0;
    std::uint32_t delay = 0;
    Image image;
};

// Every image chunk in table order. Throws DecodeError (damaged, too large) on a file that
// libXcursor would not read either.
std::vector<XcursorImage> readXcursor(Bytes data);

// The images libXcursor shows at `size`: those of the nominal size nearest to it, in file order.
std::vector<const XcursorImage*> imagesForSize(const std::vector<XcursorImage>& images,
                                               std::uint32_t size);

} // namespace nconv
