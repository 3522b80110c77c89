#include "dib.h"

#include "errors.h"

#include <bit>
#include <string>

namespace nconv {
namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4, kPng = 5,
                        kAlphaBitFields = 6;

bool allowedHeaderSize(std::uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

std::uint64_t rowBytes(std::uint64_t width, std::uint32_t bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

// One channel taken out of a pixel value by its bit mask and widened to 8 bits.
struct Channel
{
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    std::uint8_t operator()(std::uint32_t value) const
    {
        if (max == 0)
            return 0;
        std::uint64_t v = (value & mask) >> shift;
        // Eight-bit channels, by far the most common, need no scaling: a division per channel
        // and pixel was most of what decoding a 32-bit frame cost.
        if (max == 255)
            return static_cast<std::uint8_t>(v);
        return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
    }
};

struct Layout
{
    std::uint32_t width;
    std::uint32_t height;
    bool topDown;
    Bytes colour; // the colour rows
    Bytes mask;   // the AND mask rows (may be short or empty)
    bool useMask;
};

void decodePixels(const DibHeader& h, Bytes palette, const Layout& l, Image& out)
{
    const std::uint64_t stride = rowBytes(l.width, h.bitCount);
    const std::uint64_t maskStride = rowBytes(l.width, 1);
    out.width = l.width;
    out.height = l.height;
    allocatePixels(out.rgba, static_cast<std::size_t>(l.width) * l.height * 4);

    const bool fields = h.compression == kBitFields || h.compression == kAlphaBitFields;
    std::uint32_t m[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    if (!fields && h.bitCount == 16) {
        m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F, m[3] = 0;
    } else if (!fields && h.bitCount == 32) {
        m[0] = 0x00FF0000, m[1] = 0x0000FF00, m[2] = 0x000000FF, m[3] = 0xFF000000;
    }
    const Channel red(m[0]), green(m[1]), blue(m[2]), alphaCh(m[3]);
    // The usual 32-bit layout (bytes B, G, R, A) needs no channel arithmetic.
    const bool plainBgra = h.bitCount == 32 && m[0] == 0x00FF0000 && m[1] == 0x0000FF00 &&
                           m[2] == 0x000000FF && m[3] == 0xFF000000;
    const std::uint32_t paletteCount = static_cast<std::uint32_t>(palette.size() / 4);

    bool anyAlpha = false;
    for (std::uint32_t y = 0; y < l.height; ++y) {
        const std::uint32_t outRow = l.topDown ? y : l.height - 1 - y;
        const std::uint8_t* src = l.colour.data() + y * stride;
        std::uint8_t* dst = out.rgba.data() + static_cast<std::size_t>(outRow) * l.width * 4;
        for (std::uint32_t x = 0; x < l.width; ++x, dst += 4) {
            switch (h.bitCount) {
            case 1:
            case 4:
            case 8: {
                const std::uint32_t bit = x * h.bitCount;
                const std::uint32_t shift = 8 - h.bitCount - bit % 8;
                const std::uint32_t index = (src[bit / 8] >> shift) & ((1u << h.bitCount) - 1);
                if (index >= paletteCount)
                    damaged("colour index " + std::to_string(index) + " is past the end of the " +
                            std::to_string(paletteCount) + "-colour palette");
                const std::uint8_t* p = palette.data() + index * 4;
                dst[0] = p[2], dst[1] = p[1], dst[2] = p[0], dst[3] = 255;
                break;
            }
            case 24: {
                const std::uint8_t* p = src + x * 3;
                dst[0] = p[2], dst[1] = p[1], dst[2] = p[0], dst[3] = 255;
                break;
            }
            case 16: {
                const std::uint32_t v = src[x * 2] | (src[x * 2 + 1] << 8);
                dst[0] = red(v), dst[1] = green(v), dst[2] = blue(v), dst[3] = 255;
                break;
            }
            case 32: {
                const std::uint8_t* p = src + x * 4;
                if (plainBgra) {
                    dst[0] = p[2], dst[1] = p[1], dst[2] = p[0], dst[3] = p[3];
                } else {
                    const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) |
                                            (static_cast<std::uint32_t>(p[3]) << 24);
                    dst[0] = red(v), dst[1] = green(v), dst[2] = blue(v);
                    dst[3] = alphaCh(v);
                }
                anyAlpha = anyAlpha || dst[3] != 0;
                break;
            }
            }
        }
    }

    // A 32-bit image whose alpha is all zero carries no alpha at all: it is drawn with its
    // mask like the others (or opaque when there is none).
    const bool hasAlpha = h.bitCount == 32 && anyAlpha;
    if (hasAlpha) {
        for (std::size_t i = 0; i < out.rgba.size(); i += 4)
            if (out.rgba[i + 3] == 0)
                out.rgba[i] = out.rgba[i + 1] = out.rgba[i + 2] = 0;
        return;
    }
    for (std::size_t i = 3; i < out.rgba.size(); i += 4)
        out.rgba[i] = 255;
    if (!l.useMask)
        return;

    // Windows draws a cursor by AND-ing the mask onto the screen, then XOR-ing the colour.
    // On a white screen a set mask bit keeps white XOR colour: black colour leaves the screen
    // showing (transparent), any other colour shows inverted.
    for (std::uint32_t y = 0; y < l.height; ++y) {
        if (!fits(l.mask, y * maskStride, maskStride))
            break; // a short mask: the rows it lacks are opaque
        const std::uint32_t outRow = l.topDown ? y : l.height - 1 - y;
        const std::uint8_t* bits = l.mask.data() + y * maskStride;
        std::uint8_t* dst = out.rgba.data() + static_cast<std::size_t>(outRow) * l.width * 4;
        for (std::uint32_t x = 0; x < l.width; ++x, dst += 4) {
            if (((bits[x / 8] >> (7 - x % 8)) & 1) == 0)
                continue;
            if (dst[0] == 0 && dst[1] == 0 && dst[2] == 0) {
                dst[3] = 0;
            } else {
                dst[0] = 255 - dst[0], dst[1] = 255 - dst[1], dst[2] = 255 - dst[2];
            }
        }
    }
}

Bytes paletteOf(Bytes data, const DibHeader& h)
{
    const std::size_t start = h.headerSize + (h.tableBytes - h.paletteSize * 4u);
    if (!fits(data, start, h.paletteSize * 4u))
        damaged("the colour palette is cut short");
    return data.subspan(start, h.paletteSize * 4u);
}

} // namespace

DibHeader readDibHeader(Bytes data)
{
    DibHeader h;
    const auto size = u32At(data, 0);
    if (!size)
        damaged("the bitmap header is cut short");
    h.headerSize = *size;
    if (h.headerSize == 12 || h.headerSize == 64)
        unsupported("OS/2 bitmap header");
    if (!allowedHeaderSize(h.headerSize))
        damaged("bitmap header size " + std::to_string(h.headerSize) + " is not valid");
    if (!fits(data, 0, h.headerSize))
        damaged("the bitmap header is cut short");

    const auto width = static_cast<std::int32_t>(*u32At(data, 4));
    const auto height = static_cast<std::int32_t>(*u32At(data, 8));
    h.bitCount = *u16At(data, 14);
    h.compression = *u32At(data, 16);
    const std::uint32_t clrUsed = *u32At(data, 32);

    if (width <= 0 || height == 0 || height == INT32_MIN)
        damaged("bitmap size " + std::to_string(width) + " x " + std::to_string(height) +
                " is not valid");
    h.width = static_cast<std::uint32_t>(width);
    h.topDown = height < 0;
    h.rawHeight = static_cast<std::uint32_t>(height < 0 ? -height : height);

    switch (h.compression) {
    case kRgb:
    case kBitFields:
    case kAlphaBitFields:
        break;
    case kRle8:
    case kRle4:
        unsupported("run-length compressed bitmap");
    case kJpeg:
    case kPng:
        unsupported("JPEG or PNG data inside a bitmap");
    default:
        damaged("bitmap compression kind " + std::to_string(h.compression) + " is not valid");
    }
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (h.compression != kRgb)
            damaged("bit fields with " + std::to_string(h.bitCount) + " bits per pixel");
        break;
    case 16:
    case 32:
        break;
    default:
        unsupported(std::to_string(h.bitCount) + " bits per pixel");
    }

    std::size_t maskBytes = 0;
    if (h.compression != kRgb) {
        const int count = h.compression == kAlphaBitFields ? 4 : 3;
        if (h.headerSize == 40) {
            maskBytes = count * 4u; // the masks follow a 40-byte header
            for (int i = 0; i < count; ++i) {
                const auto m = u32At(data, 40 + i * 4);
                if (!m)
                    damaged("the colour masks are cut short");
                h.masks[i] = *m;
            }
        } else {
            for (int i = 0; i < 3; ++i)
                h.masks[i] = *u32At(data, 40 + i * 4);
            if (h.headerSize >= 56)
                h.masks[3] = *u32At(data, 52);
        }
    }

    if (h.bitCount <= 8) {
        const std::uint32_t full = 1u << h.bitCount;
        if (clrUsed > full)
            damaged("a palette of " + std::to_string(clrUsed) + " colours for " +
                    std::to_string(h.bitCount) + " bits per pixel");
        h.paletteSize = clrUsed == 0 ? full : clrUsed;
    } else {
        // Deep images may carry an optional palette; it only has to be skipped.
        if (clrUsed > 256)
            damaged("a palette of " + std::to_string(clrUsed) + " colours");
        h.paletteSize = clrUsed;
    }
    h.tableBytes = maskBytes + h.paletteSize * 4u;
    checkImageSize(h.width, h.rawHeight);
    return h;
}

std::uint32_t iconImageHeight(const DibHeader& h, Bytes data, std::uint32_t dirHeight,
                              std::size_t declaredSize)
{
    const std::uint32_t raw = h.rawHeight;
    if (raw % 2 != 0)
        return raw;
    const bool halvedByDirectory = dirHeight != 0 && raw == 2 * dirHeight;
    const bool wholeByDirectory = !halvedByDirectory && dirHeight != 0 && raw == dirHeight;
    if (halvedByDirectory || (!wholeByDirectory && raw != h.width))
        return raw / 2;

    // Some writers store the picture's height alone. Believe it only when the bytes after the
    // header hold all those colour rows and more than a halved reading (colour and mask) takes:
    // a 16x16 image with a full mask is exactly as long as 32 one-bit rows.
    const std::uint64_t start = h.headerSize + h.tableBytes;
    const std::uint64_t halfImage =
        (rowBytes(h.width, h.bitCount) + rowBytes(h.width, 1)) * (raw / 2);
    std::uint64_t end = data.size();
    if (declaredSize >= start + halfImage && declaredSize < end)
        end = declaredSize; // the directory's size, when it is not plainly too small
    const std::uint64_t held = end > start ? end - start : 0;
    const bool holdsWhole = held >= rowBytes(h.width, h.bitCount) * raw && held > halfImage;
    return holdsWhole || held < halfImage ? raw : raw / 2;
}

Image decodeIconDib(Bytes data, std::uint32_t dirHeight, std::size_t declaredSize)
{
    const DibHeader h = readDibHeader(data);
    const Bytes palette = paletteOf(data, h);
    const std::uint32_t height = iconImageHeight(h, data, dirHeight, declaredSize);
    const std::uint64_t stride = rowBytes(h.width, h.bitCount);
    const std::uint64_t colourBytes = stride * height; // caps keep this far below 2^64
    const std::size_t start = h.headerSize + h.tableBytes;
    if (!fits(data, start, colourBytes))
        damaged("the image data is cut short");
    // The mask ends where the directory says the image ends, unless that size is too small
    // even for the colour rows: then the bitmap header wins and the mask may run on.
    const std::size_t colourEnd = start + static_cast<std::size_t>(colourBytes);
    const std::size_t maskEnd = declaredSize >= colourEnd ? declaredSize : data.size();
    Layout l{h.width,
             height,
             h.topDown,
             data.subspan(start, colourBytes),
             tail(data, colourEnd, maskEnd - colourEnd),
             true};
    Image out;
    decodePixels(h, palette, l, out);
    return out;
}

Image decodeBmpFile(Bytes data)
{
    if (!fits(data, 0, 14))
        damaged("the bitmap file header is cut short");
    const Bytes dib = data.subspan(14);
    const DibHeader h = readDibHeader(dib);
    const Bytes palette = paletteOf(dib, h);
    const std::uint64_t colourBytes = rowBytes(h.width, h.bitCount) * h.rawHeight;
    // The declared pixel offset is used when it is sane; otherwise the pixels are taken to
    // follow the palette, as most writers put them.
    const std::uint32_t declared = *u32At(data, 10);
    std::size_t start = 14 + h.headerSize + h.tableBytes;
    if (declared >= 14 + h.headerSize && fits(data, declared, colourBytes))
        start = declared;
    if (!fits(data, start, colourBytes))
        damaged("the image data is cut short");
    Layout l{h.width, h.rawHeight, h.topDown, data.subspan(start, colourBytes), {}, false};
    Image out;
    decodePixels(h, palette, l, out);
    return out;
}

} // namespace nconv
