#include "xcursor.h"

#include "errors.h"

#include <algorithm>
#include <string>

namespace nconv {
namespace {

constexpr std::uint32_t kMagic = 0x72756358; // "Xcur"
constexpr std::uint32_t kFileHeaderSize = 16;
constexpr std::uint32_t kFileVersion = 0x10000;
constexpr std::uint32_t kTocEntrySize = 12;
constexpr std::uint32_t kImageType = 0xfffd0002;
constexpr std::uint32_t kImageHeaderSize = 36;
constexpr std::uint32_t kImageVersion = 1;
// A file with more images than this is no cursor anyone made.
constexpr std::uint32_t kMaxChunks = 65536;

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint8_t premultiplied(std::uint8_t channel, std::uint8_t alpha)
{
    return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

std::uint8_t straight(std::uint8_t channel, std::uint8_t alpha)
{
    return static_cast<std::uint8_t>(std::min(255, (channel * 255 + alpha / 2) / alpha));
}

} // namespace

std::uint64_t xcursorFileSize(std::span<const XcursorChunk> chunks)
{
    if (chunks.empty() || chunks.size() > kMaxChunks)
        tooLarge(std::to_string(chunks.size()) + " images for one cursor file");
    std::uint64_t pixels = 0;
    for (const XcursorChunk& c : chunks) {
        if (c.image->width > kXcursorMaxSide || c.image->height > kXcursorMaxSide)
            tooLarge(std::to_string(c.image->width) + " x " + std::to_string(c.image->height) +
                     " pixels (a Linux cursor image is at most 32767 pixels wide and high)");
        pixels += std::uint64_t{c.image->width} * c.image->height;
    }
    if (pixels > kMaxXcursorPixels)
        tooLarge(std::string("the cursor file would hold too many pixels (") + kPixelLimitText +
                 ", all images together)");
    return kFileHeaderSize + chunks.size() * (kTocEntrySize + kImageHeaderSize) + pixels * 4;
}

void writeXcursor(std::span<const XcursorChunk> chunks, const ByteSink& sink)
{
    xcursorFileSize(chunks);
    std::vector<std::uint8_t> head;
    put32(head, kMagic);
    put32(head, kFileHeaderSize);
    put32(head, kFileVersion);
    put32(head, static_cast<std::uint32_t>(chunks.size()));
    std::uint64_t position = kFileHeaderSize + std::uint64_t{kTocEntrySize} * chunks.size();
    for (const XcursorChunk& c : chunks) {
        put32(head, kImageType);
        put32(head, c.nominal);
        put32(head, static_cast<std::uint32_t>(position));
        position += kImageHeaderSize + std::uint64_t{c.image->width} * c.image->height * 4;
    }
    if (position > UINT32_MAX)
        tooLarge("the cursor file would be larger than 4 GB");
    sink(head);
    std::vector<std::uint8_t> chunk;
    for (const XcursorChunk& c : chunks) {
        const Image& image = *c.image;
        const HotSpot hot = image.hotSpot.value_or(HotSpot{});
        chunk.clear();
        for (std::uint32_t v :
             {kImageHeaderSize, kImageType, c.nominal, kImageVersion, image.width, image.height,
              static_cast<std::uint32_t>(hot.x), static_cast<std::uint32_t>(hot.y), c.delay})
            put32(chunk, v);
        chunk.reserve(chunk.size() + image.rgba.size());
        for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
            const std::uint8_t* p = image.rgba.data() + i;
            const std::uint8_t a = p[3];
            // ARGB as a little-endian word: blue first.
            chunk.insert(chunk.end(), {premultiplied(p[2], a), premultiplied(p[1], a),
                                       premultiplied(p[0], a), a});
        }
        sink(chunk);
    }
}

std::vector<std::uint8_t> encodeXcursor(std::span<const XcursorChunk> chunks)
{
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(xcursorFileSize(chunks)));
    writeXcursor(chunks, [&](std::span<const std::uint8_t> piece) {
        out.insert(out.end(), piece.begin(), piece.end());
    });
    return out;
}

std::vector<XcursorImage> readXcursor(Bytes data)
{
    if (!startsWith(data, "Xcur"))
        throw DecodeError(ErrorKind::NotRecognised, "");
    const auto header = u32At(data, 4), count = u32At(data, 12);
    if (!header || !count || *header < kFileHeaderSize)
        damaged("the cursor file header is cut short");
    if (*count > kMaxChunks)
        tooLarge(std::to_string(*count) + " images in one cursor file");
    std::vector<XcursorImage> images;
    std::uint64_t pixels = 0;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t entry = std::uint64_t{*header} + std::uint64_t{i} * kTocEntrySize;
        if (entry > data.size() || !fits(data, static_cast<std::size_t>(entry), kTocEntrySize))
            damaged("the table of contents is cut short");
        const auto at = static_cast<std::size_t>(entry);
        if (*u32At(data, at) != kImageType)
            continue; // comments and chunks of kinds yet to come
        const std::size_t chunk = *u32At(data, at + 8);
        if (!fits(data, chunk, kImageHeaderSize) || *u32At(data, chunk) != kImageHeaderSize ||
            *u32At(data, chunk + 4) != kImageType)
            damaged("image " + std::to_string(images.size() + 1) + " is cut short or not an image");
        XcursorImage out;
        out.nominal = *u32At(data, chunk + 8);
        const std::uint32_t width = *u32At(data, chunk + 16), height = *u32At(data, chunk + 20);
        const std::uint32_t x = *u32At(data, chunk + 24), y = *u32At(data, chunk + 28);
        out.delay = *u32At(data, chunk + 32);
        if (width == 0 || height == 0 || width > kXcursorMaxSide || height > kXcursorMaxSide ||
            x > width || y > height)
            damaged("image " + std::to_string(images.size() + 1) + " has an impossible size");
        pixels += std::uint64_t{width} * height;
        if (pixels > kMaxXcursorPixels)
            tooLarge(std::string("the cursor file holds too many pixels (") + kPixelLimitText +
                     ", all images together)");
        const std::size_t count4 = std::size_t{width} * height * 4;
        if (!fits(data, chunk + kImageHeaderSize, count4))
            damaged("the pixels of image " + std::to_string(images.size() + 1) + " are cut short");
        out.image.width = width, out.image.height = height;
        out.image.hotSpot = HotSpot{static_cast<int>(std::min(x, width - 1)),
                                    static_cast<int>(std::min(y, height - 1))};
        allocatePixels(out.image.rgba, count4);
        const std::uint8_t* s = data.data() + chunk + kImageHeaderSize;
        std::uint8_t* d = out.image.rgba.data();
        for (std::size_t p = 0; p < count4; p += 4, s += 4, d += 4) {
            const std::uint8_t a = s[3];
            if (a == 0)
                continue; // fully transparent is 0, 0, 0, 0, as decoded pictures keep it
            d[0] = straight(s[2], a), d[1] = straight(s[1], a), d[2] = straight(s[0], a), d[3] = a;
        }
        images.push_back(std::move(out));
    }
    if (images.empty())
        damaged("the cursor file holds no image");
    return images;
}

std::vector<const XcursorImage*> imagesForSize(const std::vector<XcursorImage>& images,
                                               std::uint32_t size)
{
    auto distance = [size](std::uint32_t nominal) {
        return nominal > size ? nominal - size : size - nominal;
    };
    std::uint32_t best = 0;
    bool found = false;
    for (const XcursorImage& i : images)
        if (!found || distance(i.nominal) < distance(best))
            best = i.nominal, found = true;
    std::vector<const XcursorImage*> chosen;
    for (const XcursorImage& i : images)
        if (i.nominal == best)
            chosen.push_back(&i);
    return chosen;
}

} // namespace nconv
