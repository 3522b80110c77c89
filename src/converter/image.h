#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace nconv {

// Hard caps: nothing larger is ever allocated or decoded. kMaxPixels holds for one picture and for
// all steps of an animation together.
inline constexpr std::uint64_t kMaxPixels = 64ull * 1024 * 1024;
inline constexpr const char* kPixelLimitText = "the limit is 64 megapixels";
inline constexpr std::uint32_t kMaxSide = 65535;
inline constexpr std::size_t kMaxFrames = 65536;

struct ImageSize
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

struct HotSpot
{
    int x = 0;
    int y = 0;
};

// A decoded picture: row-major, top row first, 4 bytes per pixel (R, G, B, A), straight alpha.
// Pixels a cursor inverts are already resolved as drawn on a white screen (opaque black for
// the usual inverting colour); fully transparent pixels are stored as 0, 0, 0, 0.
struct Image
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;
    std::optional<HotSpot> hotSpot; // for a cursor (.cur) or a cursor frame; inside the picture
};

// Refuses sizes past the caps before anything is allocated for them.
void checkImageSize(std::uint64_t width, std::uint64_t height);

// Sizes a pixel buffer to `bytes` zeroed bytes. A large one gets all its memory in one request:
// on a virtual machine every page faulted in on first touch costs several microseconds, which
// for a big cursor frame was a large share of a whole preview.
void allocatePixels(std::vector<std::uint8_t>& pixels, std::size_t bytes);

} // namespace nconv
