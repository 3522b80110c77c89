#include "iconimage.h"

#include <stdexcept>
#include <zlib.h>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Put32Big(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

size_t RowBytes(int width, int bits)
{
    return ((size_t(width) * size_t(bits) + 31) / 32) * 4;
}

Grid<uint8_t> TransparentWhereClear(const Grid<Rgba>& drawing)
{
    Grid<uint8_t> mask(drawing.width(), drawing.height(), 0);
    for (int y = 0; y < drawing.height(); ++y)
        for (int x = 0; x < drawing.width(); ++x)
            mask.at(x, y) = drawing.at(x, y).a == 0 ? 1 : 0;
    return mask;
}

} // namespace

IconImage MakeMono(const Grid<Ink>& ink)
{
    IconImage image;
    image.bitCount = 1;
    image.palette = {rgb(0, 0, 0), rgb(255, 255, 255)};
    image.index = Grid<uint8_t>(ink.width(), ink.height());
    image.andMask = Grid<uint8_t>(ink.width(), ink.height());
    for (int y = 0; y < ink.height(); ++y)
        for (int x = 0; x < ink.width(); ++x) {
            const Ink i = ink.at(x, y);
            image.index.at(x, y) = (i == Ink::White || i == Ink::Invert) ? 1 : 0;
            image.andMask.at(x, y) = (i == Ink::Clear || i == Ink::Invert) ? 1 : 0;
        }
    return image;
}

IconImage MakePaletted(int bitCount, std::vector<Rgba> palette, const Grid<Rgba>& drawing)
{
    if (palette.empty() || palette.size() > (size_t(1) << bitCount))
        throw std::invalid_argument("palette does not fit the bit count");
    IconImage image;
    image.bitCount = bitCount;
    image.palette = std::move(palette);
    image.index = Grid<uint8_t>(drawing.width(), drawing.height());
    image.andMask = TransparentWhereClear(drawing);
    for (int y = 0; y < drawing.height(); ++y)
        for (int x = 0; x < drawing.width(); ++x) {
            const Rgba c = drawing.at(x, y);
            if (c.a == 0)
                continue;
            size_t i = 0;
            while (i < image.palette.size() &&
                   !(image.palette[i].r == c.r && image.palette[i].g == c.g &&
                     image.palette[i].b == c.b))
                ++i;
            if (i == image.palette.size())
                throw std::invalid_argument("drawing uses a colour outside its palette");
            image.index.at(x, y) = uint8_t(i);
        }
    return image;
}

IconImage MakeTrue24(const Grid<Rgba>& drawing)
{
    IconImage image;
    image.bitCount = 24;
    image.colour = drawing;
    image.andMask = TransparentWhereClear(drawing);
    for (int y = 0; y < drawing.height(); ++y)
        for (int x = 0; x < drawing.width(); ++x)
            image.colour.at(x, y) = drawing.at(x, y).a == 0 ? kClear : drawing.at(x, y);
    return image;
}

IconImage MakeAlpha32(const Grid<Rgba>& drawing)
{
    IconImage image;
    image.bitCount = 32;
    image.colour = drawing;
    image.andMask = TransparentWhereClear(drawing);
    return image;
}

IconImage MakeZeroAlpha32(const Grid<Rgba>& drawing, const Grid<uint8_t>& invert)
{
    IconImage image;
    image.bitCount = 32;
    image.colour = drawing;
    image.andMask = TransparentWhereClear(drawing);
    for (int y = 0; y < drawing.height(); ++y)
        for (int x = 0; x < drawing.width(); ++x) {
            Rgba& c = image.colour.at(x, y);
            if (invert.at(x, y)) {
                image.andMask.at(x, y) = 1;
            } else if (c.a == 0) {
                c = kClear;
            }
            c.a = 0;
        }
    return image;
}

IconImage MakePng(const Grid<Rgba>& drawing)
{
    IconImage image;
    image.coding = IconImage::Coding::Png;
    image.colour = drawing;
    return image;
}

std::vector<uint8_t> EncodeImage(const IconImage& image)
{
    if (image.coding == IconImage::Coding::Png)
        return EncodePng(image.colour);
    const int w = image.width(), h = image.height(), bits = image.bitCount;
    std::vector<uint8_t> out;
    const size_t xorBytes = RowBytes(w, bits) * size_t(h);
    const size_t andBytes = RowBytes(w, 1) * size_t(h);
    Put32(out, 40);
    Put32(out, uint32_t(w));
    Put32(out, uint32_t(h * 2)); // colour rows and mask rows
    Put16(out, 1);
    Put16(out, uint32_t(bits));
    Put32(out, 0); // uncompressed
    Put32(out, uint32_t(xorBytes + andBytes));
    Put32(out, 0);
    Put32(out, 0);
    const bool shortPalette = bits <= 8 && image.palette.size() < (size_t(1) << bits);
    Put32(out, shortPalette ? uint32_t(image.palette.size()) : 0);
    Put32(out, 0);
    if (bits <= 8)
        for (const Rgba& c : image.palette) {
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
            out.push_back(0);
        }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(RowBytes(w, bits), 0);
        for (int x = 0; x < w; ++x) {
            if (bits <= 8) {
                const int perByte = 8 / bits;
                const int shift = (perByte - 1 - x % perByte) * bits;
                row[size_t(x / perByte)] |= uint8_t(image.index.at(x, y) << shift);
            } else {
                const Rgba c = image.colour.at(x, y);
                uint8_t* p = &row[size_t(x) * size_t(bits / 8)];
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
                if (bits == 32)
                    p[3] = c.a;
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(RowBytes(w, 1), 0);
        for (int x = 0; x < w; ++x)
            if (image.andMask.at(x, y))
                row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

namespace {

void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    Put32Big(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32Big(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

uint8_t Paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

} // namespace

std::vector<uint8_t> EncodePng(const Grid<Rgba>& drawing)
{
    const int w = drawing.width(), h = drawing.height();
    const size_t stride = size_t(w) * 4;
    std::vector<uint8_t> raw;
    std::vector<uint8_t> previous(stride, 0), current(stride);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgba c = drawing.at(x, y);
            current[size_t(x) * 4 + 0] = c.r;
            current[size_t(x) * 4 + 1] = c.g;
            current[size_t(x) * 4 + 2] = c.b;
            current[size_t(x) * 4 + 3] = c.a;
        }
        // Every filter kind in turn, so a reader meets all five.
        const int filter = y % 5;
        raw.push_back(uint8_t(filter));
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= 4 ? current[i - 4] : 0, b = previous[i],
                      c = i >= 4 ? previous[i - 4] : 0;
            int predicted = 0;
            switch (filter) {
            case 1:
                predicted = a;
                break;
            case 2:
                predicted = b;
                break;
            case 3:
                predicted = (a + b) / 2;
                break;
            case 4:
                predicted = Paeth(a, b, c);
                break;
            default:
                break;
            }
            raw.push_back(uint8_t(current[i] - predicted));
        }
        previous = current;
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9) != Z_OK)
        throw std::runtime_error("zlib could not compress a PNG image");
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Put32Big(header, uint32_t(w));
    Put32Big(header, uint32_t(h));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, deflate, adaptive, no interlace
    PngChunk(out, "IHDR", header);
    PngChunk(out, "IDAT", packed);
    PngChunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> EncodeIconFile(const std::vector<IconImage>& images, bool cursor,
                                    std::vector<size_t>* offsets, std::vector<size_t>* sizes)
{
    std::vector<std::vector<uint8_t>> data;
    for (const IconImage& image : images)
        data.push_back(EncodeImage(image));
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, cursor ? 2 : 1);
    Put16(out, uint32_t(images.size()));
    size_t offset = 6 + 16 * images.size();
    for (size_t i = 0; i < images.size(); ++i) {
        const IconImage& image = images[i];
        if (image.width() > 256 || image.height() > 256)
            throw std::invalid_argument("icon images are at most 256 pixels wide and high");
        out.push_back(uint8_t(image.width() == 256 ? 0 : image.width()));
        out.push_back(uint8_t(image.height() == 256 ? 0 : image.height()));
        const bool paletted = image.coding == IconImage::Coding::Bmp && image.bitCount < 8;
        out.push_back(paletted ? uint8_t(1 << image.bitCount) : 0);
        out.push_back(0);
        Put16(out, cursor ? uint32_t(image.hotX) : 1);
        Put16(out, cursor ? uint32_t(image.hotY)
                          : uint32_t(image.coding == IconImage::Coding::Png ? 32 : image.bitCount));
        Put32(out, uint32_t(data[i].size()));
        Put32(out, uint32_t(offset));
        if (offsets)
            offsets->push_back(offset);
        if (sizes)
            sizes->push_back(data[i].size());
        offset += data[i].size();
    }
    for (const auto& d : data)
        out.insert(out.end(), d.begin(), d.end());
    return out;
}
