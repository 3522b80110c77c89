#pragma once
// A PNG whose pixels are stored, not compressed: for a preview that its reader decodes at once
// and keeps in a form of its own (file managers re-save every thumbnail in their cache), so
// compressing it would only cost time.
#include "bytesink.h"
#include "image.h"
#include "rows.h"

#include <vector>

namespace nconv {

// RGBA, 8 bits per channel, no filter, deflate "stored" blocks. Takes no compressor state at all,
// which is most of what compressing a small picture costs. The file goes to `sink` in pieces of
// a few kilobytes as the rows come from `rows`, so the picture is never held whole.
void writePngStored(RowSource& rows, const ByteSink& sink);

// The whole file in memory.
std::vector<std::uint8_t> encodePngStored(const Image& image);

} // namespace nconv
