#include "timing.h"

#include <algorithm>
#include <map>

namespace nconv {
namespace {

std::uint64_t roundedEnd(std::uint64_t elapsedJiffies, std::uint32_t unitsPerSecond)
{
    return (elapsedJiffies * unitsPerSecond + kJiffiesPerSecond / 2) / kJiffiesPerSecond;
}

// Consecutive steps that show one picture, with no step of no time among them.
struct Run
{
    std::size_t picture;
    std::uint64_t jiffies;
    std::uint64_t endsAt; // jiffies from the start of the loop
};

std::vector<Run> runsOf(std::span<const std::size_t> pictures,
                        std::span<const std::uint32_t> jiffies)
{
    std::vector<Run> runs;
    std::uint64_t elapsed = 0;
    for (std::size_t i = 0; i < pictures.size() && i < jiffies.size(); ++i) {
        if (jiffies[i] == 0)
            continue;
        elapsed += jiffies[i];
        if (!runs.empty() && runs.back().picture == pictures[i]) {
            runs.back().jiffies += jiffies[i];
            runs.back().endsAt = elapsed;
        } else {
            runs.push_back({pictures[i], jiffies[i], elapsed});
        }
    }
    return runs;
}

// The picture shown longest over runs [first, last], the later of two shown as long.
std::size_t longestShown(const std::vector<Run>& runs, std::size_t first, std::size_t last)
{
    std::map<std::size_t, std::uint64_t> shown;
    for (std::size_t i = first; i <= last; ++i)
        shown[runs[i].picture] += runs[i].jiffies;
    std::size_t best = runs[last].picture;
    for (std::size_t i = last + 1; i-- > first;)
        if (shown[runs[i].picture] > shown[best])
            best = runs[i].picture;
    return best;
}

} // namespace

std::vector<std::uint64_t> durationsIn(std::span<const std::uint32_t> jiffies,
                                       std::uint32_t unitsPerSecond)
{
    std::vector<std::uint64_t> durations;
    durations.reserve(jiffies.size());
    std::uint64_t elapsed = 0, endedAt = 0;
    for (std::uint32_t step : jiffies) {
        elapsed += step;
        const std::uint64_t end = roundedEnd(elapsed, unitsPerSecond);
        durations.push_back(end - endedAt);
        endedAt = end;
    }
    return durations;
}

std::vector<PlayedFrame> playedFrames(std::span<const std::size_t> pictures,
                                      std::span<const std::uint32_t> jiffies,
                                      std::uint32_t unitsPerSecond, std::uint64_t shortest)
{
    const std::vector<Run> runs = runsOf(pictures, jiffies);
    if (runs.empty())
        return {{pictures.empty() ? 0 : pictures.front(), 0}};
    // Each frame as the runs it covers, [first, last], and where it ends.
    struct Span
    {
        std::size_t first, last;
        std::uint64_t end;
    };
    std::vector<Span> spans;
    std::uint64_t start = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::uint64_t end = roundedEnd(runs[i].endsAt, unitsPerSecond);
        if (end - start < shortest)
            continue;
        spans.push_back({first, i, end});
        start = end;
        first = i + 1;
    }
    if (first < runs.size()) {
        const std::uint64_t end = roundedEnd(runs.back().endsAt, unitsPerSecond);
        if (spans.empty())
            spans.push_back({0, runs.size() - 1, end});
        else
            spans.back().last = runs.size() - 1, spans.back().end = end;
    }
    std::vector<PlayedFrame> frames;
    std::uint64_t endedAt = 0;
    for (const Span& s : spans) {
        const std::size_t picture = longestShown(runs, s.first, s.last);
        if (!frames.empty() && frames.back().picture == picture)
            frames.back().duration += s.end - endedAt;
        else
            frames.push_back({picture, s.end - endedAt});
        endedAt = s.end;
    }
    return frames;
}

} // namespace nconv
