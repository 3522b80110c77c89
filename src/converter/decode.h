#pragma once
// The converter's decoder as a library: give it the bytes of a file, get one picture back.
//
//   nconv::Image image = nconv::decodeImage(bytes);
//
// The kind of file is found from its content: animated cursor (RIFF "ACON"), cursor or icon,
// BMP or PNG. For an animated cursor the frame shown first is decoded; of an icon, its
// largest image, then the one with the most colours. Failures throw nconv::DecodeError,
// whose what() is a message for the user and whose kind() tells damaged from unsupported.
#include "errors.h"
#include "image.h"
#include "rows.h"

#include <cstdint>
#include <memory>
#include <span>

namespace nconv {

Image decodeImage(std::span<const std::uint8_t> bytes);

struct ShownPicture;
// One picture found inside a file, with its hot spot kept inside it.
Image decodePicture(const ShownPicture& picture);

// The same picture a row at a time, for a preview: a PNG frame (the large ones) is decoded as
// its rows are asked for, so it is never held whole. No hot spot.
std::unique_ptr<RowSource> decodeRows(std::span<const std::uint8_t> bytes);

} // namespace nconv
