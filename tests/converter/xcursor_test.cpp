// Linux cursors: the Xcursor writer read back by libXcursor, every image of every frame, the sizes
// a file gets and how images are scaled to them, step timing, and -out xcursor on the command line.
#include "animation.h"
#include "commandline.h"
#include "errors.h"
#include "fixtures.h"
#include "programcheck.h"
#include "resample.h"
#include "xcursor.h"
#include "xcursoroutput.h"

#include <X11/Xcursor/Xcursor.h>
#include <gtest/gtest.h>
#include <memory>

using namespace testimg;

namespace {

struct ImagesDeleter
{
    void operator()(XcursorImages* images) const { XcursorImagesDestroy(images); }
};
using LoadedImages = std::unique_ptr<XcursorImages, ImagesDeleter>;

LoadedImages loadAll(const std::string& path)
{
    return LoadedImages(XcursorFilenameLoadAllImages(path.c_str()));
}

nconv::Image picture(std::uint32_t width, std::uint32_t height, std::uint32_t seed,
                     std::optional<nconv::HotSpot> hot = std::nullopt)
{
    nconv::Image image;
    image.width = width, image.height = height, image.hotSpot = hot;
    for (std::uint32_t i = 0; i < width * height; ++i) {
        const auto alpha = static_cast<std::uint8_t>(i % 5 == 0 ? 0 : (i * 37 + seed) % 256);
        if (alpha == 0) {
            image.rgba.insert(image.rgba.end(), {0, 0, 0, 0});
            continue;
        }
        image.rgba.insert(image.rgba.end(), {static_cast<std::uint8_t>(i * 7 + seed),
                                             static_cast<std::uint8_t>(i * 13),
                                             static_cast<std::uint8_t>(255 - i), alpha});
    }
    return image;
}

std::uint32_t premultipliedArgb(const std::uint8_t* rgba)
{
    auto times = [&](int c) { return static_cast<std::uint32_t>((rgba[c] * rgba[3] + 127) / 255); };
    return std::uint32_t{rgba[3]} << 24 | times(0) << 16 | times(1) << 8 | times(2);
}

TEST(XcursorWriter, IsReadBackByLibXcursor)
{
    const nconv::Image a = picture(4, 4, 1, nconv::HotSpot{3, 2});
    const nconv::Image b = picture(4, 4, 90); // no hot spot: the top left corner
    const nconv::Image wide = picture(20, 10, 5, nconv::HotSpot{19, 9});
    const std::vector<nconv::XcursorChunk> chunks = {
        {4, 100, &a}, {4, 17, &b}, {4, 1, &a}, {20, 100, &wide}, {20, 17, &wide}, {20, 1, &wide}};
    TestFolder folder;
    const Buf bytes = nconv::encodeXcursor(chunks);
    EXPECT_EQ(bytes.size(), nconv::xcursorFileSize(chunks));
    const std::string path = folder.write("cursor", bytes);

    const LoadedImages all = loadAll(path);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->nimage, 6);
    for (int i = 0; i < all->nimage; ++i) {
        const XcursorImage* x = all->images[i];
        const nconv::XcursorChunk& c = chunks[static_cast<std::size_t>(i)];
        EXPECT_EQ(x->size, c.nominal);
        EXPECT_EQ(x->delay, c.delay);
        ASSERT_EQ(x->width, c.image->width);
        ASSERT_EQ(x->height, c.image->height);
        const nconv::HotSpot hot = c.image->hotSpot.value_or(nconv::HotSpot{});
        EXPECT_EQ(x->xhot, static_cast<XcursorDim>(hot.x));
        EXPECT_EQ(x->yhot, static_cast<XcursorDim>(hot.y));
        for (std::uint32_t p = 0; p < x->width * x->height; ++p)
            ASSERT_EQ(x->pixels[p], premultipliedArgb(c.image->rgba.data() + p * 4))
                << "image " << i << " pixel " << p;
    }
    // libXcursor plays the images of the nominal size nearest to the one asked for.
    const LoadedImages at24(XcursorFilenameLoadImages(path.c_str(), 24));
    ASSERT_TRUE(at24);
    EXPECT_EQ(at24->nimage, 3);
    EXPECT_EQ(at24->images[0]->width, 20u);
    EXPECT_EQ(at24->images[1]->delay, 17u);

    // Our own reader, for previews, gives what libXcursor gives, in straight alpha.
    const auto ours = nconv::readXcursor(bytes);
    ASSERT_EQ(ours.size(), 6u);
    for (std::size_t i = 0; i < ours.size(); ++i) {
        EXPECT_EQ(ours[i].nominal, chunks[i].nominal);
        EXPECT_EQ(ours[i].delay, chunks[i].delay);
        const nconv::Image& img = ours[i].image;
        ASSERT_EQ(img.rgba.size(), chunks[i].image->rgba.size());
        for (std::size_t p = 0; p < img.rgba.size(); p += 4)
            ASSERT_EQ(premultipliedArgb(img.rgba.data() + p),
                      premultipliedArgb(chunks[i].image->rgba.data() + p));
    }
    const auto nearest = nconv::imagesForSize(ours, 12);
    ASSERT_EQ(nearest.size(), 3u);
    EXPECT_EQ(nearest[0]->nominal, 4u) << "ties go to the first size, as libXcursor's do";
}

TEST(XcursorReader, RefusesWhatLibXcursorRefuses)
{
    const nconv::Image a = picture(3, 2, 7, nconv::HotSpot{1, 1});
    const std::vector<nconv::XcursorChunk> chunk = {{3, 0, &a}};
    const Buf good = nconv::encodeXcursor(chunk);
    auto kindOf = [](const Buf& bytes) {
        try {
            nconv::readXcursor(bytes);
        } catch (const nconv::DecodeError& e) {
            return e.kind();
        }
        ADD_FAILURE() << "read a file that is not whole";
        return nconv::ErrorKind::Damaged;
    };
    EXPECT_EQ(kindOf(Buf(good.begin(), good.end() - 1)), nconv::ErrorKind::Damaged);
    EXPECT_EQ(kindOf(Buf(good.begin(), good.begin() + 20)), nconv::ErrorKind::Damaged);
    EXPECT_EQ(kindOf(Buf{'P', 'N', 'G', 0}), nconv::ErrorKind::NotRecognised);
    Buf wide = good;
    set32(wide, 16 + 12 + 16, 0x8000); // width past libXcursor's limit
    EXPECT_EQ(kindOf(wide), nconv::ErrorKind::Damaged);
    Buf many = good;
    set32(many, 12, 0x7FFFFFFF);
    EXPECT_EQ(kindOf(many), nconv::ErrorKind::TooLarge);
}

// A frame holding 16, 32 and 48 (the 48 twice: 4 and 32 bits per pixel) and a cursor hot spot
// each; a second frame holding 32 alone.
Buf multiSizeAnimation()
{
    auto frame = [](std::vector<int> sizes) {
        std::vector<IconEntry> entries;
        for (int size : sizes)
            entries.push_back(entry(makeDib(trueColour(size, 32)), size, size,
                                    static_cast<std::uint16_t>(size / 4),
                                    static_cast<std::uint16_t>(size / 2)));
        return entries;
    };
    std::vector<IconEntry> first = frame({16, 48, 32});
    DibFields palette = paletteDot(4);
    palette.width = palette.height = 48;
    palette.pixels.assign(48 * 48, 1);
    palette.mask.assign(48 * 48, 0);
    first.insert(first.begin(), entry(makeDib(palette), 48, 48, 0, 0));
    const std::vector<IconEntry> second = frame({32});
    AnihFields header;
    header.flags = kIconFlag | kSequenceFlag;
    return animation({makeIcon(2, first), makeIcon(2, second)}, header,
                     {chunk("seq ", words({0, 1, 0})), chunk("rate", words({1, 0, 2}))});
}

TEST(SizedAnimation, KeepsEveryImageOfEveryFrame)
{
    const nconv::SizedAnimation a = nconv::decodeSizedAnimation(multiSizeAnimation());
    ASSERT_EQ(a.frames.size(), 2u);
    ASSERT_EQ(a.frames[0].size(), 3u);
    EXPECT_EQ(a.frames[0][0].image.width, 16u);
    EXPECT_EQ(a.frames[0][1].image.width, 32u);
    const nconv::SizedImage& big = a.frames[0][2];
    EXPECT_EQ(big.image.width, 48u);
    EXPECT_EQ(big.bitsPerPixel, 32u) << "of two 48s, the one with more colours";
    EXPECT_EQ(big.image.hotSpot->x, 12);
    EXPECT_EQ(a.frames[0][0].image.hotSpot->y, 8);
    EXPECT_EQ(a.frames[1].size(), 1u);
    ASSERT_EQ(a.steps.size(), 3u);
    EXPECT_EQ(a.steps[2].frame, 0u);
    EXPECT_TRUE(a.animated);
    EXPECT_EQ(nconv::defaultSizes(a), (std::vector<std::uint32_t>{16, 32, 48}));

    const nconv::SizedAnimation still = nconv::decodeSizedAnimation(multiSizeIcon());
    EXPECT_FALSE(still.animated);
    ASSERT_EQ(still.frames.size(), 1u);
    EXPECT_EQ(still.frames[0].size(), 3u);
    EXPECT_FALSE(still.frames[0][0].image.hotSpot) << "an icon has no hot spot";
    const nconv::SizedAnimation bmp = nconv::decodeSizedAnimation(bmpFile(paletteDot(8)));
    EXPECT_EQ(bmp.frames[0][0].bitsPerPixel, 8u);
    EXPECT_EQ(nconv::defaultSizes(bmp), (std::vector<std::uint32_t>{32, 48, 64}))
        << "a file of 32 alone gets the sizes of today's screens too";
}

TEST(XcursorSizes, AreParsedAndChecked)
{
    EXPECT_EQ(nconv::parseSizes("64,24,32,48,32"), (std::vector<std::uint32_t>{24, 32, 48, 64}));
    EXPECT_EQ(nconv::parseSizes("1024"), (std::vector<std::uint32_t>{1024}));
    for (const char* bad : {"", "0", "1025", "24,", ",24", "24;32", "-24", "2x", "99999",
                            "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17"})
        EXPECT_THROW(nconv::parseSizes(bad), nconv::UsageError) << bad;
}

nconv::Image paletteArt()
{
    nconv::Image image = picture(4, 3, 0, nconv::HotSpot{1, 2});
    for (std::size_t i = 3; i < image.rgba.size(); i += 4)
        image.rgba[i] = image.rgba[i] ? 255 : 0; // hard edges, as palette art has
    return image;
}

TEST(Scaling, KeepsPaletteArtSharpAndFiltersTheRest)
{
    EXPECT_EQ(nconv::filterFor(32, 64, 8), nconv::ScaleFilter::Nearest);
    EXPECT_EQ(nconv::filterFor(32, 64, 1), nconv::ScaleFilter::Nearest);
    EXPECT_EQ(nconv::filterFor(32, 48, 8), nconv::ScaleFilter::Mitchell);
    EXPECT_EQ(nconv::filterFor(32, 64, 32), nconv::ScaleFilter::Mitchell);
    EXPECT_EQ(nconv::filterFor(48, 32, 8), nconv::ScaleFilter::Area);

    // Grown by 3: every pixel a 3 x 3 block, the hot spot on the block's corner.
    const nconv::Image art = paletteArt();
    const nconv::Image grown = nconv::scaleToNominal(art, 12, 8);
    ASSERT_EQ(grown.width, 12u);
    ASSERT_EQ(grown.height, 9u);
    for (std::uint32_t y = 0; y < 9; ++y)
        for (std::uint32_t x = 0; x < 12; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(grown.rgba[(y * 12 + x) * 4 + c], art.rgba[(y / 3 * 4 + x / 3) * 4 + c]);
    EXPECT_EQ(grown.hotSpot->x, 3);
    EXPECT_EQ(grown.hotSpot->y, 6);

    // Shrunk by 2: each pixel the premultiplied mean of its four.
    nconv::Image square = picture(4, 4, 3, nconv::HotSpot{3, 1});
    const nconv::Image half = nconv::scaleToNominal(square, 2, 32);
    ASSERT_EQ(half.width, 2u);
    EXPECT_EQ(half.hotSpot->x, 1);
    EXPECT_EQ(half.hotSpot->y, 0);
    for (std::uint32_t y = 0; y < 2; ++y)
        for (std::uint32_t x = 0; x < 2; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (std::uint32_t k = 0; k < 4; ++k) {
                const std::uint8_t* p =
                    square.rgba.data() + ((y * 2 + k / 2) * 4 + x * 2 + k % 2) * 4;
                for (int c = 0; c < 3; ++c)
                    sum[c] += p[c] * p[3];
                sum[3] += p[3];
            }
            const std::uint8_t* d = half.rgba.data() + (y * 2 + x) * 4;
            EXPECT_NEAR(d[3], sum[3] / 4, 0.51);
            for (int c = 0; c < 3; ++c) {
                if (sum[3] > 0) {
                    EXPECT_NEAR(d[c], sum[c] / sum[3], 0.51);
                }
            }
        }

    // Grown smoothly: a hard edge between two colours gets colours in between, no colour
    // outside their range, and transparent pixels lend no colour.
    nconv::Image edge;
    edge.width = 4, edge.height = 1;
    edge.rgba = {0, 0, 0, 0, 200, 0, 0, 255, 200, 0, 0, 255, 0, 0, 200, 255};
    const nconv::Image smooth = nconv::resizeImage(edge, 16, 4, nconv::ScaleFilter::Mitchell);
    bool between = false;
    for (std::size_t p = 0; p < smooth.rgba.size(); p += 4) {
        const std::uint8_t* d = smooth.rgba.data() + p;
        if (d[3] == 0) {
            EXPECT_EQ(d[0] + d[1] + d[2], 0);
            continue;
        }
        EXPECT_EQ(d[1], 0);
        between = between || (d[0] > 10 && d[0] < 190 && d[2] > 10 && d[2] < 190);
    }
    EXPECT_TRUE(between);
}

TEST(XcursorFile, HoldsEveryStepAtEverySizeAsTheStepsShowIt)
{
    const nconv::SizedAnimation a = nconv::decodeSizedAnimation(multiSizeAnimation());
    const std::vector<std::uint32_t> sizes = {24, 32, 64};
    const nconv::SizedFrames frames = nconv::frameSizes(a, sizes);
    // 24 is shrunk from 32, 32 is the frame's own, 64 grown from 48 (the first frame) or 32.
    EXPECT_EQ(frames.frames[0][0].width, 24u);
    EXPECT_EQ(frames.frames[0][0].hotSpot->x, 6);
    EXPECT_EQ(frames.frames[0][1].rgba, a.frames[0][1].image.rgba);
    EXPECT_EQ(frames.frames[1][2].hotSpot->x, 16);
    EXPECT_EQ(frames.frames[1][2].hotSpot->y, 32);

    TestFolder folder;
    const std::string path = folder.write("cursor", nconv::encodeXcursorFile(a, sizes));
    const LoadedImages all = loadAll(path);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->nimage, 9);
    const XcursorDim delays[] = {17, 1, 33}; // 1, 0 and 2 jiffies; no step of no time
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(all->images[i]->size, sizes[static_cast<std::size_t>(i / 3)]);
        EXPECT_EQ(all->images[i]->delay, delays[i % 3]);
    }
    // The step repeating the first frame repeats its images exactly, at every size.
    for (int s = 0; s < 3; ++s) {
        const XcursorImage* first = all->images[s * 3];
        const XcursorImage* again = all->images[s * 3 + 2];
        ASSERT_EQ(first->width, again->width);
        EXPECT_TRUE(
            std::equal(first->pixels, first->pixels + first->width * first->height, again->pixels));
    }
}

TEST(XcursorFile, DelaysAddUpToTheAnimationsLength)
{
    nconv::SizedAnimation a;
    a.animated = true;
    a.frames.resize(1);
    for (std::uint32_t j : {1u, 1u, 1u, 5u, 0u, 7u})
        a.steps.push_back({0, j});
    const std::vector<std::uint32_t> delays = nconv::stepDelays(a);
    EXPECT_EQ(delays, (std::vector<std::uint32_t>{17, 16, 17, 83, 1, 117}));
    for (std::size_t i = 0; i < a.steps.size(); ++i)
        EXPECT_LE(std::abs(a.steps[i].jiffies * 1000.0 / 60 - delays[i]), 1.0) << "step " << i;
    nconv::SizedAnimation still;
    still.frames.resize(1);
    still.steps.push_back({0, 0});
    EXPECT_EQ(nconv::stepDelays(still), std::vector<std::uint32_t>{0});
}

TEST(XcursorCommand, WritesAFileLibXcursorReads)
{
    TestFolder folder;
    const std::string source = folder.write("spin.ani", multiSizeAnimation());
    ChildResult r = runChild(kProgram, {"-out", "xcursor", source});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const LoadedImages all = loadAll(folder / "spin");
    ASSERT_TRUE(all);
    EXPECT_EQ(all->nimage, 9) << "16, 32 and 48, three steps each";

    r = runChild(kProgram, {"-out", "XCURSOR", "-sizes", "64,24", "-o", folder / "two", source});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const LoadedImages two = loadAll(folder / "two");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->nimage, 6);
    EXPECT_EQ(two->images[0]->size, 24u);
    EXPECT_EQ(two->images[5]->size, 64u);

    r = runChild(kProgram, {"-out", "xcursor", "-o", folder / "two", source});
    EXPECT_EQ(r.exitCode, nconv::kExitOutputExists);
    const std::vector<std::vector<std::string>> refused = {
        {"-out", "xcursor", "-sizes", "0", source},
        {"-out", "png", "-sizes", "32", source},
        {"-out", "xcursor", "-size", "32", source},
        {"-out", "xcursor", "-frames", source},
        {"-theme", folder.path().string(), "-out", "png", "-o", folder / "t"},
        {"-theme", folder.path().string()},
        {"-theme", folder.path().string(), "-o", folder / "t", source},
        {"-theme", folder.path().string(), "-o", folder / "t", "-overwrite"},
        {"-theme", folder.path().string(), "-o", folder / "t", "-q", "80"},
        {"--install", "-o", folder / "t"},
    };
    for (const auto& args : refused) {
        r = runChild(kProgram, args);
        EXPECT_EQ(r.exitCode, nconv::kExitUsage) << args[0] << " " << args[1] << "\n" << r.err;
    }
}

} // namespace
