#pragma once
// Small writers for the files the converter reads: bitmaps as stored in icons, PNG streams in
// every colour type, icon/cursor directories, RIFF animated cursors and BMP files. Every field
// can be set wrong on purpose, so tests can build the broken files real writers produce.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include <zlib.h>

namespace testimg {

using Buf = std::vector<std::uint8_t>;

inline void put16(Buf& b, std::uint32_t v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void put32(Buf& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline void putBe32(Buf& b, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        b.push_back((v >> s) & 0xFF);
}
inline void append(Buf& b, const Buf& more)
{
    b.insert(b.end(), more.begin(), more.end());
}
inline void appendText(Buf& b, const std::string& s)
{
    b.insert(b.end(), s.begin(), s.end());
}
inline void set32(Buf& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A bitmap as an icon stores it. Pixels are row-major, top row first: palette indexes for
// 1/4/8 bits, 0xAARRGGBB for 24 and 32 bits, raw 16-bit values for 16 bits.
struct DibFields
{
    int width = 2;
    int height = 2;
    int bitCount = 32;
    std::uint32_t headerSize = 40;
    std::vector<std::uint32_t> palette; // 0x00RRGGBB
    std::optional<std::uint32_t> clrUsed;
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> mask; // 1 = AND bit set, row-major top first; empty = all clear
    bool doubledHeight = true;      // icons count colour and mask rows in the height
    bool topDown = false;
    int maskRows = -1; // rows of mask written: -1 all, 0 none
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> bitFields; // written after a 40-byte header, or inside a larger one
    std::optional<std::int32_t> heightField;
    std::optional<std::int32_t> widthField;
};

inline Buf makeDib(const DibFields& s)
{
    Buf b;
    put32(b, s.headerSize);
    put32(b, s.widthField ? *s.widthField : s.width);
    const std::int32_t h = s.heightField
                               ? *s.heightField
                               : (s.doubledHeight ? 2 * s.height : s.height) * (s.topDown ? -1 : 1);
    put32(b, static_cast<std::uint32_t>(h));
    put16(b, 1);
    put16(b, s.bitCount);
    put32(b, s.compression);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, s.clrUsed ? *s.clrUsed : static_cast<std::uint32_t>(s.palette.size()));
    put32(b, 0);
    if (s.headerSize > 40) {
        const std::size_t room = (s.headerSize - 40) / 4;
        for (std::size_t i = 0; i < 4 && i < room; ++i)
            put32(b, i < s.bitFields.size() ? s.bitFields[i] : 0);
        while (b.size() < s.headerSize)
            b.push_back(0);
    } else {
        for (std::uint32_t f : s.bitFields)
            put32(b, f);
    }
    for (std::uint32_t c : s.palette)
        put32(b, c & 0xFFFFFF);

    const std::size_t stride = (static_cast<std::size_t>(s.width) * s.bitCount + 31) / 32 * 4;
    auto rowOrder = [&](int i) { return s.topDown ? i : s.height - 1 - i; };
    for (int i = 0; i < s.height; ++i) {
        const int y = rowOrder(i);
        Buf row(stride, 0);
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = s.pixels.at(static_cast<std::size_t>(y) * s.width + x);
            switch (s.bitCount) {
            case 1:
            case 4:
            case 8: {
                const int bit = x * s.bitCount;
                row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - s.bitCount - bit % 8));
                break;
            }
            case 16:
                row[x * 2] = v & 0xFF, row[x * 2 + 1] = (v >> 8) & 0xFF;
                break;
            case 24:
                row[x * 3] = v & 0xFF, row[x * 3 + 1] = (v >> 8) & 0xFF,
                        row[x * 3 + 2] = (v >> 16) & 0xFF;
                break;
            case 32:
                for (int k = 0; k < 4; ++k)
                    row[x * 4 + k] = (v >> (8 * k)) & 0xFF;
                break;
            }
        }
        append(b, row);
    }
    const std::size_t maskStride = (static_cast<std::size_t>(s.width) + 31) / 32 * 4;
    const int rows = s.maskRows < 0 ? s.height : s.maskRows;
    for (int i = 0; i < rows; ++i) {
        const int y = rowOrder(i);
        Buf row(maskStride, 0);
        if (!s.mask.empty())
            for (int x = 0; x < s.width; ++x)
                if (s.mask.at(static_cast<std::size_t>(y) * s.width + x))
                    row[x / 8] |= 0x80 >> (x % 8);
        append(b, row);
    }
    return b;
}

inline Buf pngChunk(const std::string& type, const Buf& data)
{
    Buf b;
    putBe32(b, static_cast<std::uint32_t>(data.size()));
    Buf body(type.begin(), type.end());
    append(body, data);
    append(b, body);
    putBe32(b, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    return b;
}

// A PNG stream. `rows` holds the unfiltered scanlines, without filter bytes.
struct PngFields
{
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    int colourType = 6;
    int bitDepth = 8;
    Buf rows;
    Buf palette; // RGB triples, for colour type 3
    Buf trns;
    std::optional<Buf> idatOverride;    // compressed data to store instead
    Buf filters;                        // each row's filter type, in turn (none when empty)
    std::optional<std::uint32_t> gamma; // a gAMA chunk, in 100,000ths
};

// Row `y` of `rows` written with PNG filter `type` (1 Sub, 2 Up, 3 Average, 4 Paeth).
inline Buf filterRow(const Buf& rows, std::size_t rowBytes, std::uint32_t y, std::size_t bpp,
                     int type)
{
    const std::uint8_t* raw = rows.data() + y * rowBytes;
    const std::uint8_t* up = y ? raw - rowBytes : nullptr;
    Buf out(rowBytes);
    for (std::size_t i = 0; i < rowBytes; ++i) {
        const int a = i >= bpp ? raw[i - bpp] : 0, b = up ? up[i] : 0,
                  c = up && i >= bpp ? up[i - bpp] : 0;
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        const int predicted = type == 1   ? a
                              : type == 2 ? b
                              : type == 3 ? (a + b) / 2
                              : type == 4 ? paeth
                                          : 0;
        out[i] = static_cast<std::uint8_t>(raw[i] - predicted);
    }
    return out;
}

inline Buf makePng(const PngFields& s)
{
    Buf b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Buf ihdr;
    putBe32(ihdr, s.width);
    putBe32(ihdr, s.height);
    ihdr.push_back(static_cast<std::uint8_t>(s.bitDepth));
    ihdr.push_back(static_cast<std::uint8_t>(s.colourType));
    ihdr.push_back(0), ihdr.push_back(0), ihdr.push_back(0);
    append(b, pngChunk("IHDR", ihdr));
    if (s.gamma) {
        Buf gama;
        putBe32(gama, *s.gamma);
        append(b, pngChunk("gAMA", gama));
    }
    if (!s.palette.empty())
        append(b, pngChunk("PLTE", s.palette));
    if (!s.trns.empty())
        append(b, pngChunk("tRNS", s.trns));
    Buf idat;
    if (s.idatOverride) {
        idat = *s.idatOverride;
    } else {
        const std::size_t rowBytes = s.height ? s.rows.size() / s.height : 0;
        Buf raw;
        const std::size_t bpp = s.width ? std::max<std::size_t>(1, rowBytes / s.width) : 1;
        for (std::uint32_t y = 0; y < s.height; ++y) {
            const int type = s.filters.empty() ? 0 : s.filters[y % s.filters.size()];
            raw.push_back(static_cast<std::uint8_t>(type));
            append(raw, filterRow(s.rows, rowBytes, y, bpp, type));
        }
        uLongf size = compressBound(static_cast<uLong>(raw.size()));
        idat.resize(size);
        compress2(idat.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
        idat.resize(size);
    }
    append(b, pngChunk("IDAT", idat));
    append(b, pngChunk("IEND", {}));
    return b;
}

struct IconEntry
{
    Buf image;
    std::uint8_t dirWidth = 0;  // 0 means 256
    std::uint8_t dirHeight = 0; // 0 means 256
    std::uint16_t planesOrHotX = 1;
    std::uint16_t bitsOrHotY = 32;
    std::optional<std::uint32_t> sizeField;
    std::optional<std::uint32_t> offsetField;
};

inline IconEntry entry(Buf image, int dirWidth, int dirHeight, std::uint16_t planesOrHotX = 1,
                       std::uint16_t bitsOrHotY = 32)
{
    IconEntry e;
    e.image = std::move(image);
    e.dirWidth = static_cast<std::uint8_t>(dirWidth);
    e.dirHeight = static_cast<std::uint8_t>(dirHeight);
    e.planesOrHotX = planesOrHotX;
    e.bitsOrHotY = bitsOrHotY;
    return e;
}

// type 1 is an icon, 2 a cursor (the two 16-bit fields then hold the hot spot).
inline Buf makeIcon(int type, const std::vector<IconEntry>& entries,
                    std::optional<std::uint16_t> countField = std::nullopt)
{
    Buf b;
    put16(b, 0);
    put16(b, type);
    put16(b, countField ? *countField : static_cast<std::uint16_t>(entries.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
    for (const IconEntry& e : entries) {
        b.push_back(e.dirWidth);
        b.push_back(e.dirHeight);
        b.push_back(0);
        b.push_back(0);
        put16(b, e.planesOrHotX);
        put16(b, e.bitsOrHotY);
        put32(b, e.sizeField ? *e.sizeField : static_cast<std::uint32_t>(e.image.size()));
        put32(b, e.offsetField ? *e.offsetField : offset);
        offset += static_cast<std::uint32_t>(e.image.size());
    }
    for (const IconEntry& e : entries)
        append(b, e.image);
    return b;
}

// One RIFF chunk: id, size, data, and the pad byte after odd sizes unless left out.
inline Buf chunk(const std::string& id, const Buf& data,
                 std::optional<std::uint32_t> sizeField = std::nullopt, bool pad = true)
{
    Buf b(id.begin(), id.end());
    put32(b, sizeField ? *sizeField : static_cast<std::uint32_t>(data.size()));
    append(b, data);
    if (pad && data.size() % 2 != 0)
        b.push_back(0);
    return b;
}

inline Buf list(const std::string& type, const std::vector<Buf>& children,
                std::optional<std::uint32_t> sizeField = std::nullopt)
{
    Buf data(type.begin(), type.end());
    for (const Buf& c : children)
        append(data, c);
    return chunk("LIST", data, sizeField);
}

inline Buf riff(const std::vector<Buf>& chunks, std::optional<std::uint32_t> sizeField = {},
                const std::string& form = "ACON")
{
    Buf body(form.begin(), form.end());
    for (const Buf& c : chunks)
        append(body, c);
    Buf b = {'R', 'I', 'F', 'F'};
    put32(b, sizeField ? *sizeField : static_cast<std::uint32_t>(body.size()));
    append(b, body);
    return b;
}

constexpr std::uint32_t kIconFlag = 1, kSequenceFlag = 2;

struct AnihFields
{
    std::uint32_t frames = 1, steps = 1, width = 0, height = 0, bitCount = 0, planes = 1, rate = 10,
                  flags = kIconFlag;
    std::optional<std::uint32_t> sizeField; // the size stored in the first header field
};

inline Buf anih(const AnihFields& s)
{
    Buf b;
    put32(b, s.sizeField ? *s.sizeField : 36);
    for (std::uint32_t v :
         {s.frames, s.steps, s.width, s.height, s.bitCount, s.planes, s.rate, s.flags})
        put32(b, v);
    return chunk("anih", b);
}

inline Buf words(const std::vector<std::uint32_t>& values)
{
    Buf b;
    for (std::uint32_t v : values)
        put32(b, v);
    return b;
}

// A solid-colour square cursor frame with a hot spot: the simplest valid .cur image.
inline Buf solidCursor(int size, std::uint32_t argb, std::uint16_t hotX = 0, std::uint16_t hotY = 0)
{
    DibFields d;
    d.width = d.height = size;
    d.pixels.assign(static_cast<std::size_t>(size) * size, argb);
    return makeIcon(2, {entry(makeDib(d), size, size, hotX, hotY)});
}

// An animated cursor whose frames are the given icon files.
inline Buf animation(const std::vector<Buf>& frames, AnihFields header = {},
                     const std::vector<Buf>& extraChunks = {})
{
    std::vector<Buf> icons;
    for (const Buf& f : frames)
        icons.push_back(chunk("icon", f));
    header.frames = static_cast<std::uint32_t>(frames.size());
    std::vector<Buf> chunks = {anih(header)};
    chunks.insert(chunks.end(), extraChunks.begin(), extraChunks.end());
    chunks.push_back(list("fram", icons));
    return riff(chunks);
}

inline Buf bmpFile(const DibFields& fields)
{
    DibFields s = fields;
    s.doubledHeight = false;
    s.maskRows = 0;
    const Buf dib = makeDib(s);
    Buf b = {'B', 'M'};
    put32(b, static_cast<std::uint32_t>(14 + dib.size()));
    put32(b, 0);
    put32(b, static_cast<std::uint32_t>(14 + s.headerSize +
                                        s.bitFields.size() * 4 * (s.headerSize == 40) +
                                        s.palette.size() * 4));
    append(b, dib);
    return b;
}

} // namespace testimg
