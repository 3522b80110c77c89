#pragma once
// A PNG whose pixels are stored, not compressed: for a preview that its reader decodes at once
// and keeps in a form of its own (file managers re-save every thumbnail in their cache), so
// compressing it would only cost time.
#include "bytesink.h"
#include "image.h"

#include <vector>

namespace nconv {

// RGBA, 8 bits per channel, no filter, deflate "stored" blocks. Takes no compressor state at all,
// which is most of what compressing a small picture costs. The file goes to `sink` in pieces of
// a few kilobytes as the rows come from `nextRow` (top first, width * 4 bytes each), so the
// picture is never held whole.
void writePngStored(std::uint32_t width, std::uint32_t height,
                    const std::function<const std::uint8_t*()>& nextRow, const ByteSink& sink);

// The whole picture, rows straight from its pixels.
void writePngStored(const Image& image, const ByteSink& sink);
std::vector<std::uint8_t> encodePngStored(const Image& image);

} // namespace nconv
