#include "encode.h"

#include "pngcodec.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <turbojpeg.h>

namespace nconv {

std::vector<std::uint8_t> flattenOn(const Image& image, const Rgb& background)
{
    const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
    std::vector<std::uint8_t> rgb(pixels * 3);
    const std::uint8_t* s = image.rgba.data();
    std::uint8_t* d = rgb.data();
    for (std::size_t i = 0; i < pixels; ++i, s += 4, d += 3) {
        const Rgb c = laidOn(s, background);
        d[0] = c[0], d[1] = c[1], d[2] = c[2];
    }
    return rgb;
}

std::vector<std::uint8_t> encodeJpeg(const Image& image, int quality, const Rgb& background)
{
    const std::vector<std::uint8_t> rgb = flattenOn(image, background);
    std::unique_ptr<void, int (*)(tjhandle)> tj(tjInitCompress(), tjDestroy);
    if (!tj)
        throw std::runtime_error("cannot start the JPEG encoder");
    unsigned char* out = nullptr;
    unsigned long size = 0;
    // Cursors are tiny pictures with hard colour edges (a red outline one pixel wide). Halving
    // the chroma resolution would smear those edges into neighbouring pixels, and the bytes it
    // saves on a 32x32 image are negligible, so colour is kept at full resolution (4:4:4).
    const int rc = tjCompress2(tj.get(), rgb.data(), static_cast<int>(image.width), 0,
                               static_cast<int>(image.height), TJPF_RGB, &out, &size, TJSAMP_444,
                               quality, TJFLAG_ACCURATEDCT);
    std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(out, tjFree);
    if (rc != 0)
        throw std::runtime_error(std::string("cannot encode JPEG: ") + tjGetErrorStr2(tj.get()));
    return std::vector<std::uint8_t>(out, out + size);
}

std::vector<std::uint8_t> encodeBmp(const Image& image, const Rgb& background)
{
    const std::vector<std::uint8_t> rgb = flattenOn(image, background);
    const std::uint64_t stride = (static_cast<std::uint64_t>(image.width) * 3 + 3) / 4 * 4;
    const std::uint64_t pixelBytes = stride * image.height;
    const std::uint64_t fileSize = 54 + pixelBytes;
    if (fileSize > UINT32_MAX)
        throw std::runtime_error("the image is too large for a BMP file");
    std::vector<std::uint8_t> out(static_cast<std::size_t>(fileSize), 0);
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        out[at] = v & 0xFF, out[at + 1] = (v >> 8) & 0xFF;
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF), put16(at + 2, v >> 16);
    };
    out[0] = 'B', out[1] = 'M';
    put32(2, static_cast<std::uint32_t>(fileSize));
    put32(10, 54);
    put32(14, 40);
    put32(18, image.width);
    put32(22, image.height); // bottom-up, as every reader expects
    put16(26, 1);
    put16(28, 24);
    put32(34, static_cast<std::uint32_t>(pixelBytes));
    put32(38, 3780), put32(42, 3780); // 96 DPI
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* s =
            rgb.data() + static_cast<std::size_t>(image.height - 1 - y) * image.width * 3;
        std::uint8_t* d = out.data() + 54 + y * stride;
        for (std::uint32_t x = 0; x < image.width; ++x, s += 3, d += 3)
            d[0] = s[2], d[1] = s[1], d[2] = s[0];
    }
    return out;
}

std::vector<std::uint8_t> encodeImage(const Image& image, OutputFormat format, int quality,
                                      const Rgb& background)
{
    switch (format) {
    case OutputFormat::Jpeg:
        return encodeJpeg(image, quality, background);
    case OutputFormat::Png:
        return encodePng(image);
    case OutputFormat::Bmp:
        return encodeBmp(image, background);
    case OutputFormat::Gif:
    case OutputFormat::Webp:
    case OutputFormat::Xcursor:
        break;
    }
    throw std::logic_error("not a still picture format");
}

} // namespace nconv
