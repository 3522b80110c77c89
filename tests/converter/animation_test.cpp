// Whole animations: step order and timing, one canvas for all frames, the GIF writer's colours,
// and the converter's outputs of several files.
#include "animation.h"
#include "colourreduction.h"
#include "decode.h"
#include "encode.h"
#include "exitcodes.h"
#include "fixtures.h"
#include "gifwriter.h"
#include "programcheck.h"
#include "timing.h"

#include <filesystem>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <numeric>

using namespace testimg;

namespace {

std::vector<std::pair<std::size_t, std::uint32_t>> stepsOf(const Buf& file)
{
    std::vector<std::pair<std::size_t, std::uint32_t>> steps;
    for (const nconv::StepPlan& s : nconv::planSteps(file))
        steps.push_back({s.fileFrame, s.jiffies});
    return steps;
}

Buf withChunksAfterFrames(const std::vector<Buf>& frames, AnihFields header,
                          const std::vector<Buf>& after)
{
    std::vector<Buf> icons;
    for (const Buf& f : frames)
        icons.push_back(chunk("icon", f));
    std::vector<Buf> chunks = {anih(header), list("fram", icons)};
    chunks.insert(chunks.end(), after.begin(), after.end());
    return riff(chunks);
}

std::uint64_t sum(const std::vector<std::uint64_t>& v)
{
    return std::accumulate(v.begin(), v.end(), std::uint64_t{0});
}

TEST(Timing, RoundingIsCarriedFromStepToStep)
{
    EXPECT_EQ(nconv::durationsIn(std::vector<std::uint32_t>{10, 10, 10}, 100),
              (std::vector<std::uint64_t>{17, 16, 17}));
    EXPECT_EQ(nconv::durationsIn(std::vector<std::uint32_t>{1, 1, 1}, 1000),
              (std::vector<std::uint64_t>{17, 16, 17}));
    // 600 steps of one jiffy: rounding each alone would give 1200 ms or 600 ms, not 10 s.
    EXPECT_EQ(sum(nconv::durationsIn(std::vector<std::uint32_t>(600, 1), 1000)), 10000u);
    EXPECT_EQ(sum(nconv::durationsIn(std::vector<std::uint32_t>(600, 1), 100)), 1000u);
}

TEST(StepOrder, FollowsTheFileAsTheFirstFrameDecoderDoes)
{
    const std::vector<Buf> frames = {tinyCursor(0xFF0000), tinyCursor(0x00FF00),
                                     tinyCursor(0x0000FF)};
    AnihFields sequenced;
    sequenced.flags = kIconFlag | kSequenceFlag;
    sequenced.rate = 7;
    // "seq " and "rate" after the frames, the rate shorter than the sequence.
    EXPECT_EQ(
        stepsOf(withChunksAfterFrames(
            frames, sequenced, {chunk("seq ", words({2, 0, 2, 1})), chunk("rate", words({3, 4}))})),
        (std::vector<std::pair<std::size_t, std::uint32_t>>{{2, 3}, {0, 4}, {2, 7}, {1, 7}}));
    // The flag without a "seq " chunk: file order.
    EXPECT_EQ(stepsOf(animation(frames, sequenced)),
              (std::vector<std::pair<std::size_t, std::uint32_t>>{{0, 7}, {1, 7}, {2, 7}}));
    // A "seq " chunk without the flag is ignored; the header's step count is not believed.
    AnihFields plain;
    plain.steps = 9;
    EXPECT_EQ(stepsOf(animation(frames, plain, {chunk("seq ", words({1, 1}))})),
              (std::vector<std::pair<std::size_t, std::uint32_t>>{{0, 10}, {1, 10}, {2, 10}}));
    // A later step naming a frame the file lacks.
    try {
        stepsOf(animation(frames, sequenced, {chunk("seq ", words({0, 3}))}));
        ADD_FAILURE() << "a step showing a missing frame was accepted";
    } catch (const nconv::DecodeError& e) {
        EXPECT_EQ(e.kind(), nconv::ErrorKind::Damaged);
        EXPECT_NE(std::string(e.what()).find("step 2 shows frame 3"), std::string::npos);
    }
}

TEST(DecodedAnimation, RepeatedFramesAreDecodedOnce)
{
    AnihFields sequenced;
    sequenced.flags = kIconFlag | kSequenceFlag;
    const nconv::Animation a =
        nconv::decodeAnimation(animation({tinyCursor(0xFF0000), tinyCursor(0x00FF00)}, sequenced,
                                         {chunk("seq ", words({1, 0, 1, 1}))}));
    ASSERT_EQ(a.frames.size(), 2u);
    EXPECT_EQ(a.fileFrame, (std::vector<std::size_t>{1, 0}));
    EXPECT_EQ(a.steps.size(), 4u);
    EXPECT_EQ(a.steps[3].frame, 0u);
}

TEST(DecodedAnimation, FramesOfTheSamePixelsAreOnePicture)
{
    AnihFields sequenced;
    sequenced.flags = kIconFlag | kSequenceFlag;
    const nconv::Animation a = nconv::decodeAnimation(
        animation({tinyCursor(0xFF0000), tinyCursor(0x00FF00), tinyCursor(0xFF0000)}, sequenced,
                  {chunk("seq ", words({2, 1, 0, 2}))}));
    ASSERT_EQ(a.frames.size(), 3u);
    EXPECT_EQ(nconv::shownPictures(a), (std::vector<std::size_t>{0, 1, 0, 0}));
}

TEST(DecodedAnimation, FramesKeepTheFirstFramesSizeAndShareOneCanvas)
{
    // The second frame offers 48 x 48 too, but the first shows 32 x 32.
    const Buf twoSizes = makeIcon(2, {entry(makeDib(trueColour(32, 32)), 32, 32, 16, 16),
                                      entry(makeDib(trueColour(48, 32)), 48, 48, 24, 24)});
    nconv::Animation a =
        nconv::decodeAnimation(animation({solidCursor(32, 0xFF112233, 16, 16), twoSizes}));
    EXPECT_EQ(a.frames[1].width, 32u);

    // A smaller frame lies on the larger one's canvas with the hot spots on one pixel.
    a = nconv::decodeAnimation(
        animation({solidCursor(32, 0xFF112233, 20, 20), solidCursor(16, 0xFF445566, 10, 10)}));
    ASSERT_EQ(a.frames[1].width, 32u);
    ASSERT_EQ(a.frames[1].height, 32u);
    EXPECT_EQ(a.frames[1].rgba[(10 * 32 + 10) * 4], 0x44) << "the small frame starts at 10,10";
    EXPECT_EQ(a.frames[1].rgba[(9 * 32 + 9) * 4 + 3], 0) << "transparent around it";
    EXPECT_EQ(a.frames[1].hotSpot->x, 20);
}

TEST(DecodedAnimation, RefusesTooManyPixelsInAllBeforeDecodingThem)
{
    AnihFields sequenced;
    sequenced.flags = kIconFlag | kSequenceFlag;
    const Buf file = animation({pngCursor256()}, sequenced,
                               {chunk("seq ", words(std::vector<std::uint32_t>(10000, 0)))});
    try {
        nconv::decodeAnimation(file);
        ADD_FAILURE() << "10000 steps of 256 x 256 were accepted";
    } catch (const nconv::DecodeError& e) {
        EXPECT_EQ(e.kind(), nconv::ErrorKind::TooLarge);
        // One limit, said as for one picture.
        EXPECT_NE(std::string(e.what()).find("the limit is 64 megapixels, all steps together"),
                  std::string::npos)
            << e.what();
    }
}

// Each frame of a GIF, read back with giflib's decoder: RGBA, transparent pixels 0.
std::vector<std::vector<std::uint8_t>> readGif(const std::vector<std::uint8_t>& bytes,
                                               std::vector<int>& delays)
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
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock gcb;
        DGifSavedExtensionToGCB(gif, i, &gcb);
        delays.push_back(gcb.DelayTime);
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        std::vector<std::uint8_t> rgba;
        for (int p = 0; p < image.ImageDesc.Width * image.ImageDesc.Height; ++p) {
            const int index = image.RasterBits[p];
            const GifColorType c = map->Colors[index];
            if (index == gcb.TransparentColor)
                rgba.insert(rgba.end(), {0, 0, 0, 0});
            else
                rgba.insert(rgba.end(), {c.Red, c.Green, c.Blue, 255});
        }
        frames.push_back(rgba);
    }
    DGifCloseFile(gif, &error);
    return frames;
}

// `colours` opaque colours and transparent pixels; with `partly`, pixels of alpha 100 and 200 too.
nconv::Image picture(std::uint32_t side, std::uint32_t colours, bool partly = false)
{
    nconv::Image image;
    image.width = image.height = side;
    for (std::uint32_t i = 0; i < side * side; ++i) {
        const std::uint32_t c = i % colours;
        std::uint8_t alpha = i % 7 == 0 ? 0 : 255;
        if (partly && i % 7 != 0)
            alpha = i % 7 == 1 ? 100 : (i % 7 == 2 ? 200 : 255);
        image.rgba.insert(image.rgba.end(), {std::uint8_t(c * 37), std::uint8_t(c * 11 + (c >> 3)),
                                             std::uint8_t(c >> 2), alpha});
    }
    return image;
}

// What a GIF can show of a pixel: transparent below the threshold, else laid on white.
std::vector<std::uint8_t> gifView(const nconv::Image& image)
{
    const std::vector<std::uint8_t> rgb = nconv::flattenOnWhite(image);
    std::vector<std::uint8_t> rgba;
    for (std::size_t p = 0; p < rgb.size() / 3; ++p)
        if (image.rgba[p * 4 + 3] < nconv::kOpaqueFrom)
            rgba.insert(rgba.end(), {0, 0, 0, 0});
        else
            rgba.insert(rgba.end(), {rgb[p * 3], rgb[p * 3 + 1], rgb[p * 3 + 2], 255});
    return rgba;
}

TEST(Gif, FramesOf256ColoursOrFewerComeOutExactly)
{
    nconv::Animation a;
    // Colour counts below, at and above what one shared palette holds; the last takes a palette
    // of its own, and so then does every frame.
    for (std::uint32_t colours : {2u, 90u, 255u})
        a.frames.push_back(picture(64, colours, colours == 2));
    a.frames.push_back(picture(64, 1));
    for (std::size_t p = 0; p < 64 * 64; ++p) // a smooth shading of 4096 colours
        if (a.frames[3].rgba[p * 4 + 3] != 0)
            a.frames[3].rgba[p * 4] = std::uint8_t(p % 64 * 4),
                                 a.frames[3].rgba[p * 4 + 1] = std::uint8_t(p / 64 * 4);
    a.fileFrame = {0, 1, 2, 3};
    a.steps = {{0, 10}, {1, 10}, {2, 10}, {3, 10}, {0, 10}};
    std::vector<int> delays;
    const auto frames = readGif(nconv::encodeGif(a), delays);
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(delays, (std::vector<int>{17, 16, 17, 17, 16}));
    for (std::size_t i : {0, 1, 2, 4})
        EXPECT_EQ(frames[i], gifView(a.frames[a.steps[i].frame])) << "step " << i + 1;
    // Above 256 colours: close, and transparent exactly where the source is.
    const std::vector<std::uint8_t> want = gifView(a.frames[3]);
    double squared = 0;
    for (std::size_t p = 0; p < want.size(); p += 4) {
        ASSERT_EQ(frames[3][p + 3], want[p + 3]) << "pixel " << p / 4;
        for (int c = 0; c < 3; ++c)
            squared += (frames[3][p + c] - want[p + c]) * (frames[3][p + c] - want[p + c]);
    }
    EXPECT_LT(squared / (want.size() / 4 * 3), 20.0) << "mean squared error (35 dB)";
}

class SeveralOutputs : public ::testing::Test
{
protected:
    TestFolder folder;
    std::string source = folder.write(
        "in.ani", animation({tinyCursor(0xFF0000), tinyCursor(0x00FF00), tinyCursor(0x0000FF)}));
};

TEST_F(SeveralOutputs, OneExistingFileStopsThemAll)
{
    folder.write("out-2.png", {1, 2, 3});
    const ChildResult r =
        runChild(kProgram, {"-out", "png", "-frames", "-o", folder / "out.png", source});
    EXPECT_EQ(r.exitCode, nconv::kExitOutputExists);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("out-2.png"), std::string::npos) << r.err;
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"in.ani", "out-2.png"}));
    EXPECT_EQ(TestFolder::read(folder / "out-2.png"), (Buf{1, 2, 3}));
}

TEST_F(SeveralOutputs, AFailureMidwayRemovesWhatWasWritten)
{
    folder.write("out-2.bmp/keep", {1});
    const ChildResult r = runChild(
        kProgram, {"-out", "bmp", "-frames", "-overwrite", "-o", folder / "out.bmp", source});
    EXPECT_EQ(r.exitCode, nconv::kExitCannotWrite);
    const std::string kept = std::string("out-2.bmp") +
                             static_cast<char>(std::filesystem::path::preferred_separator) + "keep";
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"in.ani", kept}));
}

TEST_F(SeveralOutputs, EveryStepAndTheStripAreWritten)
{
    ChildResult r = runChild(kProgram, {"-out", "png", "-frames", "-o", folder / "f.png", source});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = runChild(kProgram, {"-out", "png", "-strip", "vertical", "-o", folder / "s.png", source});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(folder.files(),
              (std::vector<std::string>{"f-1.png", "f-2.png", "f-3.png", "in.ani", "s.png"}));
    const nconv::Image strip = nconv::decodeImage(TestFolder::read(folder / "s.png"));
    EXPECT_EQ(strip.width, 2u);
    EXPECT_EQ(strip.height, 3u);
    EXPECT_EQ(strip.rgba[2 * 2 * 4 + 2], 0xFF) << "the third step, blue, is at the bottom";

    r = runChild(kProgram, {"-info", source});
    EXPECT_EQ(r.exitCode, 0);
    std::erase(r.out, '\r'); // text output ends its lines with CR LF on Windows
    EXPECT_EQ(r.out, "step 1: frame 0, 167 ms, 2 x 1, hot spot 1,0\n"
                     "step 2: frame 1, 166 ms, 2 x 1, hot spot 1,0\n"
                     "step 3: frame 2, 167 ms, 2 x 1, hot spot 1,0\n"
                     "total: 3 steps, 500 ms\n");
    const std::string still = folder.write("still.cur", tinyCursor(0xFF0000));
    r = runChild(kProgram, {"-info", still});
    std::erase(r.out, '\r');
    EXPECT_EQ(r.out, "step 1: frame 0, 0 ms, 2 x 1, hot spot 1,0\ntotal: 1 step, 0 ms\n");
}

} // namespace
