#include "gifwriter.h"

#include "colourreduction.h"
#include "gifframes.h"
#include "timing.h"

#include <algorithm>
#include <gif_lib.h>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace nconv {
namespace {

constexpr std::size_t kGifColours = 256;
constexpr std::uint32_t kCentisecondsPerSecond = 100;
// Browsers show a delay of 1/100 s or less as 1/10 s.
constexpr std::uint64_t kShortestDelay = 2;
constexpr std::uint64_t kLongestDelay = 65535;

[[noreturn]] void gifFailed(int error)
{
    const char* text = GifErrorString(error);
    throw std::runtime_error(std::string("cannot encode GIF: ") + (text ? text : "unknown error"));
}

// A colour map of the power of two size GIF needs, padded with `pad`.
class ColourMap
{
public:
    ColourMap(const std::vector<Rgb>& colours, const Rgb& pad)
    {
        int size = 2;
        while (static_cast<std::size_t>(size) < colours.size())
            size *= 2;
        map_.reset(GifMakeMapObject(size, nullptr));
        if (!map_)
            throw std::bad_alloc();
        for (int i = 0; i < size; ++i) {
            const Rgb c = static_cast<std::size_t>(i) < colours.size() ? colours[i] : pad;
            map_->Colors[i] = {c[0], c[1], c[2]};
        }
    }
    const ColorMapObject* get() const { return map_.get(); }

private:
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> map_{nullptr, GifFreeMapObject};
};

class GifFile
{
public:
    explicit GifFile(std::vector<std::uint8_t>& out)
    {
        int error = 0;
        gif_ = EGifOpen(&out, &GifFile::write, &error);
        if (!gif_)
            gifFailed(error);
        EGifSetGifVersion(gif_, true);
    }
    ~GifFile()
    {
        if (gif_)
            EGifCloseFile(gif_, nullptr);
    }
    GifFile(const GifFile&) = delete;
    GifFile& operator=(const GifFile&) = delete;

    void check(int rc) const
    {
        if (rc != GIF_OK)
            gifFailed(gif_->Error);
    }
    void screen(const Animation& a, const ColorMapObject* colours, int background)
    {
        check(EGifPutScreenDesc(gif_, static_cast<int>(a.width()), static_cast<int>(a.height()), 8,
                                background, colours));
    }
    void loopForever()
    {
        static const GifByteType app[] = "NETSCAPE2.0";
        static const GifByteType loop[] = {1, 0, 0}; // sub-block 1: loop count 0, forever
        check(EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE));
        check(EGifPutExtensionBlock(gif_, 11, app));
        check(EGifPutExtensionBlock(gif_, 3, loop));
        check(EGifPutExtensionTrailer(gif_));
    }
    void frame(const FrameRect& rect, const std::vector<std::uint8_t>& indexes, std::uint64_t delay,
               int transparent, bool clearAfter)
    {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = clearAfter ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
        gcb.DelayTime = static_cast<int>(delay);
        gcb.TransparentColor = transparent;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&gcb, extension);
        check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension));
        const int w = static_cast<int>(rect.width);
        check(EGifPutImageDesc(gif_, static_cast<int>(rect.left), static_cast<int>(rect.top), w,
                               static_cast<int>(rect.height), false, nullptr));
        // giflib takes the pixels as writable but only reads them.
        auto* pixels = const_cast<GifPixelType*>(indexes.data());
        for (std::uint32_t y = 0; y < rect.height; ++y)
            check(EGifPutLine(gif_, pixels + std::size_t{y} * rect.width, w));
    }
    void close()
    {
        int error = 0;
        GifFileType* gif = std::exchange(gif_, nullptr);
        if (EGifCloseFile(gif, &error) != GIF_OK)
            gifFailed(error);
    }

private:
    static int write(GifFileType* gif, const GifByteType* bytes, int count)
    {
        auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
        out->insert(out->end(), bytes, bytes + count);
        return count;
    }

    GifFileType* gif_ = nullptr;
};

// The frames to write: a frame longer than a GIF delay can be goes on as frames of the same
// picture, which draw nothing.
std::vector<PlayedFrame> gifFrames(const Animation& animation)
{
    const std::vector<std::size_t> pictures = shownPictures(animation);
    std::vector<PlayedFrame> played =
        playedFrames(pictures, animation.jiffies(), kCentisecondsPerSecond, kShortestDelay);
    if (played.size() == 1) {
        played.front().duration = std::min(played.front().duration, kLongestDelay);
        return played;
    }
    std::vector<PlayedFrame> frames;
    for (PlayedFrame f : played) {
        for (; f.duration > kLongestDelay; f.duration -= kLongestDelay)
            frames.push_back({f.picture, kLongestDelay});
        frames.push_back(f);
    }
    return frames;
}

} // namespace

std::vector<std::uint8_t> encodeGif(const Animation& animation, const Rgb& page)
{
    const std::vector<PlayedFrame> frames = gifFrames(animation);
    std::map<std::size_t, std::vector<std::uint32_t>> onPages; // by picture
    for (const PlayedFrame& f : frames)
        if (!onPages.contains(f.picture))
            onPages.emplace(f.picture, onPage(animation.frames[f.picture], page));
    std::vector<const std::vector<std::uint32_t>*> shown;
    for (const PlayedFrame& f : frames)
        shown.push_back(&onPages.at(f.picture));
    const std::vector<GifFramePlan> plans =
        planGifFrames(shown, animation.width(), animation.height());

    // One entry stands for "left as it is" wherever a frame leaves a pixel: see-through on the
    // first frame, unchanged on the others.
    const bool leavesAny = std::any_of(plans.begin(), plans.end(), [](const GifFramePlan& p) {
        return std::find(p.draws.begin(), p.draws.end(), false) != p.draws.end();
    });
    std::vector<const std::vector<std::uint32_t>*> distinct;
    for (const auto& [picture, pixels] : onPages)
        distinct.push_back(&pixels);
    GifPalette palette(distinct, kGifColours - (leavesAny ? 1 : 0));
    const int transparent =
        leavesAny ? static_cast<int>(palette.colours().size()) : NO_TRANSPARENT_COLOR;
    std::vector<Rgb> entries = palette.colours();
    if (leavesAny)
        entries.push_back(page); // what a player that ignores transparency shows instead
    const ColourMap colours(entries, page);

    std::vector<std::uint8_t> out;
    GifFile gif(out);
    gif.screen(animation, colours.get(), leavesAny ? transparent : 0);
    gif.loopForever();
    std::vector<std::uint8_t> indexes;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const GifFramePlan& plan = plans[k];
        const std::vector<std::uint32_t>& pixels = *shown[k];
        indexes.assign(plan.draws.size(), static_cast<std::uint8_t>(leavesAny ? transparent : 0));
        for (std::uint32_t y = 0; y < plan.rect.height; ++y)
            for (std::uint32_t x = 0; x < plan.rect.width; ++x) {
                const std::size_t at = std::size_t{y} * plan.rect.width + x;
                if (!plan.draws[at])
                    continue;
                const std::uint32_t cx = plan.rect.left + x, cy = plan.rect.top + y;
                indexes[at] =
                    palette.indexAt(pixels[std::size_t{cy} * animation.width() + cx], cx, cy);
            }
        gif.frame(plan.rect, indexes, frames[k].duration, transparent, plan.clearAfter);
    }
    gif.close();
    return out;
}

} // namespace nconv
