#include "decode.h"

#include "ani.h"
#include "dib.h"
#include "icon.h"
#include "pngcodec.h"

#include <algorithm>
#include <string>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace nconv {

void checkImageSize(std::uint64_t width, std::uint64_t height)
{
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        tooLarge(std::to_string(width) + " x " + std::to_string(height) + " pixels (" +
                 kPixelLimitText + ")");
}

void allocatePixels(std::vector<std::uint8_t>& pixels, std::size_t bytes)
{
    pixels.clear();
    pixels.reserve(bytes);
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    constexpr std::uintptr_t kPage = 4096;
    if (bytes >= 16 * kPage) {
        const auto start = reinterpret_cast<std::uintptr_t>(pixels.data());
        const std::uintptr_t first = (start + kPage - 1) & ~(kPage - 1);
        const std::uintptr_t last = (start + bytes) & ~(kPage - 1);
        // Only a hint: where the kernel refuses, the pages come one by one as before.
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
    }
#endif
    pixels.resize(bytes);
}

namespace {

ShownPicture findShownPicture(Bytes bytes)
{
    if (isAnimatedCursor(bytes))
        return firstShownFrame(bytes);
    if (startsWith(bytes, "RIFF") && bytes.size() < 12)
        damaged("the file is cut short");
    if (isPng(bytes))
        return {ShownPicture::Kind::Png, bytes};
    if (startsWith(bytes, "BM")) {
        const auto headerSize = u32At(bytes, 14);
        if (headerSize && *headerSize >= 12 && *headerSize <= 124)
            return {ShownPicture::Kind::BmpFile, bytes};
    }
    if (isIconDirectory(bytes))
        return chooseIconImage(bytes);
    throw DecodeError(ErrorKind::NotRecognised, "");
}

Image decodeBytesOf(const ShownPicture& picture)
{
    switch (picture.kind) {
    case ShownPicture::Kind::Png:
        return decodePng(picture.data);
    case ShownPicture::Kind::IconBitmap:
        return decodeIconDib(picture.data, picture.dirHeight, picture.declaredSize);
    case ShownPicture::Kind::BmpFile:
        break;
    }
    return decodeBmpFile(picture.data);
}

} // namespace

Image decodePicture(const ShownPicture& picture)
{
    Image image = decodeBytesOf(picture);
    // A hot spot outside the picture (a directory written for another size) is kept inside it.
    if (picture.hotSpot)
        image.hotSpot =
            HotSpot{std::min<int>(picture.hotSpot->x, static_cast<int>(image.width) - 1),
                    std::min<int>(picture.hotSpot->y, static_cast<int>(image.height) - 1)};
    return image;
}

Image decodeImage(std::span<const std::uint8_t> bytes)
{
    return decodePicture(findShownPicture(bytes));
}

std::unique_ptr<RowSource> decodeRows(std::span<const std::uint8_t> bytes)
{
    const ShownPicture picture = findShownPicture(bytes);
    if (picture.kind == ShownPicture::Kind::Png)
        return pngRows(picture.data);
    return std::make_unique<ImageRows>(decodePicture(picture));
}

} // namespace nconv
