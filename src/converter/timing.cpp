#include "timing.h"

namespace nconv {

std::vector<std::uint64_t> durationsIn(std::span<const std::uint32_t> jiffies,
                                       std::uint32_t unitsPerSecond)
{
    std::vector<std::uint64_t> durations;
    durations.reserve(jiffies.size());
    std::uint64_t elapsed = 0, endedAt = 0;
    for (std::uint32_t step : jiffies) {
        elapsed += step;
        const std::uint64_t end =
            (elapsed * unitsPerSecond + kJiffiesPerSecond / 2) / kJiffiesPerSecond;
        durations.push_back(end - endedAt);
        endedAt = end;
    }
    return durations;
}

} // namespace nconv
