#include "animation.h"

#include "ani.h"
#include "decode.h"
#include "dib.h"
#include "errors.h"
#include "icon.h"
#include "pngcodec.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

namespace nconv {
namespace {

constexpr std::uint32_t kSequenceFlag = 2;

std::string sizeText(std::uint64_t width, std::uint64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

void checkTotal(std::size_t steps, std::uint64_t width, std::uint64_t height)
{
    if (steps * width * height > kMaxPixels)
        tooLarge(std::to_string(steps) + " steps of " + sizeText(width, height) + " pixels (" +
                 kPixelLimitText + ", all steps together)");
}

// Frames of different sizes share one canvas of the largest size. They are aligned on their hot
// spots, because a cursor is placed by its hot spot: the pointer's tip stays where it was while
// the picture around it changes size. Frames without one are aligned on their top left corners.
// Where hot spots lie so that a frame would stick out, the canvas grows rather than cut it.
// Frames of one size stay as they are, so a hot spot that moves on purpose still moves.
void placeOnCanvas(std::vector<Image>& frames, std::size_t steps)
{
    const bool oneSize = std::all_of(frames.begin(), frames.end(), [&](const Image& f) {
        return f.width == frames.front().width && f.height == frames.front().height;
    });
    if (oneSize)
        return;
    HotSpot canvasHot;
    bool anyHotSpot = false;
    for (const Image& f : frames) {
        const HotSpot hot = f.hotSpot.value_or(HotSpot{});
        canvasHot.x = std::max(canvasHot.x, hot.x);
        canvasHot.y = std::max(canvasHot.y, hot.y);
        anyHotSpot = anyHotSpot || f.hotSpot.has_value();
    }
    std::uint64_t width = 0, height = 0;
    for (const Image& f : frames) {
        const HotSpot hot = f.hotSpot.value_or(HotSpot{});
        width = std::max<std::uint64_t>(width, canvasHot.x - hot.x + std::uint64_t{f.width});
        height = std::max<std::uint64_t>(height, canvasHot.y - hot.y + std::uint64_t{f.height});
    }
    checkImageSize(width, height);
    checkTotal(steps, width, height);
    for (Image& f : frames) {
        const HotSpot hot = f.hotSpot.value_or(HotSpot{});
        Image placed;
        placed.width = static_cast<std::uint32_t>(width);
        placed.height = static_cast<std::uint32_t>(height);
        allocatePixels(placed.rgba, static_cast<std::size_t>(width * height * 4));
        const std::size_t left = static_cast<std::size_t>(canvasHot.x - hot.x);
        const std::size_t top = static_cast<std::size_t>(canvasHot.y - hot.y);
        for (std::uint32_t y = 0; y < f.height; ++y)
            std::memcpy(placed.rgba.data() + ((top + y) * width + left) * 4,
                        f.rgba.data() + std::size_t{y} * f.width * 4, std::size_t{f.width} * 4);
        if (anyHotSpot)
            placed.hotSpot = canvasHot;
        f = std::move(placed);
    }
}

// Keeps one image per nominal size: where two share one, the larger, then the deeper.
void addSized(std::vector<SizedImage>& images, SizedImage candidate)
{
    const std::uint32_t size = nominalSize(candidate.image);
    for (SizedImage& held : images) {
        if (nominalSize(held.image) != size)
            continue;
        const std::uint64_t heldArea = std::uint64_t{held.image.width} * held.image.height;
        const std::uint64_t area = std::uint64_t{candidate.image.width} * candidate.image.height;
        if (area > heldArea || (area == heldArea && candidate.bitsPerPixel > held.bitsPerPixel))
            held = std::move(candidate);
        return;
    }
    images.push_back(std::move(candidate));
}

class PixelBudget
{
public:
    void take(const ImageSize& size)
    {
        used_ += std::uint64_t{size.width} * size.height;
        if (used_ > kMaxPixels)
            tooLarge(std::string("the images of all frames together are too many pixels (") +
                     kPixelLimitText + ", all images together)");
    }

private:
    std::uint64_t used_ = 0;
};

std::vector<SizedImage> decodeSizes(const std::vector<FrameImageInfo>& infos, PixelBudget& budget)
{
    std::vector<SizedImage> images;
    for (const FrameImageInfo& info : infos) {
        budget.take(info.size);
        addSized(images, {decodePicture(info.picture), info.bitsPerPixel});
    }
    std::sort(images.begin(), images.end(), [](const SizedImage& a, const SizedImage& b) {
        return nominalSize(a.image) < nominalSize(b.image);
    });
    return images;
}

// A still file: every image of an icon or cursor, else its one picture.
std::vector<SizedImage> stillSizes(Bytes bytes, PixelBudget& budget)
{
    if (isIconDirectory(bytes))
        return decodeSizes(iconImages(bytes), budget);
    SizedImage one{decodeImage(bytes), 32};
    if (isPng(bytes))
        one.bitsPerPixel = readPngSize(bytes).bitsPerPixel;
    else if (bytes.size() > 14)
        one.bitsPerPixel = readDibHeader(bytes.subspan(14)).bitCount;
    budget.take({one.image.width, one.image.height});
    return {std::move(one)};
}

} // namespace

std::uint32_t nominalSize(const Image& image)
{
    return std::max(image.width, image.height);
}

SizedAnimation decodeSizedAnimation(Bytes bytes)
{
    SizedAnimation animation;
    PixelBudget budget;
    if (!isAnimatedCursor(bytes)) {
        animation.frames.push_back(stillSizes(bytes, budget));
        animation.fileFrame.push_back(0);
        animation.steps.push_back({0, 0});
        return animation;
    }
    animation.animated = true;
    const AnimationLayout layout = readAnimationLayout(bytes);
    std::map<std::size_t, std::size_t> decoded; // file frame -> index in animation.frames
    for (const StepPlan& step : planSteps(layout)) {
        auto [at, isNew] = decoded.try_emplace(step.fileFrame, animation.frames.size());
        if (isNew) {
            animation.frames.push_back(
                decodeSizes(frameImages(layout.frames[step.fileFrame]), budget));
            animation.fileFrame.push_back(step.fileFrame);
        }
        animation.steps.push_back({at->second, step.jiffies});
    }
    return animation;
}

std::vector<std::uint32_t> Animation::jiffies() const
{
    std::vector<std::uint32_t> out;
    for (const AnimationStep& s : steps)
        out.push_back(s.jiffies);
    return out;
}

std::vector<std::size_t> shownPictures(const Animation& animation)
{
    // Frames are told apart by a hash of their pixels first, and compared only when it matches.
    std::unordered_multimap<std::size_t, std::size_t> byHash;
    std::vector<std::size_t> sameAs(animation.frames.size());
    for (std::size_t f = 0; f < animation.frames.size(); ++f) {
        const std::vector<std::uint8_t>& pixels = animation.frames[f].rgba;
        const std::size_t hash = std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(pixels.data()), pixels.size()));
        sameAs[f] = f;
        const auto [from, to] = byHash.equal_range(hash);
        for (auto it = from; it != to; ++it)
            if (animation.frames[it->second].rgba == pixels) {
                sameAs[f] = it->second;
                break;
            }
        if (sameAs[f] == f)
            byHash.emplace(hash, f);
    }
    std::vector<std::size_t> pictures;
    for (const AnimationStep& step : animation.steps)
        pictures.push_back(sameAs[step.frame]);
    return pictures;
}

std::vector<StepPlan> planSteps(Bytes aniFile)
{
    return planSteps(readAnimationLayout(aniFile));
}

std::vector<StepPlan> planSteps(const AnimationLayout& layout)
{
    // The order: the "seq " chunk when the header's flag asks for it, else the frames in file
    // order. A "seq " chunk with the flag off is ignored and the flag without the chunk means
    // file order, as for the first frame. Where the chunks lie does not matter, and the header's
    // frame and step counts, often wrong, are not read: the chunks hold what is shown.
    std::vector<StepPlan> steps;
    const bool sequenced = (layout.flags & kSequenceFlag) != 0 && layout.sequence.size() >= 4;
    const std::size_t count = sequenced ? layout.sequence.size() / 4 : layout.frames.size();
    if (count > kMaxFrames)
        tooLarge("more than " + std::to_string(kMaxFrames) + " steps");
    for (std::size_t i = 0; i < count; ++i) {
        StepPlan step;
        step.fileFrame = sequenced ? *u32At(layout.sequence, i * 4) : i;
        if (step.fileFrame >= layout.frames.size())
            damaged("step " + std::to_string(i + 1) + " shows frame " +
                    std::to_string(step.fileFrame) + ", but the file holds only " +
                    std::to_string(layout.frames.size()) + " frames");
        if (layout.cutShort[step.fileFrame])
            damaged("the file is cut short inside frame " + std::to_string(step.fileFrame));
        // "rate" gives one duration per step; steps it does not reach take the header's.
        const auto rate = u32At(layout.rates, i * 4);
        step.jiffies = rate ? *rate : layout.displayRate;
        steps.push_back(step);
    }
    return steps;
}

Animation decodeAnimation(Bytes bytes)
{
    Animation animation;
    if (!isAnimatedCursor(bytes)) {
        animation.frames.push_back(decodeImage(bytes));
        animation.fileFrame.push_back(0);
        animation.steps.push_back({0, 0});
        return animation;
    }
    const AnimationLayout layout = readAnimationLayout(bytes);
    const std::vector<StepPlan> plan = planSteps(layout);
    // The first frame shown picks its image as a still of the file does; every other frame takes
    // an image of that same size when its icon has one, so the animation never jumps in size.
    std::map<std::size_t, std::size_t> decoded; // file frame -> index in animation.frames
    ImageSize first, largest;
    for (const StepPlan& step : plan) {
        auto [at, isNew] = decoded.try_emplace(step.fileFrame, animation.frames.size());
        if (isNew) {
            const bool isFirst = animation.frames.empty();
            Image frame = decodePicture(
                chooseFrameImage(layout.frames[step.fileFrame], isFirst ? nullptr : &first));
            if (isFirst)
                first = {frame.width, frame.height};
            largest = {std::max(largest.width, frame.width),
                       std::max(largest.height, frame.height)};
            checkTotal(plan.size(), largest.width, largest.height);
            animation.frames.push_back(std::move(frame));
            animation.fileFrame.push_back(step.fileFrame);
        }
        animation.steps.push_back({at->second, step.jiffies});
    }
    placeOnCanvas(animation.frames, animation.steps.size());
    return animation;
}

} // namespace nconv
