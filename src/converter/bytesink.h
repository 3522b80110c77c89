#pragma once
#include <cstdint>
#include <functional>
#include <span>

namespace nconv {

// Takes a file's bytes piece by piece, in order.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;

} // namespace nconv
