#pragma once
// Output: the picture laid on a background (white unless told) for JPEG and BMP, kept with its
// alpha for PNG.
#include "image.h"
#include "matte.h"

#include <string>
#include <vector>

namespace nconv {

// Gif and Webp are animations, written by encodeGif and encodeWebp; Xcursor is a Linux cursor
// with every step at every size, written by encodeXcursorFile.
enum class OutputFormat { Jpeg, Png, Bmp, Gif, Webp, Xcursor };

// RGB, 3 bytes per pixel: every pixel blended onto `background`.
std::vector<std::uint8_t> flattenOn(const Image& image, const Rgb& background);
inline std::vector<std::uint8_t> flattenOnWhite(const Image& image)
{
    return flattenOn(image, kWhite);
}

std::vector<std::uint8_t> encodeJpeg(const Image& image, int quality,
                                     const Rgb& background = kWhite);
std::vector<std::uint8_t> encodeBmp(const Image& image, const Rgb& background = kWhite);
// A still picture: Jpeg, Png or Bmp; PNG keeps the alpha and takes no background.
std::vector<std::uint8_t> encodeImage(const Image& image, OutputFormat format, int quality,
                                      const Rgb& background = kWhite);

} // namespace nconv
