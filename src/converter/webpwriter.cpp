#include "webpwriter.h"

#include "errors.h"
#include "timing.h"

#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <webp/encode.h>
#include <webp/mux.h>

namespace nconv {
namespace {

constexpr std::uint32_t kMaxWebpSide = 16383;
constexpr std::uint32_t kMillisecondsPerSecond = 1000;
// Browsers show a frame of 10 ms or less for 100 ms.
constexpr std::uint64_t kShortestFrame = 11;
// A frame's duration is a 24-bit field.
constexpr std::uint64_t kLongestFrame = (1u << 24) - 1;
// Transparent white, as alpha, red, green, blue from the top byte down: for players that paint
// the canvas before the first frame.
constexpr std::uint32_t kTransparentWhite = 0x00FFFFFF;

[[noreturn]] void webpFailed(const std::string& what)
{
    throw std::runtime_error("cannot encode WebP: " + what);
}

WebPConfig configFor(std::optional<int> quality)
{
    WebPConfig config;
    if (!WebPConfigInit(&config))
        webpFailed("the library does not match its headers");
    if (quality) {
        config.quality = static_cast<float>(*quality);
    } else {
        // Effort 3 of 9: over the generated cursors the files were within 4 % of the default
        // effort's (6), at about half the time.
        WebPConfigLosslessPreset(&config, 3);
    }
    return config;
}

struct Picture
{
    Picture()
    {
        if (!WebPPictureInit(&picture))
            webpFailed("the library does not match its headers");
    }
    ~Picture() { WebPPictureFree(&picture); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    WebPPicture picture;
};

struct AnimEncoderDeleter
{
    void operator()(WebPAnimEncoder* encoder) const { WebPAnimEncoderDelete(encoder); }
};

} // namespace

std::vector<std::uint8_t> encodeWebp(const Animation& animation, std::optional<int> quality)
{
    const int width = static_cast<int>(animation.width()),
              height = static_cast<int>(animation.height());
    if (animation.width() > kMaxWebpSide || animation.height() > kMaxWebpSide)
        unsupported("WebP pictures are at most 16383 pixels wide and high, this one is " +
                    std::to_string(width) + " x " + std::to_string(height));
    const std::vector<PlayedFrame> frames = playedFrames(
        shownPictures(animation), animation.jiffies(), kMillisecondsPerSecond, kShortestFrame);
    const WebPConfig config = configFor(quality);

    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options))
        webpFailed("the library does not match its headers");
    options.anim_params.loop_count = 0; // forever
    options.anim_params.bgcolor = kTransparentWhite;
    const std::unique_ptr<WebPAnimEncoder, AnimEncoderDeleter> encoder(
        WebPAnimEncoderNew(width, height, &options));
    if (!encoder)
        throw std::bad_alloc();
    auto failed = [&](const char* what) {
        const char* detail = WebPAnimEncoderGetError(encoder.get());
        webpFailed(std::string(what) + (detail && *detail ? std::string(": ") + detail : ""));
    };
    // The encoder takes the time each frame starts at, in milliseconds, as an int. A frame longer
    // than a WebP frame can be is given again; the encoder merges it into the one before, adding
    // the frames it needs.
    std::uint64_t startsAt = 0;
    auto add = [&](const PlayedFrame& frame) {
        if (startsAt + frame.duration > std::uint64_t{std::numeric_limits<int>::max()})
            unsupported("the animation lasts longer than a WebP animation can");
        Picture p;
        p.picture.use_argb = 1;
        p.picture.width = width;
        p.picture.height = height;
        const Image& picture = animation.frames[frame.picture];
        if (!WebPPictureImportRGBA(&p.picture, picture.rgba.data(), width * 4))
            throw std::bad_alloc();
        if (!WebPAnimEncoderAdd(encoder.get(), &p.picture, static_cast<int>(startsAt), &config)) {
            if (p.picture.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY)
                throw std::bad_alloc();
            failed("a frame could not be added");
        }
        startsAt += frame.duration;
    };
    for (PlayedFrame frame : frames) {
        for (; frame.duration > kLongestFrame; frame.duration -= kLongestFrame)
            add({frame.picture, kLongestFrame});
        add(frame);
    }
    // The end of the last frame.
    if (!WebPAnimEncoderAdd(encoder.get(), nullptr, static_cast<int>(startsAt), nullptr))
        failed("the last frame could not be timed");
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAssemble(encoder.get(), &data))
        failed("the animation could not be assembled");
    std::vector<std::uint8_t> out(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return out;
}

} // namespace nconv
