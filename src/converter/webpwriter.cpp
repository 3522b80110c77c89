#include "webpwriter.h"

#include "errors.h"
#include "timing.h"

#include <climits>
#include <memory>
#include <stdexcept>
#include <string>
#include <webp/encode.h>
#include <webp/mux.h>

namespace nconv {
namespace {

constexpr std::uint32_t kMaxWebpSide = 16383;

[[noreturn]] void webpFailed(const char* what)
{
    throw std::runtime_error(std::string("cannot encode WebP: ") + what);
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

WebPConfig configFor(std::optional<int> quality)
{
    WebPConfig config;
    if (!WebPConfigInit(&config))
        webpFailed("the library does not match its headers");
    if (quality) {
        config.quality = static_cast<float>(*quality);
    } else {
        // Effort 2 of 9: cursor frames are small and the output was within a few percent of
        // the default effort's, at a fraction of the time.
        WebPConfigLosslessPreset(&config, 2);
    }
    return config;
}

} // namespace

std::vector<std::uint8_t> encodeWebp(const Animation& animation, std::optional<int> quality)
{
    if (animation.width() > kMaxWebpSide || animation.height() > kMaxWebpSide)
        unsupported("WebP pictures are at most 16383 pixels wide and high, this one is " +
                    std::to_string(animation.width()) + " x " + std::to_string(animation.height()));
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options))
        webpFailed("the library does not match its headers");
    options.anim_params.loop_count = 0; // forever
    // Blue, green, red, alpha from the top byte down: white, fully transparent, for viewers that
    // paint the canvas before the first frame.
    options.anim_params.bgcolor = 0xFFFFFF00;
    const std::unique_ptr<WebPAnimEncoder, void (*)(WebPAnimEncoder*)> encoder(
        WebPAnimEncoderNew(static_cast<int>(animation.width()),
                           static_cast<int>(animation.height()), &options),
        WebPAnimEncoderDelete);
    if (!encoder)
        throw std::bad_alloc();
    const WebPConfig config = configFor(quality);

    const std::vector<std::uint64_t> durations = durationsIn(animation.jiffies(), 1000);
    std::uint64_t timestamp = 0;
    for (std::size_t i = 0; i < animation.steps.size(); ++i) {
        const Image& frame = animation.frames[animation.steps[i].frame];
        Picture p;
        p.picture.use_argb = 1;
        p.picture.width = static_cast<int>(frame.width);
        p.picture.height = static_cast<int>(frame.height);
        if (!WebPPictureImportRGBA(&p.picture, frame.rgba.data(),
                                   static_cast<int>(frame.width * 4)))
            throw std::bad_alloc();
        if (!WebPAnimEncoderAdd(encoder.get(), &p.picture, static_cast<int>(timestamp), &config))
            webpFailed(WebPAnimEncoderGetError(encoder.get()));
        timestamp += durations[i];
        if (timestamp > INT_MAX)
            unsupported("the animation lasts longer than WebP can count");
    }
    if (!WebPAnimEncoderAdd(encoder.get(), nullptr, static_cast<int>(timestamp), nullptr))
        webpFailed(WebPAnimEncoderGetError(encoder.get()));
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAssemble(encoder.get(), &data))
        webpFailed(WebPAnimEncoderGetError(encoder.get()));
    std::vector<std::uint8_t> out(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return out;
}

} // namespace nconv
