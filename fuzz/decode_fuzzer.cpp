// libFuzzer target over the whole decoder: any input must either decode to a picture whose
// buffer matches its size, or be refused with a DecodeError. Anything else is a bug. The same
// input is then read a row at a time and fitted into a box, as a preview reads it, and decoded
// as a whole animation, every step; small animations are written as a GIF too. Every image of
// every frame is decoded for a Linux cursor, small ones written as one and read back, and the
// input is read as a Linux cursor itself, as a preview of one reads it.
#include "animation.h"
#include "decode.h"
#include "encode.h"
#include "gifwriter.h"
#include "scale.h"
#include "xcursor.h"
#include "xcursoroutput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const nconv::Image image = nconv::decodeImage({data, size});
        if (image.width == 0 || image.height == 0 ||
            image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4)
            std::abort();
        const std::vector<std::uint8_t> rgb = nconv::flattenOnWhite(image);
        if (rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3)
            std::abort();
    } catch (const nconv::DecodeError&) {
    }
    try {
        const auto rows = nconv::decodeRows({data, size});
        nconv::FittedRows fitted(*rows, 48);
        for (std::uint32_t y = 0; y < fitted.height(); ++y)
            if (!fitted.next())
                std::abort();
    } catch (const nconv::DecodeError&) {
    }
    try {
        const nconv::Animation animation = nconv::decodeAnimation({data, size});
        if (animation.steps.empty() || animation.frames.size() != animation.fileFrame.size())
            std::abort();
        for (const nconv::Image& frame : animation.frames)
            if (frame.width != animation.width() || frame.height != animation.height() ||
                frame.rgba.size() != std::size_t{frame.width} * frame.height * 4)
                std::abort();
        for (const nconv::AnimationStep& step : animation.steps)
            if (step.frame >= animation.frames.size())
                std::abort();
        const std::uint64_t area = std::uint64_t{animation.width()} * animation.height();
        if (area * animation.frames.size() <= 65536 && area * animation.steps.size() <= 262144)
            nconv::encodeGif(animation);
    } catch (const nconv::DecodeError&) {
    }
    try {
        const nconv::SizedAnimation sized = nconv::decodeSizedAnimation({data, size});
        if (sized.steps.empty() || sized.frames.size() != sized.fileFrame.size())
            std::abort();
        std::uint64_t pixels = 0;
        for (const auto& frame : sized.frames) {
            if (frame.empty())
                std::abort();
            for (const nconv::SizedImage& s : frame) {
                if (s.image.rgba.size() != std::size_t{s.image.width} * s.image.height * 4)
                    std::abort();
                pixels += std::uint64_t{s.image.width} * s.image.height;
            }
        }
        if (pixels <= 65536 && sized.steps.size() <= 64) {
            const std::vector<std::uint32_t> sizes = {24, 32};
            const auto images = nconv::readXcursor(nconv::encodeXcursorFile(sized, sizes));
            if (images.size() != sized.steps.size() * sizes.size())
                std::abort();
        }
    } catch (const nconv::DecodeError&) {
    }
    try {
        for (const nconv::XcursorImage& x : nconv::readXcursor({data, size}))
            if (x.image.rgba.size() != std::size_t{x.image.width} * x.image.height * 4)
                std::abort();
    } catch (const nconv::DecodeError&) {
    }
    return 0;
}
