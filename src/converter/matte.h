#pragma once
// The colour a picture is laid on where it is not opaque: white by default, or the colour of the
// page the picture will be shown on (-background).
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace nconv {

using Rgb = std::array<std::uint8_t, 3>;

inline constexpr Rgb kWhite{255, 255, 255};

// "#RRGGBB", "RRGGBB", "white" or "black", letters in either case; nothing for anything else.
std::optional<Rgb> parseColour(std::string_view text);

// One straight-alpha RGBA pixel laid on `page`, rounded to the nearest level.
inline Rgb laidOn(const std::uint8_t* rgba, const Rgb& page)
{
    const unsigned a = rgba[3];
    Rgb c;
    for (int i = 0; i < 3; ++i)
        c[i] = static_cast<std::uint8_t>((rgba[i] * a + page[i] * (255 - a) + 127) / 255);
    return c;
}

} // namespace nconv
