#pragma once

#include "fileio.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace nconv {

[[noreturn]] inline void throwTooLarge(std::uint64_t limit)
{
    throw ReadError("the file is too large (over " + std::to_string(limit >> 20) + " MB)", true);
}

// Reads a source that cannot be mapped (a pipe, a device) in growing steps, up to limit bytes.
// readSome(buffer, size) gives the number of bytes it read, 0 at the end, and throws on failure.
template <typename ReadSome>
std::vector<std::uint8_t> readInSteps(ReadSome readSome, std::uint64_t limit)
{
    std::vector<std::uint8_t> bytes(65536);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > limit)
                throwTooLarge(limit);
            bytes.resize(
                static_cast<std::size_t>(std::min<std::uint64_t>(limit + 1, bytes.size() * 2)));
        }
        const std::size_t n = readSome(bytes.data() + filled, bytes.size() - filled);
        if (n == 0)
            break;
        filled += n;
    }
    if (filled > limit)
        throwTooLarge(limit);
    bytes.resize(filled);
    return bytes;
}

} // namespace nconv
