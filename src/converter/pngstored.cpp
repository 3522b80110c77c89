#include "pngstored.h"

#include <algorithm>
#include <stdexcept>
#include <zlib.h>

namespace nconv {
namespace {

void putBe32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Appends one chunk: length, type, data, and the CRC of type and data.
void putChunk(std::vector<std::uint8_t>& out, const char (&type)[5],
              const std::vector<std::uint8_t>& data)
{
    putBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc =
        crc32(crc32(0, nullptr, 0), out.data() + typeAt, static_cast<uInt>(data.size() + 4));
    putBe32(out, static_cast<std::uint32_t>(crc));
}

} // namespace

std::vector<std::uint8_t> encodePngStored(const Image& image)
{
    const std::size_t rowBytes = std::size_t{image.width} * 4;
    const std::size_t raw = (rowBytes + 1) * image.height;
    const std::size_t idatBytes = 2 + raw + (raw / 65535 + 1) * 5 + 4;
    // One IDAT chunk holds it all, and a chunk is at most 2^31 - 1 bytes long.
    if (raw == 0 || idatBytes > 0x7FFFFFFFu)
        throw std::runtime_error("the image is too large for an uncompressed PNG file");

    // The filtered rows: a 0 (no filter) before each row.
    std::vector<std::uint8_t> rows;
    rows.reserve(raw);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        rows.push_back(0);
        const auto* row = image.rgba.data() + y * rowBytes;
        rows.insert(rows.end(), row, row + rowBytes);
    }

    // A zlib stream of stored blocks of at most 65535 bytes, then the Adler-32 of the rows.
    std::vector<std::uint8_t> idat{0x78, 0x01};
    idat.reserve(idatBytes);
    for (std::size_t at = 0; at < raw;) {
        const std::size_t length = std::min<std::size_t>(65535, raw - at);
        const bool last = at + length == raw;
        idat.push_back(last ? 1 : 0);
        idat.push_back(static_cast<std::uint8_t>(length));
        idat.push_back(static_cast<std::uint8_t>(length >> 8));
        idat.push_back(static_cast<std::uint8_t>(~length));
        idat.push_back(static_cast<std::uint8_t>(~length >> 8));
        idat.insert(idat.end(), rows.begin() + static_cast<long>(at),
                    rows.begin() + static_cast<long>(at + length));
        at += length;
    }
    uLong adler = adler32(0, nullptr, 0);
    for (std::size_t at = 0; at < raw; at += 1u << 30)
        adler = adler32(adler, rows.data() + at,
                        static_cast<uInt>(std::min<std::size_t>(1u << 30, raw - at)));
    putBe32(idat, static_cast<std::uint32_t>(adler));

    std::vector<std::uint8_t> header;
    putBe32(header, image.width);
    putBe32(header, image.height);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, deflate, adaptive, not interlaced

    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.reserve(idat.size() + 64);
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", idat);
    putChunk(out, "IEND", {});
    return out;
}

} // namespace nconv
