#include "pngcodec.h"

#include "errors.h"

#include <png.h>
#include <string>

namespace nconv {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Deflate cannot shrink data by more than about 1032 to 1; allow a little over that.
constexpr std::uint64_t kMaxInflateRatio = 1100;

std::uint32_t channelsOf(std::uint8_t colourType)
{
    switch (colourType) {
    case 0:
        return 1; // grey
    case 2:
        return 3; // RGB
    case 3:
        return 1; // palette
    case 4:
        return 2; // grey + alpha
    case 6:
        return 4; // RGBA
    default:
        return 0;
    }
}

// The total length of the IDAT chunks, walked without trusting any length past the data.
std::uint64_t compressedLength(Bytes data)
{
    std::uint64_t total = 0;
    std::size_t pos = 8;
    while (fits(data, pos, 8)) {
        const std::uint32_t length = be32(data.data() + pos);
        if (startsWith(data, "IDAT", pos + 4))
            total += length;
        if (startsWith(data, "IEND", pos + 4) || length > data.size())
            break;
        pos += 12 + static_cast<std::size_t>(length);
    }
    return total;
}

} // namespace

bool isPng(Bytes data)
{
    if (data.size() < 8)
        return false;
    for (int i = 0; i < 8; ++i)
        if (data[i] != kSignature[i])
            return false;
    return true;
}

PngSize readPngSize(Bytes data)
{
    if (!fits(data, 8, 25) || !startsWith(data, "IHDR", 12))
        damaged("the PNG header is missing or cut short");
    const std::uint32_t width = be32(data.data() + 16);
    const std::uint32_t height = be32(data.data() + 20);
    const std::uint8_t depth = data[24];
    const std::uint32_t channels = channelsOf(data[25]);
    if (width == 0 || height == 0 || channels == 0 ||
        (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16))
        damaged("the PNG header is not valid");
    checkImageSize(width, height);
    return {width, height, channels * depth};
}

Image decodePng(Bytes data)
{
    const PngSize size = readPngSize(data);
    const std::uint64_t raw =
        (static_cast<std::uint64_t>(size.width) * size.bitsPerPixel + 7) / 8 * size.height +
        size.height;
    if (raw > compressedLength(data) * kMaxInflateRatio + 4096)
        damaged("the PNG declares " + std::to_string(size.width) + " x " +
                std::to_string(size.height) + " pixels but holds far too little data for them");

    // Freed on every way out, also when the allocation below throws.
    struct Reader
    {
        png_image png{};
        ~Reader() { png_image_free(&png); }
    } reader;
    png_image& png = reader.png;
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data.data(), data.size()))
        damaged(std::string("PNG: ") + png.message);
    png.format = PNG_FORMAT_RGBA;
    Image out;
    out.width = png.width;
    out.height = png.height;
    allocatePixels(out.rgba, PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, out.rgba.data(), 0, nullptr))
        damaged(std::string("PNG: ") + png.message);
    for (std::size_t i = 0; i < out.rgba.size(); i += 4)
        if (out.rgba[i + 3] == 0)
            out.rgba[i] = out.rgba[i + 1] = out.rgba[i + 2] = 0;
    return out;
}

std::vector<std::uint8_t> encodePng(const Image& image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = image.width;
    png.height = image.height;
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png, size, 0, image.rgba.data(), 0, nullptr))
        throw std::runtime_error(std::string("cannot encode PNG: ") + png.message);
    std::vector<std::uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, image.rgba.data(), 0, nullptr))
        throw std::runtime_error(std::string("cannot encode PNG: ") + png.message);
    out.resize(size);
    return out;
}

} // namespace nconv
