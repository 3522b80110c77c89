#include "decode.h"

#include "ani.h"
#include "dib.h"
#include "icon.h"
#include "pngcodec.h"

#include <string>

namespace nconv {

void checkImageSize(std::uint64_t width, std::uint64_t height)
{
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        tooLarge(std::to_string(width) + " x " + std::to_string(height) +
                 " pixels (the limit is 64 megapixels)");
}

Image decodeImage(std::span<const std::uint8_t> bytes)
{
    if (isAnimatedCursor(bytes))
        return decodeAnimatedCursor(bytes);
    if (startsWith(bytes, "RIFF") && bytes.size() < 12)
        damaged("the file is cut short");
    if (isPng(bytes))
        return decodePng(bytes);
    if (startsWith(bytes, "BM")) {
        const auto headerSize = u32At(bytes, 14);
        if (headerSize && *headerSize >= 12 && *headerSize <= 124)
            return decodeBmpFile(bytes);
    }
    if (isIconDirectory(bytes))
        return decodeIcon(bytes);
    throw DecodeError(ErrorKind::NotRecognised, "");
}

} // namespace nconv
