// The writers: blending onto white, and BMP and PNG files that read back as written.
#include "decode.h"
#include "encode.h"

#include <gtest/gtest.h>

namespace {

nconv::Image image2x1(std::vector<std::uint8_t> rgba)
{
    nconv::Image image;
    image.width = 2;
    image.height = 1;
    image.rgba = std::move(rgba);
    return image;
}

} // namespace

TEST(Flatten, TransparencyIsLaidOnWhite)
{
    const nconv::Image image = image2x1({255, 0, 0, 128, 0, 0, 0, 0});
    EXPECT_EQ(nconv::flattenOnWhite(image),
              (std::vector<std::uint8_t>{255, 127, 127, 255, 255, 255}));
}

TEST(Writers, BmpAndPngReadBackAsWritten)
{
    nconv::Image image;
    image.width = 3; // odd width: BMP rows are padded
    image.height = 2;
    for (int i = 0; i < 6; ++i)
        image.rgba.insert(image.rgba.end(), {std::uint8_t(i * 40), std::uint8_t(200 - i * 30),
                                             std::uint8_t(i * 7), std::uint8_t(i == 2 ? 0 : 255)});
    image.rgba[8] = image.rgba[9] = image.rgba[10] = 0; // transparent pixels are stored as zero

    const nconv::Image png =
        nconv::decodeImage(nconv::encodeImage(image, nconv::OutputFormat::Png, 0));
    EXPECT_EQ(png.rgba, image.rgba);

    const nconv::Image bmp =
        nconv::decodeImage(nconv::encodeImage(image, nconv::OutputFormat::Bmp, 0));
    const std::vector<std::uint8_t> white = nconv::flattenOnWhite(image);
    ASSERT_EQ(bmp.width, 3u);
    ASSERT_EQ(bmp.height, 2u);
    for (std::size_t i = 0; i < 6; ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(bmp.rgba[i * 4 + c], white[i * 3 + c]) << i;
}
