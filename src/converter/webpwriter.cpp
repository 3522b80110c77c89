#include "webpwriter.h"

#include "errors.h"
#include "timing.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <webp/encode.h>
#include <webp/mux.h>

namespace nconv {
namespace {

constexpr std::uint32_t kMaxWebpSide = 16383;
// A frame's duration is a 24-bit field.
constexpr std::uint64_t kMaxFrameMilliseconds = (1u << 24) - 1;

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

// One frame as a standalone WebP bitstream.
class EncodedFrame
{
public:
    EncodedFrame(const Image& frame, const WebPConfig& config)
    {
        WebPMemoryWriterInit(&writer_);
        Picture p;
        p.picture.use_argb = 1;
        p.picture.width = static_cast<int>(frame.width);
        p.picture.height = static_cast<int>(frame.height);
        if (!WebPPictureImportRGBA(&p.picture, frame.rgba.data(),
                                   static_cast<int>(frame.width * 4)))
            throw std::bad_alloc();
        p.picture.writer = WebPMemoryWrite;
        p.picture.custom_ptr = &writer_;
        if (!WebPEncode(&config, &p.picture))
            webpFailed(p.picture.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY
                           ? "not enough memory"
                           : "the encoder refused a frame");
    }
    ~EncodedFrame() { WebPMemoryWriterClear(&writer_); }
    EncodedFrame(const EncodedFrame&) = delete;
    EncodedFrame& operator=(const EncodedFrame&) = delete;

    WebPData data() const { return {writer_.mem, writer_.size}; }

private:
    WebPMemoryWriter writer_;
};

} // namespace

std::vector<std::uint8_t> encodeWebp(const Animation& animation, std::optional<int> quality)
{
    if (animation.width() > kMaxWebpSide || animation.height() > kMaxWebpSide)
        unsupported("WebP pictures are at most 16383 pixels wide and high, this one is " +
                    std::to_string(animation.width()) + " x " + std::to_string(animation.height()));
    const WebPConfig config = configFor(quality);
    // Each frame is encoded once, however often the steps show it.
    std::vector<std::unique_ptr<EncodedFrame>> encoded(animation.frames.size());
    const auto frameData = [&](std::size_t index) {
        if (!encoded[index])
            encoded[index] = std::make_unique<EncodedFrame>(animation.frames[index], config);
        return encoded[index]->data();
    };
    if (animation.steps.size() == 1) {
        const WebPData still = frameData(animation.steps[0].frame);
        return {still.bytes, still.bytes + still.size};
    }

    // Assembled frame by frame rather than with the animation encoder, which merges a step that
    // repeats the one before into it: every step stays a frame of its own, as in the cursor.
    const std::unique_ptr<WebPMux, void (*)(WebPMux*)> mux(WebPMuxNew(), WebPMuxDelete);
    if (!mux)
        throw std::bad_alloc();
    const std::vector<std::uint64_t> durations = durationsIn(animation.jiffies(), 1000);
    for (std::size_t i = 0; i < animation.steps.size(); ++i) {
        if (durations[i] > kMaxFrameMilliseconds)
            unsupported("a step lasts longer than a WebP frame can");
        WebPMuxFrameInfo frame{};
        frame.bitstream = frameData(animation.steps[i].frame);
        frame.duration = static_cast<int>(durations[i]);
        frame.id = WEBP_CHUNK_ANMF;
        frame.dispose_method = WEBP_MUX_DISPOSE_NONE;
        // Every frame covers the canvas and replaces it, transparent pixels included.
        frame.blend_method = WEBP_MUX_NO_BLEND;
        if (WebPMuxPushFrame(mux.get(), &frame, 1) != WEBP_MUX_OK)
            webpFailed("a frame could not be added");
    }
    WebPMuxAnimParams params;
    params.loop_count = 0; // forever
    // Blue, green, red, alpha from the top byte down: white, fully transparent, for viewers that
    // paint the canvas before the first frame.
    params.bgcolor = 0xFFFFFF00;
    if (WebPMuxSetAnimationParams(mux.get(), &params) != WEBP_MUX_OK ||
        WebPMuxSetCanvasSize(mux.get(), static_cast<int>(animation.width()),
                             static_cast<int>(animation.height())) != WEBP_MUX_OK)
        webpFailed("the animation could not be set up");
    WebPData data;
    WebPDataInit(&data);
    if (WebPMuxAssemble(mux.get(), &data) != WEBP_MUX_OK)
        webpFailed("the animation could not be assembled");
    std::vector<std::uint8_t> out(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return out;
}

} // namespace nconv
