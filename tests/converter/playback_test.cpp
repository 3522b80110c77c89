// Animations as players show them: frame timing that no browser stretches, GIF frames composed
// as a player composes them (giflib reads them), and WebP frames read back by libwebp's own
// animation decoder.
#include "animation.h"
#include "colourreduction.h"
#include "encode.h"
#include "gifwriter.h"
#include "timing.h"
#include "webpwriter.h"

#include <algorithm>
#include <cmath>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <numeric>
#include <webp/demux.h>

namespace {

using Pixels = std::vector<std::uint8_t>; // RGBA, see-through pixels 0, 0, 0, 0

std::vector<nconv::PlayedFrame> played(std::vector<std::size_t> pictures,
                                       std::vector<std::uint32_t> jiffies,
                                       std::uint32_t units = 100, std::uint64_t shortest = 2)
{
    return nconv::playedFrames(pictures, jiffies, units, shortest);
}

TEST(PlayedFrames, StepsTooShortForAPlayerAreMergedAndStepsOfNoTimeLeftOut)
{
    // Three steps of one jiffy each: delays of 2, 1 and 2 cs would play the middle one for 10.
    EXPECT_EQ(played({0, 1, 2}, {1, 1, 1}), (std::vector<nconv::PlayedFrame>{{0, 2}, {2, 3}}));
    // In milliseconds, WebP's unit, one jiffy is long enough.
    EXPECT_EQ(played({0, 1, 2}, {1, 1, 1}, 1000, 11),
              (std::vector<nconv::PlayedFrame>{{0, 17}, {1, 16}, {2, 17}}));
    EXPECT_EQ(played({0, 1, 2}, {6, 0, 6}), (std::vector<nconv::PlayedFrame>{{0, 10}, {2, 10}}));
    // A repeated picture is one frame for both steps' time.
    EXPECT_EQ(played({0, 0, 1}, {6, 6, 6}), (std::vector<nconv::PlayedFrame>{{0, 20}, {1, 10}}));
    // The last steps, too short, join the frame before; the picture shown longest stays.
    EXPECT_EQ(played({0, 1}, {4, 1}), (std::vector<nconv::PlayedFrame>{{0, 8}}));
    // No time at all: a still of the first step's picture.
    EXPECT_EQ(played({3, 4}, {0, 0}), (std::vector<nconv::PlayedFrame>{{3, 0}}));
}

TEST(PlayedFrames, EveryFrameEndsWhereAStepEndsAndTheLoopKeepsItsLength)
{
    std::uint32_t seed = 12345;
    auto next = [&](std::uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    for (int round = 0; round < 300; ++round) {
        const std::size_t count = 1 + next(40);
        std::vector<std::size_t> pictures;
        std::vector<std::uint32_t> jiffies;
        for (std::size_t i = 0; i < count; ++i) {
            pictures.push_back(next(4));
            jiffies.push_back(next(3) == 0 ? next(3) : next(30)); // many steps of 0 to 2 jiffies
        }
        const bool cs = round % 2 == 0;
        const std::uint32_t units = cs ? 100 : 1000;
        const std::uint64_t shortest = cs ? 2 : 11;
        const auto frames = played(pictures, jiffies, units, shortest);
        std::vector<double> ends; // where each step truly ends, in units
        double t = 0;
        for (std::uint32_t j : jiffies)
            ends.push_back(t += j * double(units) / 60);
        double at = 0;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            const double from = at;
            at += double(frames[f].duration);
            if (frames.size() > 1) {
                EXPECT_GE(frames[f].duration, shortest) << "round " << round << " frame " << f;
            }
            if (f > 0) {
                EXPECT_NE(frames[f].picture, frames[f - 1].picture) << "round " << round;
            }
            const double nearest =
                *std::min_element(ends.begin(), ends.end(), [&](double a, double b) {
                    return std::abs(a - at) < std::abs(b - at);
                });
            EXPECT_LE(std::abs(nearest - at), 0.5) << "round " << round << " frame " << f;
            // The frame shows a picture that some step shows during its time.
            bool shownThen = false;
            for (std::size_t i = 0; i < count; ++i)
                shownThen = shownThen || (pictures[i] == frames[f].picture && jiffies[i] > 0 &&
                                          ends[i] > from - 0.5 &&
                                          ends[i] - jiffies[i] * double(units) / 60 < at + 0.5);
            if (t > 0) {
                EXPECT_TRUE(shownThen) << "round " << round << " frame " << f;
            }
        }
        EXPECT_LE(std::abs(at - std::round(t)), 0.0) << "round " << round;
    }
}

// A GIF as a player shows it: each frame composed over what the frames before left.
struct PlayedGif
{
    std::vector<Pixels> shown;
    std::vector<int> delays;
    int width = 0, height = 0;
};

PlayedGif playGif(const std::vector<std::uint8_t>& bytes)
{
    struct Reader
    {
        const std::vector<std::uint8_t>* bytes;
        std::size_t at = 0;
    } reader{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(
        &reader,
        [](GifFileType* g, GifByteType* to, int n) {
            auto* r = static_cast<Reader*>(g->UserData);
            n = static_cast<int>(std::min<std::size_t>(n, r->bytes->size() - r->at));
            std::copy_n(r->bytes->data() + r->at, n, to);
            r->at += static_cast<std::size_t>(n);
            return n;
        },
        &error);
    PlayedGif play;
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        ADD_FAILURE() << "giflib cannot read the GIF";
        return play;
    }
    play.width = gif->SWidth, play.height = gif->SHeight;
    Pixels canvas(std::size_t(play.width) * play.height * 4, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& d = image.ImageDesc;
        GraphicsControlBlock gcb;
        DGifSavedExtensionToGCB(gif, i, &gcb);
        play.delays.push_back(gcb.DelayTime);
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        const Pixels before = canvas;
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const int index = image.RasterBits[y * d.Width + x];
                if (index == gcb.TransparentColor)
                    continue;
                const GifColorType c = map->Colors[index];
                std::uint8_t* px = &canvas[(std::size_t(d.Top + y) * play.width + d.Left + x) * 4];
                px[0] = c.Red, px[1] = c.Green, px[2] = c.Blue, px[3] = 255;
            }
        play.shown.push_back(canvas);
        if (gcb.DisposalMode == DISPOSE_BACKGROUND)
            for (int y = 0; y < d.Height; ++y)
                std::fill_n(&canvas[(std::size_t(d.Top + y) * play.width + d.Left) * 4],
                            d.Width * 4, 0);
        else if (gcb.DisposalMode == DISPOSE_PREVIOUS)
            canvas = before;
    }
    DGifCloseFile(gif, &error);
    return play;
}

// What a GIF can show of a picture on `page`, as onPage rules.
Pixels gifView(const nconv::Image& image, const nconv::Rgb& page = nconv::kWhite)
{
    Pixels out;
    for (std::uint32_t c : nconv::onPage(image, page))
        if (c == nconv::kSeeThrough)
            out.insert(out.end(), {0, 0, 0, 0});
        else
            out.insert(out.end(),
                       {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c), 255});
    return out;
}

nconv::Image blank(std::uint32_t side)
{
    nconv::Image image;
    image.width = image.height = side;
    image.rgba.assign(std::size_t(side) * side * 4, 0);
    return image;
}

void paint(nconv::Image& image, std::uint32_t x, std::uint32_t y, std::array<std::uint8_t, 4> rgba)
{
    std::copy(rgba.begin(), rgba.end(),
              image.rgba.begin() + (std::size_t(y) * image.width + x) * 4);
}

// A spinner of `frames` pictures: a still backdrop (a smooth shading of `shades` x `shades`
// colours, or with `noisy` those colours strewn about) and a block that moves: under the backdrop,
// leaving see-through pixels behind, or with `over` across it.
nconv::Animation spinner(std::size_t frames, std::uint32_t shades, bool noisy = false,
                         bool over = false)
{
    nconv::Animation a;
    for (std::size_t k = 0; k < frames; ++k) {
        nconv::Image image = blank(64);
        std::uint32_t seed = 7;
        for (std::uint32_t y = 0; y < 40; ++y)
            for (std::uint32_t x = 0; x < 64; ++x) {
                seed = seed * 1103515245u + 12345u;
                const std::uint32_t sx = noisy ? (seed >> 16) % 64 : x,
                                    sy = noisy ? (seed >> 8) % 40 : y;
                paint(image, x, y,
                      {std::uint8_t(sx * shades / 64 * 255 / shades),
                       std::uint8_t(sy * shades / 40 * 255 / shades), 90, 255});
            }
        for (std::uint32_t y = over ? 20 : 44; y < (over ? 36u : 60u); ++y)
            for (std::uint32_t x = 0; x < 12; ++x)
                paint(image, x + 12 * std::uint32_t(k), y,
                      {200, 30, 40, std::uint8_t(x < 3 ? 100 : 255)});
        a.frames.push_back(std::move(image));
        a.fileFrame.push_back(k);
        a.steps.push_back({k, 6});
    }
    return a;
}

// Wherever two consecutive pictures (the last and the first included) are equal, the frames a
// player shows are equal too: no pixel flickers while it stays.
void expectUnchangedPixelsStay(const nconv::Animation& a, const PlayedGif& play)
{
    const std::size_t count = play.shown.size();
    ASSERT_EQ(count, a.steps.size());
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t next = (k + 1) % count;
        const Pixels& from = a.frames[a.steps[k].frame].rgba;
        const Pixels& to = a.frames[a.steps[next].frame].rgba;
        std::size_t differing = 0;
        for (std::size_t p = 0; p < from.size(); p += 4)
            if (std::equal(&from[p], &from[p + 4], &to[p]) &&
                !std::equal(&play.shown[k][p], &play.shown[k][p + 4], &play.shown[next][p]))
                ++differing;
        EXPECT_EQ(differing, 0u) << "from frame " << k + 1 << " to " << next + 1;
    }
}

// Frames of a GIF close to the pictures (35 dB), transparent exactly where they are, and steady.
void expectCloseAndSteady(const nconv::Animation& a)
{
    const PlayedGif play = playGif(nconv::encodeGif(a));
    ASSERT_EQ(play.shown.size(), a.steps.size());
    expectUnchangedPixelsStay(a, play);
    for (std::size_t k = 0; k < a.steps.size(); ++k) {
        const Pixels want = gifView(a.frames[a.steps[k].frame]);
        double squared = 0;
        for (std::size_t p = 0; p < want.size(); p += 4) {
            ASSERT_EQ(play.shown[k][p + 3], want[p + 3]) << "frame " << k + 1 << " pixel " << p / 4;
            for (int c = 0; c < 3; ++c)
                squared += std::pow(play.shown[k][p + c] - want[p + c], 2);
        }
        EXPECT_LT(squared / (want.size() / 4 * 3), 20.0) << "frame " << k + 1 << ": MSE (35 dB)";
    }
}

TEST(Gif, AnimationsOf255ColoursOrFewerComeOutExactlyAndDrawOnlyWhatChanges)
{
    const nconv::Animation a = spinner(4, 12); // 144 colours and the block's two
    const std::vector<std::uint8_t> bytes = nconv::encodeGif(a);
    const PlayedGif play = playGif(bytes);
    ASSERT_EQ(play.shown.size(), 4u);
    EXPECT_EQ(play.delays, (std::vector<int>{10, 10, 10, 10}));
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(play.shown[k], gifView(a.frames[k])) << "frame " << k + 1;
    expectUnchangedPixelsStay(a, play);
    // With nothing to clear, a frame holds the moving block, not the whole picture again.
    const std::size_t whole = nconv::encodeGif(spinner(1, 12, true, true)).size();
    EXPECT_LT(nconv::encodeGif(spinner(5, 12, true, true)).size(),
              nconv::encodeGif(spinner(4, 12, true, true)).size() + whole / 4);
}

TEST(Gif, MoreColoursShareOnePaletteAndPixelsThatStayNeverChange)
{
    for (bool over : {false, true}) {
        SCOPED_TRACE(over ? "the block across the backdrop" : "the block below it");
        expectCloseAndSteady(spinner(5, 64, false, over)); // 2560 colours
        expectCloseAndSteady(spinner(5, 64, true, over));
    }
}

TEST(Gif, PixelsAreLaidOnTheGivenPageAndFaintOnesItHidesStaySeeThrough)
{
    nconv::Animation a;
    a.frames.push_back(blank(4));
    paint(a.frames[0], 0, 0, {255, 255, 255, 255}); // opaque white
    paint(a.frames[0], 1, 0, {0, 0, 0, 100});       // a shadow: the page's own colour on black
    paint(a.frames[0], 2, 0, {255, 255, 255, 100}); // a faint highlight
    paint(a.frames[0], 3, 0, {0, 0, 0, 200});       // a dark shadow's core
    a.fileFrame = {0};
    a.steps = {{0, 0}};
    const nconv::Rgb black{0, 0, 0};
    const PlayedGif play = playGif(nconv::encodeGif(a, black));
    ASSERT_EQ(play.shown.size(), 1u);
    EXPECT_EQ(Pixels(play.shown[0].begin(), play.shown[0].begin() + 16),
              (Pixels{255, 255, 255, 255, 0, 0, 0, 0, 100, 100, 100, 255, 0, 0, 0, 255}));
    EXPECT_EQ(play.shown[0], gifView(a.frames[0], black));
}

TEST(Gif, NoDelayIsShorterThanPlayersShow)
{
    nconv::Animation a = spinner(6, 4);
    for (std::size_t k = 0; k < a.steps.size(); ++k)
        a.steps[k].jiffies = k == 2 ? 0 : 1; // about 60 steps a second, one of no time
    const PlayedGif play = playGif(nconv::encodeGif(a));
    const auto want = played({0, 1, 2, 3, 4, 5}, {1, 1, 0, 1, 1, 1});
    ASSERT_EQ(play.shown.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
        EXPECT_EQ(play.delays[k], int(want[k].duration));
        EXPECT_GE(play.delays[k], 2);
        EXPECT_EQ(play.shown[k], gifView(a.frames[want[k].picture])) << "frame " << k + 1;
    }
    EXPECT_EQ(std::accumulate(play.delays.begin(), play.delays.end(), 0), 8) << "5 jiffies";
}

// A WebP animation as libwebp's own decoder plays it: each frame's canvas and when it ends.
struct PlayedWebp
{
    std::vector<Pixels> shown;
    std::vector<int> endsAt; // ms
    std::uint32_t background = 0;
    std::uint32_t loops = 1;
};

PlayedWebp playWebp(const std::vector<std::uint8_t>& bytes)
{
    PlayedWebp play;
    const WebPData data{bytes.data(), bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder) {
        ADD_FAILURE() << "libwebp cannot read the WebP";
        return play;
    }
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    play.background = info.bgcolor;
    play.loops = info.loop_count;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        std::uint8_t* canvas = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder, &canvas, &timestamp))
            break;
        Pixels shown(canvas, canvas + std::size_t(info.canvas_width) * info.canvas_height * 4);
        // Lossless keeps what shows: the colour of a fully transparent pixel is not kept.
        for (std::size_t p = 0; p < shown.size(); p += 4)
            if (shown[p + 3] == 0)
                std::fill_n(&shown[p], 3, 0);
        play.shown.push_back(std::move(shown));
        play.endsAt.push_back(timestamp);
    }
    WebPAnimDecoderDelete(decoder);
    return play;
}

TEST(Webp, EveryPictureShowsExactlyForItsTimeAndRepeatsAreMerged)
{
    nconv::Animation a = spinner(4, 64);
    // Steps: 0, 1, 1 (repeated), 2, 0 of no time, 3, and one jiffy of 0.
    a.steps = {{0, 6}, {1, 1}, {1, 1}, {2, 1}, {0, 0}, {3, 10}, {0, 1}};
    const PlayedWebp play = playWebp(nconv::encodeWebp(a, std::nullopt));
    EXPECT_EQ(play.background, 0x00FFFFFFu) << "transparent white";
    EXPECT_EQ(play.loops, 0u) << "forever";
    const auto want = played({0, 1, 1, 2, 0, 3, 0}, {6, 1, 1, 1, 0, 10, 1}, 1000, 11);
    ASSERT_EQ(want.size(), 5u);
    ASSERT_EQ(play.shown.size(), want.size());
    int endsAt = 0;
    for (std::size_t k = 0; k < want.size(); ++k) {
        endsAt += int(want[k].duration);
        EXPECT_EQ(play.endsAt[k], endsAt) << "frame " << k + 1;
        EXPECT_EQ(play.shown[k], a.frames[want[k].picture].rgba) << "frame " << k + 1;
    }
    EXPECT_EQ(endsAt, 333) << "20 jiffies";
}

TEST(Webp, AFrameHoldsWhatChanged)
{
    const std::size_t one = nconv::encodeWebp(spinner(1, 64, true), std::nullopt).size();
    EXPECT_LT(nconv::encodeWebp(spinner(5, 64, true), std::nullopt).size(), one * 2);
    EXPECT_LT(nconv::encodeWebp(spinner(5, 64, true, true), std::nullopt).size(), one * 2);
}

} // namespace
