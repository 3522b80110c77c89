#pragma once

#include "iconimage.h"

// What a converter must show for an image laid on a white screen. Kept apart from the converter's
// own code on purpose: the tests compare the two.
//
// Alpha (32-bit images with some non-zero alpha, and PNG images), straight alpha onto white,
// per channel with integer arithmetic:
//     out = (a * c + (255 - a) * 255 + 127) / 255
// which is a*c/255 + (255-a) rounded to the nearest integer (the exact value is never halfway,
// since 255 is odd). a = 0 gives white, a = 255 gives c.
// Everything else (1/4/8/24-bit, and 32-bit whose alpha bytes are all zero) is drawn as Windows
// draws it: screen AND mask, then XOR colour; on white that is
//     out = (mask ? 255 : 0) ^ c
// so transparent pixels (mask 1, colour 0) stay white and inverting ones (mask 1, white) turn
// black.
Grid<Rgba> FlattenOnWhite(const IconImage& image);

uint8_t BlendOnWhite(uint8_t colour, uint8_t alpha);

// The image a reader takes from one icon: the largest, then the one with most colours.
size_t ChosenImage(const std::vector<IconImage>& images);

// Which pixels are fully opaque: AND 0 in masked images, alpha 255 in alpha images.
Grid<uint8_t> OpaquePixels(const IconImage& image);
