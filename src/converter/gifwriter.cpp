#include "gifwriter.h"

#include "colourreduction.h"
#include "timing.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <utility>

namespace nconv {
namespace {

constexpr std::size_t kGifColours = 256;
constexpr std::uint64_t kLongestDelay = 65535;

[[noreturn]] void gifFailed(int error)
{
    const char* text = GifErrorString(error);
    throw std::runtime_error(std::string("cannot encode GIF: ") + (text ? text : "unknown error"));
}

// A colour map of the power of two size GIF needs, padded with white.
struct ColourMap
{
    explicit ColourMap(const std::vector<Rgb>& palette)
    {
        int size = 2;
        while (static_cast<std::size_t>(size) < palette.size())
            size *= 2;
        map.reset(GifMakeMapObject(size, nullptr));
        if (!map)
            throw std::bad_alloc();
        for (int i = 0; i < size; ++i) {
            const Rgb c =
                static_cast<std::size_t>(i) < palette.size() ? palette[i] : Rgb{255, 255, 255};
            map->Colors[i] = {c[0], c[1], c[2]};
        }
    }
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> map{nullptr, GifFreeMapObject};
};

// One palette for every frame when all their colours fit in it together: a colour table per
// frame would weigh more than a small cursor frame itself.
std::optional<std::vector<Rgb>> sharedPalette(const Animation& animation, bool& anyTransparent)
{
    std::vector<Rgb> all;
    std::unordered_set<std::uint32_t> seen;
    anyTransparent = false;
    for (const Image& frame : animation.frames) {
        bool transparent = false;
        const auto colours = exactColours(frame, kGifColours, transparent);
        if (!colours)
            return std::nullopt;
        anyTransparent = anyTransparent || transparent;
        for (const Rgb& c : *colours)
            if (seen.insert(std::uint32_t{c[0]} << 16 | std::uint32_t{c[1]} << 8 | c[2]).second)
                all.push_back(c);
        if (all.size() + (anyTransparent ? 1 : 0) > kGifColours)
            return std::nullopt;
    }
    return all;
}

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
    void screen(const Animation& a, const ColorMapObject* global)
    {
        check(EGifPutScreenDesc(gif_, static_cast<int>(a.width()), static_cast<int>(a.height()), 8,
                                0, global));
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
    void frame(const IndexedPicture& picture, const Animation& a, std::uint64_t delay,
               const ColorMapObject* local)
    {
        GraphicsControlBlock gcb{};
        // Each frame covers the whole picture; clearing before the next keeps a transparent
        // pixel from showing the frame before through it.
        gcb.DisposalMode = DISPOSE_BACKGROUND;
        gcb.DelayTime = static_cast<int>(std::min(delay, kLongestDelay));
        gcb.TransparentColor = picture.transparent ? *picture.transparent : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&gcb, extension);
        check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension));
        const int w = static_cast<int>(a.width()), h = static_cast<int>(a.height());
        check(EGifPutImageDesc(gif_, 0, 0, w, h, false, local));
        // giflib takes the pixels as writable but only reads them.
        auto* pixels = const_cast<GifPixelType*>(picture.indexes.data());
        for (int y = 0; y < h; ++y)
            check(EGifPutLine(gif_, pixels + static_cast<std::size_t>(y) * w, w));
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

} // namespace

std::vector<std::uint8_t> encodeGif(const Animation& animation)
{
    bool anyTransparent = false;
    std::optional<std::vector<Rgb>> shared = sharedPalette(animation, anyTransparent);
    std::optional<std::uint8_t> sharedTransparent;
    if (shared && anyTransparent) {
        sharedTransparent = static_cast<std::uint8_t>(shared->size());
        shared->push_back({255, 255, 255});
    }
    std::vector<IndexedPicture> pictures;
    for (const Image& frame : animation.frames) {
        if (!shared) {
            pictures.push_back(reduceColours(frame));
            continue;
        }
        IndexedPicture picture = indexExactly(frame, *shared, sharedTransparent.value_or(0));
        picture.transparent = sharedTransparent;
        pictures.push_back(std::move(picture));
    }
    std::optional<ColourMap> global;
    if (shared)
        global.emplace(*shared);
    std::vector<std::optional<ColourMap>> local(pictures.size());
    if (!shared)
        for (std::size_t i = 0; i < pictures.size(); ++i)
            local[i].emplace(pictures[i].palette);

    std::vector<std::uint8_t> out;
    GifFile gif(out);
    gif.screen(animation, global ? global->map.get() : nullptr);
    gif.loopForever();
    const std::vector<std::uint64_t> delays = durationsIn(animation.jiffies(), 100);
    for (std::size_t i = 0; i < animation.steps.size(); ++i) {
        const std::size_t f = animation.steps[i].frame;
        gif.frame(pictures[f], animation, delays[i], local[f] ? local[f]->map.get() : nullptr);
    }
    gif.close();
    return out;
}

} // namespace nconv
