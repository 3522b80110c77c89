#pragma once
// Bounds-checked little-endian reads over a byte span. Every access goes through here.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace nconv {

using Bytes = std::span<const std::uint8_t>;

inline bool fits(Bytes data, std::size_t offset, std::size_t count)
{
    return offset <= data.size() && count <= data.size() - offset;
}

inline std::optional<std::uint16_t> u16At(Bytes data, std::size_t offset)
{
    if (!fits(data, offset, 2))
        return std::nullopt;
    return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
}

inline std::optional<std::uint32_t> u32At(Bytes data, std::size_t offset)
{
    if (!fits(data, offset, 4))
        return std::nullopt;
    return static_cast<std::uint32_t>(data[offset]) |
           (static_cast<std::uint32_t>(data[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(data[offset + 3]) << 24);
}

inline std::uint32_t be32(const std::uint8_t* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

// The bytes from offset to the end, or to offset + count when that is shorter.
inline Bytes tail(Bytes data, std::size_t offset, std::size_t count = SIZE_MAX)
{
    if (offset >= data.size())
        return {};
    std::size_t left = data.size() - offset;
    return data.subspan(offset, count < left ? count : left);
}

inline bool startsWith(Bytes data, const char* text, std::size_t offset = 0)
{
    for (std::size_t i = 0; text[i] != '\0'; ++i)
        if (!fits(data, offset + i, 1) || data[offset + i] != static_cast<std::uint8_t>(text[i]))
            return false;
    return true;
}

} // namespace nconv
