#pragma once
// Output: the picture laid on white for JPEG and BMP, kept with its alpha for PNG.
#include "image.h"

#include <string>
#include <vector>

namespace nconv {

// Gif and Webp are animations, written by encodeGif and encodeWebp; Xcursor is a Linux cursor
// with every step at every size, written by encodeXcursorFile.
enum class OutputFormat { Jpeg, Png, Bmp, Gif, Webp, Xcursor };

// RGB, 3 bytes per pixel: every pixel blended onto a white background.
std::vector<std::uint8_t> flattenOnWhite(const Image& image);

std::vector<std::uint8_t> encodeJpeg(const Image& image, int quality);
std::vector<std::uint8_t> encodeBmp(const Image& image);
// A still picture: Jpeg, Png or Bmp.
std::vector<std::uint8_t> encodeImage(const Image& image, OutputFormat format, int quality);

} // namespace nconv
