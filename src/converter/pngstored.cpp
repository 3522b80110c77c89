#include "pngstored.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <zlib.h>

namespace nconv {
namespace {

constexpr std::size_t kStoredBlock = 65535;

// Collects small writes into pieces for the sink, and keeps the CRC of the chunk being written.
class ChunkWriter
{
public:
    explicit ChunkWriter(const ByteSink& sink) : sink_(sink) { buffer_.reserve(kPiece + 64); }

    void raw(const std::uint8_t* bytes, std::size_t count)
    {
        crc_ = crc32_z(crc_, bytes, count);
        while (count > 0) {
            const std::size_t part = std::min(count, kPiece - buffer_.size());
            buffer_.insert(buffer_.end(), bytes, bytes + part);
            bytes += part, count -= part;
            if (buffer_.size() == kPiece)
                flush();
        }
    }
    void be32(std::uint32_t value)
    {
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
        raw(bytes, 4);
    }
    // Length and type; the CRC starts at the type.
    void beginChunk(const char (&type)[5], std::size_t dataBytes)
    {
        be32(static_cast<std::uint32_t>(dataBytes));
        crc_ = crc32_z(0, nullptr, 0);
        raw(reinterpret_cast<const std::uint8_t*>(type), 4);
    }
    void endChunk() { be32(static_cast<std::uint32_t>(crc_)); }
    void flush()
    {
        if (!buffer_.empty())
            sink_(buffer_);
        buffer_.clear();
    }

private:
    static constexpr std::size_t kPiece = 16 * 1024;
    const ByteSink& sink_;
    std::vector<std::uint8_t> buffer_;
    uLong crc_ = 0;
};

} // namespace

void writePngStored(RowSource& rows, const ByteSink& sink)
{
    const std::uint32_t width = rows.width(), height = rows.height();
    const std::size_t rowBytes = std::size_t{width} * 4;
    const std::size_t raw = (rowBytes + 1) * height;
    const std::size_t blocks = (raw + kStoredBlock - 1) / kStoredBlock;
    const std::size_t idatBytes = 2 + raw + blocks * 5 + 4;
    // One IDAT chunk holds it all, and a chunk is at most 2^31 - 1 bytes long.
    if (raw == 0 || idatBytes > 0x7FFFFFFFu)
        throw std::runtime_error("the image is too large for an uncompressed PNG file");

    ChunkWriter out(sink);
    const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.raw(signature, 8);
    out.beginChunk("IHDR", 13);
    out.be32(width);
    out.be32(height);
    const std::uint8_t format[5] = {8, 6, 0, 0, 0}; // 8-bit RGBA, deflate, adaptive, no interlace
    out.raw(format, 5);
    out.endChunk();

    // A zlib stream of stored blocks; the rows run across block edges, each after a 0 (no filter).
    out.beginChunk("IDAT", idatBytes);
    const std::uint8_t zlibHeader[2] = {0x78, 0x01};
    out.raw(zlibHeader, 2);
    uLong adler = adler32_z(0, nullptr, 0);
    std::size_t blockLeft = 0, rawLeft = raw;
    auto put = [&](const std::uint8_t* from, std::size_t count) {
        adler = adler32_z(adler, from, count);
        while (count > 0) {
            if (blockLeft == 0) {
                blockLeft = std::min(kStoredBlock, rawLeft);
                rawLeft -= blockLeft;
                const auto length = static_cast<std::uint16_t>(blockLeft);
                const std::uint8_t header[5] = {
                    static_cast<std::uint8_t>(rawLeft == 0 ? 1 : 0),
                    static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                    static_cast<std::uint8_t>(~length), static_cast<std::uint8_t>(~length >> 8)};
                out.raw(header, 5);
            }
            const std::size_t part = std::min(count, blockLeft);
            out.raw(from, part);
            from += part, count -= part, blockLeft -= part;
        }
    };
    const std::uint8_t noFilter = 0;
    for (std::uint32_t y = 0; y < height; ++y) {
        put(&noFilter, 1);
        put(rows.next(), rowBytes);
    }
    out.be32(static_cast<std::uint32_t>(adler));
    out.endChunk();
    out.beginChunk("IEND", 0);
    out.endChunk();
    out.flush();
}

std::vector<std::uint8_t> encodePngStored(const Image& image)
{
    std::vector<std::uint8_t> file;
    ImageRows rows(image);
    writePngStored(rows, [&](std::span<const std::uint8_t> piece) {
        file.insert(file.end(), piece.begin(), piece.end());
    });
    return file;
}

} // namespace nconv
