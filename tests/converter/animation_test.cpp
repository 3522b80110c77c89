// Whole animations: step order and timing, one canvas for all frames, and the converter's outputs
// of several files.
#include "animation.h"
#include "decode.h"
#include "exitcodes.h"
#include "fixtures.h"
#include "programcheck.h"
#include "timing.h"

#include <filesystem>
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
