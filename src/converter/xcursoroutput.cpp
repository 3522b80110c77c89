#include "xcursoroutput.h"

#include "commandline.h"
#include "errors.h"
#include "fileio.h"
#include "resample.h"
#include "timing.h"
#include "xcursor.h"

#include <algorithm>

namespace nconv {
namespace {

// The image of a frame to make `size` from.
const SizedImage& sourceFor(const std::vector<SizedImage>& images, std::uint32_t size)
{
    for (const SizedImage& i : images) // smallest first
        if (nominalSize(i.image) >= size)
            return i;
    // All smaller: palette art grows by whole factors only, as long as one allows it.
    for (auto i = images.rbegin(); i != images.rend(); ++i)
        if (i->bitsPerPixel <= 8 && size % nominalSize(i->image) == 0)
            return *i;
    return images.back();
}

} // namespace

std::vector<std::uint32_t> defaultSizes(const SizedAnimation& animation)
{
    std::vector<std::uint32_t> sizes;
    for (const std::vector<SizedImage>& frame : animation.frames)
        for (const SizedImage& i : frame)
            sizes.push_back(nominalSize(i.image));
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    if (sizes == std::vector<std::uint32_t>{32})
        sizes = {32, 48, 64};
    return sizes;
}

std::vector<std::uint32_t> parseSizes(const std::string& text)
{
    const std::string problem = "-sizes needs whole numbers from 1 to " +
                                std::to_string(kMaxXcursorSize) +
                                " separated by commas (such as 24,32,48,64), not \"" + text + "\"";
    std::vector<std::uint32_t> sizes;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma - start);
        if (item.empty() || item.size() > 4 ||
            item.find_first_not_of("0123456789") != std::string::npos)
            throw UsageError(problem);
        const auto value = static_cast<std::uint32_t>(std::stoul(item));
        if (value < 1 || value > kMaxXcursorSize)
            throw UsageError(problem);
        sizes.push_back(value);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    if (sizes.size() > kMaxXcursorSizes)
        throw UsageError("-sizes takes at most " + std::to_string(kMaxXcursorSizes) + " sizes");
    return sizes;
}

SizedFrames frameSizes(const SizedAnimation& animation, std::span<const std::uint32_t> sizes)
{
    // Checked before anything is scaled: no image is larger than its nominal size squared.
    std::uint64_t perStep = 0;
    for (std::uint32_t size : sizes)
        perStep += std::uint64_t{size} * size;
    const std::uint64_t most = std::max(animation.frames.size(), animation.steps.size());
    if (perStep * most > kMaxXcursorPixels)
        tooLarge(std::to_string(animation.steps.size()) + " steps at " +
                 std::to_string(sizes.size()) + " sizes would be too many pixels (" +
                 kPixelLimitText + ", all images together)");
    SizedFrames out;
    out.sizes.assign(sizes.begin(), sizes.end());
    for (const std::vector<SizedImage>& frame : animation.frames) {
        std::vector<Image> scaled;
        for (std::uint32_t size : sizes) {
            const SizedImage& from = sourceFor(frame, size);
            scaled.push_back(scaleToNominal(from.image, size, from.bitsPerPixel));
            // Every image of an Xcursor has a hot spot; a picture without one points at its corner.
            if (!scaled.back().hotSpot)
                scaled.back().hotSpot = HotSpot{};
        }
        out.frames.push_back(std::move(scaled));
    }
    return out;
}

std::vector<std::uint32_t> stepDelays(const SizedAnimation& animation)
{
    std::vector<std::uint32_t> jiffies;
    for (const AnimationStep& step : animation.steps)
        jiffies.push_back(step.jiffies);
    std::vector<std::uint32_t> delays;
    for (std::uint64_t ms : durationsIn(jiffies, 1000))
        delays.push_back(static_cast<std::uint32_t>(std::min<std::uint64_t>(ms, UINT32_MAX)));
    if (animation.steps.size() > 1)
        for (std::uint32_t& d : delays)
            d = std::max<std::uint32_t>(d, 1);
    return delays;
}

namespace {

std::vector<XcursorChunk> chunksOf(const SizedAnimation& animation, const SizedFrames& frames)
{
    const std::vector<std::uint32_t> delays = stepDelays(animation);
    std::vector<XcursorChunk> chunks;
    for (std::size_t s = 0; s < frames.sizes.size(); ++s)
        for (std::size_t i = 0; i < animation.steps.size(); ++i)
            chunks.push_back(
                {frames.sizes[s], delays[i], &frames.frames[animation.steps[i].frame][s]});
    return chunks;
}

} // namespace

std::vector<std::uint8_t> encodeXcursorFile(const SizedAnimation& animation,
                                            std::span<const std::uint32_t> sizes)
{
    const SizedFrames frames = frameSizes(animation, sizes);
    return encodeXcursor(chunksOf(animation, frames));
}

void convertToXcursor(Bytes source, std::span<const std::uint32_t> sizes, const std::string& output,
                      bool overwrite)
{
    const SizedAnimation animation = decodeSizedAnimation(source);
    const std::vector<std::uint32_t> chosen =
        sizes.empty() ? defaultSizes(animation) : std::vector(sizes.begin(), sizes.end());
    const SizedFrames frames = frameSizes(animation, chosen);
    const std::vector<XcursorChunk> chunks = chunksOf(animation, frames);
    // Written as it is made: a step repeating a frame costs no memory, only file.
    writeFileAtomically(
        output, [&](const ByteSink& sink) { writeXcursor(chunks, sink); }, overwrite);
}

} // namespace nconv
