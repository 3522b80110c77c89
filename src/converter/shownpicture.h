#pragma once
// Where the picture a file shows lies inside it, found from headers before anything is decoded.
#include "bytes.h"
#include "image.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace nconv {

struct ShownPicture
{
    enum class Kind {
        Png,
        IconBitmap, // a bitmap with its mask, as icons and cursors hold them
        BmpFile,
    };
    ShownPicture() = default;
    ShownPicture(Kind kind, Bytes data) : kind(kind), data(data) {}

    Kind kind = Kind::Png;
    Bytes data;
    std::uint32_t dirHeight = 0;         // icon bitmaps: the height their directory gives
    std::size_t declaredSize = SIZE_MAX; // icon bitmaps: the size their directory gives
    std::optional<HotSpot> hotSpot;      // cursors; may lie outside the picture
};

} // namespace nconv
