#include "pngcodec.h"

#include "errors.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
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

// Fully transparent pixels carry no colour: stored as 0, 0, 0, 0 whatever the file held.
void clearTransparent(std::uint8_t* rgba, std::size_t pixels)
{
    // A select over whole pixels, which the compiler does several at a time.
    constexpr std::uint32_t kAlpha =
        std::endian::native == std::endian::little ? 0xFF000000u : 0xFFu;
    for (std::size_t i = 0; i < pixels; ++i, rgba += 4) {
        std::uint32_t pixel;
        std::memcpy(&pixel, rgba, 4);
        pixel = (pixel & kAlpha) != 0 ? pixel : 0;
        std::memcpy(rgba, &pixel, 4);
    }
}

// libpng reports errors by jumping back to the setjmp of the function that called it, so these
// hold nothing that needs destroying.
bool readHeader(png_structp png, png_infop info)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    return true;
}

bool startRows(png_structp png, png_infop info, bool addAlpha)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    if (addAlpha)
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    return true;
}

bool readPngRow(png_structp png, std::uint8_t* row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_row(png, row, nullptr);
    return true;
}

enum class PngChecks {
    All,
    // The CRC of every chunk, not the Adler-32 of the inflated data: a damaged file is caught
    // by the CRCs all the same, and the Adler-32 was a sixth of the instructions of a large
    // frame's preview.
    ChunksOnly,
};

// Reads a PNG a row at a time with libpng, for the kinds whose rows need no conversion but
// an added alpha (usable()); any other kind is left to the whole-picture reader.
class PngRowReader
{
public:
    PngRowReader(Bytes data, PngChecks checks);
    PngRowReader(const PngRowReader&) = delete;
    PngRowReader& operator=(const PngRowReader&) = delete;

    bool usable() const { return usable_; }
    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    void readRow(std::uint8_t* rgba);

private:
    [[noreturn]] void fail() const;
    static void PNGCBAPI onError(png_structp png, png_const_charp message);
    static void PNGCBAPI onWarning(png_structp png, png_const_charp message);
    static void PNGCBAPI readInput(png_structp png, png_bytep out, png_size_t count);

    Bytes input_;
    std::size_t position_ = 0;
    std::array<char, 128> message_{};
    struct Handles
    {
        png_structp read = nullptr;
        png_infop info = nullptr;
        ~Handles() { png_destroy_read_struct(&read, &info, nullptr); }
    } png_;
    std::uint32_t width_ = 0, height_ = 0;
    bool usable_ = false;
};

// For previews: checked by chunk CRCs only.
class PngRows final : public RowSource
{
public:
    explicit PngRows(Bytes data);
    bool usable() const { return reader_.usable(); }
    std::uint32_t width() const override { return reader_.width(); }
    std::uint32_t height() const override { return reader_.height(); }
    const std::uint8_t* next() override;

private:
    PngRowReader reader_;
    std::vector<std::uint8_t> row_;
};

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

namespace {

void checkPngData(Bytes data)
{
    const PngSize size = readPngSize(data);
    const std::uint64_t raw =
        (static_cast<std::uint64_t>(size.width) * size.bitsPerPixel + 7) / 8 * size.height +
        size.height;
    if (raw > compressedLength(data) * kMaxInflateRatio + 4096)
        damaged("the PNG declares " + std::to_string(size.width) + " x " +
                std::to_string(size.height) + " pixels but holds far too little data for them");
}

} // namespace

PngRowReader::PngRowReader(Bytes data, PngChecks checks) : input_(data)
{
    checkPngData(data);
    png_.read = png_create_read_struct(PNG_LIBPNG_VER_STRING, &message_, onError, onWarning);
    if (png_.read)
        png_.info = png_create_info_struct(png_.read);
    if (!png_.info)
        throw std::bad_alloc();
    png_set_read_fn(png_.read, this, readInput);
    if (checks == PngChecks::ChunksOnly)
        png_set_option(png_.read, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    if (!readHeader(png_.read, png_.info))
        fail();
    std::uint32_t width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png_.read, png_.info, &width, &height, &depth, &colourType, &interlace, nullptr,
                 nullptr);
    // The kinds cursors use, whose rows come out as they are stored. Any other (palette, grey,
    // 16 bits, interlaced, a colour key, a gamma other than sRGB's) needs libpng's conversions.
    // A gamma within 1% of sRGB's 1 / 2.2 (also what an sRGB chunk sets) is left as it is by
    // the whole-picture reader too.
    constexpr png_fixed_point kSrgbGamma = 45455; // in libpng's 100,000ths
    png_fixed_point gamma = kSrgbGamma;
    if (png_get_valid(png_.read, png_.info, PNG_INFO_gAMA))
        png_get_gAMA_fixed(png_.read, png_.info, &gamma);
    if (depth != 8 || (colourType != PNG_COLOR_TYPE_RGBA && colourType != PNG_COLOR_TYPE_RGB) ||
        interlace != PNG_INTERLACE_NONE || png_get_valid(png_.read, png_.info, PNG_INFO_tRNS) ||
        std::abs(gamma - kSrgbGamma) > kSrgbGamma / 100)
        return;
    if (!startRows(png_.read, png_.info, colourType == PNG_COLOR_TYPE_RGB))
        fail();
    if (png_get_rowbytes(png_.read, png_.info) != std::size_t{width} * 4)
        damaged("PNG: unexpected row size");
    width_ = width, height_ = height;
    usable_ = true;
}

void PngRowReader::readRow(std::uint8_t* rgba)
{
    if (!readPngRow(png_.read, rgba))
        fail();
    clearTransparent(rgba, width_);
}

void PngRowReader::fail() const
{
    damaged(std::string("PNG: ") + message_.data());
}

void PngRowReader::onError(png_structp png, png_const_charp message)
{
    auto& text = *static_cast<std::array<char, 128>*>(png_get_error_ptr(png));
    std::snprintf(text.data(), text.size(), "%s", message);
    png_longjmp(png, 1);
}

void PngRowReader::onWarning(png_structp, png_const_charp) {}

void PngRowReader::readInput(png_structp png, png_bytep out, png_size_t count)
{
    auto& self = *static_cast<PngRowReader*>(png_get_io_ptr(png));
    if (count > self.input_.size() - self.position_)
        png_error(png, "read beyond end of data");
    std::memcpy(out, self.input_.data() + self.position_, count);
    self.position_ += count;
}

PngRows::PngRows(Bytes data) : reader_(data, PngChecks::ChunksOnly)
{
    row_.resize(std::size_t{reader_.width()} * 4);
}

const std::uint8_t* PngRows::next()
{
    reader_.readRow(row_.data());
    return row_.data();
}

std::unique_ptr<RowSource> pngRows(Bytes data)
{
    auto rows = std::make_unique<PngRows>(data);
    if (rows->usable())
        return rows;
    return std::make_unique<ImageRows>(decodePng(data));
}

Image decodePng(Bytes data)
{
    Image out;
    PngRowReader rows(data, PngChecks::All);
    if (rows.usable()) {
        out.width = rows.width();
        out.height = rows.height();
        allocatePixels(out.rgba, std::size_t{out.width} * out.height * 4);
        for (std::uint32_t y = 0; y < out.height; ++y)
            rows.readRow(out.rgba.data() + std::size_t{y} * out.width * 4);
        return out;
    }

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
    out.width = png.width;
    out.height = png.height;
    allocatePixels(out.rgba, PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, out.rgba.data(), 0, nullptr))
        damaged(std::string("PNG: ") + png.message);
    clearTransparent(out.rgba.data(), out.rgba.size() / 4);
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
