// Previews: fitting a decoded picture into a box (whole-factor growth, area-averaged shrinking)
// and writing it as an uncompressed PNG.
#include "commandline.h"
#include "pngcodec.h"
#include "pngstored.h"
#include "scale.h"
#include "testfolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>

using namespace nconv;

namespace {

Image filled(std::uint32_t w, std::uint32_t h, std::uint32_t rgba)
{
    Image image;
    image.width = w, image.height = h;
    for (std::uint32_t i = 0; i < w * h; ++i)
        for (int s : {24, 16, 8, 0})
            image.rgba.push_back(static_cast<std::uint8_t>(rgba >> s));
    return image;
}

std::uint32_t pixel(const Image& image, std::uint32_t x, std::uint32_t y)
{
    const std::uint8_t* p = &image.rgba[(std::size_t{y} * image.width + x) * 4];
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void setPixel(Image& image, std::uint32_t x, std::uint32_t y, std::uint32_t rgba)
{
    std::uint8_t* p = &image.rgba[(std::size_t{y} * image.width + x) * 4];
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(rgba >> (24 - 8 * i));
}

} // namespace

TEST(Fit, SmallPicturesGrowOnlyByAWholeFactorWithCrispBlocks)
{
    Image cursor = filled(32, 32, 0x00000000);
    setPixel(cursor, 1, 0, 0xFF0000FF);
    cursor.hotSpot = HotSpot{3, 5};
    const Image big = fitWithin(cursor, 128);
    ASSERT_EQ(big.width, 128u);
    ASSERT_EQ(big.height, 128u);
    for (std::uint32_t y = 0; y < 5; ++y)
        for (std::uint32_t x = 0; x < 9; ++x)
            EXPECT_EQ(pixel(big, x, y), x >= 4 && x < 8 && y < 4 ? 0xFF0000FFu : 0u)
                << x << ',' << y;
    EXPECT_EQ(big.hotSpot->x, 12);
    EXPECT_EQ(big.hotSpot->y, 20);

    EXPECT_EQ(fitWithin(filled(48, 24, 0), 128).width, 96u); // 2x; 3x would not fit
    const Image kept = fitWithin(filled(100, 80, 0x123456FF), 128);
    EXPECT_EQ(kept.width, 100u);
    EXPECT_EQ(kept.rgba, filled(100, 80, 0x123456FF).rgba);
}

TEST(Fit, LargePicturesShrinkByAveragingWithoutDarkFringes)
{
    // Black and white columns average to grey; proportions are kept.
    Image stripes = filled(256, 64, 0xFFFFFFFF);
    for (std::uint32_t y = 0; y < 64; ++y)
        for (std::uint32_t x = 0; x < 256; x += 2)
            setPixel(stripes, x, y, 0x000000FF);
    const Image small = fitWithin(stripes, 128);
    ASSERT_EQ(small.width, 128u);
    ASSERT_EQ(small.height, 32u);
    EXPECT_EQ(pixel(small, 10, 10), 0x808080FFu);

    // Red next to transparent (stored black) stays red, half covered; all-clear stays 0,0,0,0.
    Image edge = filled(4, 4, 0);
    for (std::uint32_t y = 0; y < 2; ++y)
        setPixel(edge, 0, y, 0xFF0000FF);
    const Image half = fitWithin(edge, 2);
    EXPECT_EQ(pixel(half, 0, 0), 0xFF000080u);
    EXPECT_EQ(pixel(half, 1, 1), 0u);

    // A box that is not a whole fraction of the side: every target pixel still covered.
    const Image odd = fitWithin(filled(300, 300, 0x336699FF), 128);
    EXPECT_EQ(odd.width, 128u);
    for (std::uint32_t i = 0; i < 128; ++i)
        EXPECT_EQ(pixel(odd, i, 127 - i), 0x336699FFu);
}

TEST(Fit, OptionsTakeABoxFromOneTo4096AndUncompressedOnlyForPng)
{
    auto parse = [](std::vector<std::string> args) {
        args.insert(args.end(), {"a.ani"});
        return parseArguments(args);
    };
    EXPECT_EQ(parse({"-out", "png"}).fitSize, 0u);
    EXPECT_EQ(parse({"-out", "png", "-size", "128"}).fitSize, 128u);
    EXPECT_EQ(parse({"-out", "png", "-size", "4096"}).fitSize, 4096u);
    for (const char* bad : {"0", "4097", "12x", "", "-1", "00128"})
        EXPECT_THROW(parse({"-out", "png", "-size", bad}), UsageError) << bad;
    EXPECT_TRUE(parse({"-out", "png", "-uncompressed"}).uncompressed);
    EXPECT_THROW(parse({"-out", "jpeg", "-uncompressed"}), UsageError);
}

TEST(UncompressedPng, ReadsBackExactlyAcrossStoredBlocks)
{
    // 300 x 60 RGBA rows make 72,060 bytes: two stored blocks, the second one short.
    for (const auto& [w, h] : {std::pair{1u, 1u}, std::pair{300u, 60u}}) {
        Image image = filled(w, h, 0);
        for (std::size_t i = 0; i < image.rgba.size(); ++i)
            image.rgba[i] = static_cast<std::uint8_t>(i * 7 + i / 4);
        for (std::size_t i = 3; i < image.rgba.size(); i += 4)
            if (image.rgba[i] == 0)
                image.rgba[i - 3] = image.rgba[i - 2] = image.rgba[i - 1] = 0;
        const std::vector<std::uint8_t> png = encodePngStored(image);
        const Image back = decodePng(Bytes(png.data(), png.size()));
        EXPECT_EQ(back.width, w);
        EXPECT_EQ(back.height, h);
        EXPECT_EQ(back.rgba, image.rgba);
    }
}

TEST(UncompressedPng, PreviewFileHoldsTheFittedPictureRowForRow)
{
    // Written as the rows are made: it must match the whole fitted picture on every path
    // (growth, shrinking by a whole factor, shrinking by any other factor).
    Image image = filled(64, 48, 0);
    for (std::size_t i = 0; i < image.rgba.size(); ++i)
        image.rgba[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 128 + i % 127 : i * 13 + i / 256);
    const TestFolder folder;
    const std::vector<std::uint8_t> png = encodePng(image);
    const std::string source = folder.write("frame.png", testimg::Buf(png.begin(), png.end()));
    for (const char* size : {"200", "32", "20"}) {
        const std::string out = folder / (std::string("preview-") + size + ".png");
        const std::vector<std::string> args = {"-size",         size, "-out", "png",
                                               "-uncompressed", "-o", out,    source};
        ASSERT_EQ(runConverter(args, stdout, stderr), kExitOk) << size;
        const testimg::Buf written = TestFolder::read(out);
        const Image back = decodePng(Bytes(written.data(), written.size()));
        const Image want = fitWithin(image, static_cast<std::uint32_t>(std::stoul(size)));
        EXPECT_EQ(back.width, want.width) << size;
        EXPECT_EQ(back.rgba, want.rgba) << size;
    }
}

TEST(Fit, WholeFactorShrinkingIsThePremultipliedMeanOfEachBox)
{
    // The integer paths against plain arithmetic: boxes of 2 x 2 (an odd count across), 4 x 4
    // and 5 x 5, over noise with clear, opaque and partly clear pixels.
    for (const auto& [w, h, size] :
         {std::tuple{254u, 100u, 127u}, {256u, 256u, 64u}, {320u, 320u, 64u}}) {
        Image image = filled(w, h, 0);
        std::uint32_t seed = w;
        for (std::size_t i = 0; i < image.rgba.size(); ++i) {
            seed = seed * 1103515245u + 12345u;
            image.rgba[i] = static_cast<std::uint8_t>(seed >> 24);
        }
        for (std::size_t i = 3; i < image.rgba.size(); i += 4)
            image.rgba[i] = i % 12 == 3 ? 0 : i % 12 == 7 ? 255 : image.rgba[i];
        const Image fitted = fitWithin(image, size);
        const std::uint32_t box = w / fitted.width, area = box * box;
        ASSERT_EQ(fitted.height, h / box);
        std::vector<std::uint8_t> want;
        for (std::uint32_t y = 0; y < fitted.height; ++y)
            for (std::uint32_t x = 0; x < fitted.width; ++x) {
                std::uint32_t sum[4] = {0, 0, 0, 0};
                for (std::uint32_t sy = y * box; sy < (y + 1) * box; ++sy)
                    for (std::uint32_t sx = x * box; sx < (x + 1) * box; ++sx) {
                        const std::uint8_t* p = &image.rgba[(std::size_t{sy} * w + sx) * 4];
                        for (int c = 0; c < 3; ++c)
                            sum[c] += p[c] * p[3];
                        sum[3] += p[3];
                    }
                const std::uint32_t alpha = (sum[3] + area / 2) / area;
                for (int c = 0; c < 3; ++c)
                    want.push_back(
                        static_cast<std::uint8_t>(alpha ? (sum[c] + sum[3] / 2) / sum[3] : 0));
                want.push_back(static_cast<std::uint8_t>(alpha));
            }
        EXPECT_EQ(fitted.rgba, want) << w << " x " << h;
    }
}

TEST(UncompressedPng, AFrameDamagedHalfwayLeavesNoPreview)
{
    // The frame is decoded as the preview is written, so the damage shows only partway.
    testimg::PngSpec p;
    p.width = p.height = 64;
    for (std::uint32_t i = 0; i < 64 * 64 * 4; ++i)
        p.rows.push_back(static_cast<std::uint8_t>(i * 31 + i / 97));
    const testimg::Buf good = testimg::makePng(p);
    const std::uint32_t idatLength = be32(good.data() + 33);
    const testimg::Buf idat(good.begin() + 41, good.begin() + 41 + idatLength);
    const TestFolder folder;
    auto preview = [&](const testimg::Buf& stream, const char* name) {
        p.idatOverride = stream;
        const std::string source = folder.write(name, testimg::makePng(p));
        const std::vector<std::string> args = {"-size",         "32", "-out",          "png",
                                               "-uncompressed", "-o", source + ".png", source};
        return runConverter(args, stdout, stderr);
    };
    EXPECT_EQ(preview(testimg::Buf(idat.begin(), idat.begin() + idat.size() / 2), "cut.png"),
              kExitDamaged);
    EXPECT_FALSE(std::filesystem::exists(fsPath(folder / "cut.png.png")));

    // A wrong Adler-32 under correct chunk CRCs: the picture is whole, and a preview shows it;
    // a conversion, which checks everything, still refuses the file.
    testimg::Buf badAdler = idat;
    badAdler.back() ^= 0xFF;
    EXPECT_EQ(preview(badAdler, "adler.png"), kExitOk);
    const std::vector<std::string> convert = {"-out", "jpeg", folder / "adler.png"};
    EXPECT_EQ(runConverter(convert, stdout, stderr), kExitDamaged);
}
