#include "animationoutput.h"

#include "encode.h"
#include "fileio.h"
#include "gifwriter.h"
#include "multioutput.h"
#include "scale.h"
#include "timing.h"
#include "webpwriter.h"

#include <cstring>
#include <optional>

namespace nconv {

bool wantsAnimation(const Options& options)
{
    return options.info || options.frames || options.strip != Strip::None ||
           options.format == OutputFormat::Gif || options.format == OutputFormat::Webp;
}

bool writesSeveralFiles(const Options& options)
{
    return options.frames && !options.info;
}

std::string describeSteps(const Animation& animation)
{
    const std::vector<std::uint64_t> ms = durationsIn(animation.jiffies(), 1000);
    std::string text;
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < animation.steps.size(); ++i) {
        const AnimationStep& step = animation.steps[i];
        const Image& frame = animation.frames[step.frame];
        text += "step " + std::to_string(i + 1) + ": frame " +
                std::to_string(animation.fileFrame[step.frame]) + ", " + std::to_string(ms[i]) +
                " ms, " + std::to_string(frame.width) + " x " + std::to_string(frame.height) + ", ";
        text += frame.hotSpot ? "hot spot " + std::to_string(frame.hotSpot->x) + "," +
                                    std::to_string(frame.hotSpot->y)
                              : std::string("no hot spot");
        text += "\n";
        total += ms[i];
    }
    const std::size_t steps = animation.steps.size();
    text += "total: " + std::to_string(steps) + (steps == 1 ? " step, " : " steps, ") +
            std::to_string(total) + " ms\n";
    return text;
}

Image stripOf(const Animation& animation, bool vertical)
{
    const std::uint64_t count = animation.steps.size();
    const std::uint64_t w = animation.width(), h = animation.height();
    Image strip;
    checkImageSize(vertical ? w : w * count, vertical ? h * count : h);
    strip.width = static_cast<std::uint32_t>(vertical ? w : w * count);
    strip.height = static_cast<std::uint32_t>(vertical ? h * count : h);
    allocatePixels(strip.rgba, std::size_t{strip.width} * strip.height * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const Image& frame = animation.frames[animation.steps[i].frame];
        const std::size_t left = vertical ? 0 : i * w, top = vertical ? i * h : 0;
        for (std::size_t y = 0; y < h; ++y)
            std::memcpy(strip.rgba.data() + ((top + y) * strip.width + left) * 4,
                        frame.rgba.data() + y * w * 4, w * 4);
    }
    return strip;
}

void convertAnimation(Bytes source, const Options& options, const std::string& output,
                      std::FILE* out)
{
    Animation animation = decodeAnimation(source);
    if (options.info) {
        std::fputs(describeSteps(animation).c_str(), out);
        return;
    }
    if (options.fitSize != 0)
        for (Image& frame : animation.frames)
            frame = fitWithin(frame, options.fitSize);
    if (options.frames) {
        std::vector<OutputFile> files;
        const std::size_t count = animation.steps.size();
        for (std::size_t i = 0; i < count; ++i)
            files.push_back({numberedPath(output, i + 1, count),
                             encodeImage(animation.frames[animation.steps[i].frame], options.format,
                                         options.quality, options.background)});
        writeAllOrNothing(files, options.overwrite);
        return;
    }
    std::vector<std::uint8_t> bytes;
    if (options.strip != Strip::None)
        bytes = encodeImage(stripOf(animation, options.strip == Strip::Vertical), OutputFormat::Png,
                            options.quality);
    else if (options.format == OutputFormat::Gif)
        bytes = encodeGif(animation, options.background);
    else
        bytes = encodeWebp(animation,
                           options.qualityGiven ? std::optional(options.quality) : std::nullopt);
    writeFileAtomically(output, bytes, options.overwrite);
}

} // namespace nconv
