// The decoder against files built to break one rule each: what real files get wrong must still
// decode to the right pixels; what cannot be drawn must be refused with the right kind of error.
#include "decode.h"
#include "fixtures.h"
#include "programcheck.h"

#include <gtest/gtest.h>

using namespace testimg;
using nconv::DecodeError;
using nconv::decodeImage;
using nconv::ErrorKind;

namespace {

std::uint32_t pixel(const nconv::Image& image, std::uint32_t x, std::uint32_t y)
{
    const std::uint8_t* p = image.rgba.data() + (static_cast<std::size_t>(y) * image.width + x) * 4;
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Expects a refusal of the given kind whose message mentions `words`, from the decoder and
// from the program, which must then say it in one line and write nothing.
void expectRefused(const Buf& file, ErrorKind kind, const std::string& words)
{
    try {
        decodeImage(file);
        ADD_FAILURE() << "accepted a file that should be refused (" << words << ")";
    } catch (const DecodeError& e) {
        EXPECT_EQ(e.kind(), kind) << e.what();
        EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
    }
    const int exitCode = kind == ErrorKind::Damaged    ? nconv::kExitDamaged
                         : kind == ErrorKind::TooLarge ? nconv::kExitTooLarge
                                                       : nconv::kExitUnsupported;
    expectProgramRefuses(file, words, exitCode);
}

// One colour per frame, to see which frame was chosen.
const Buf kRed = tinyCursor(0xFF0000);
const Buf kGreen = tinyCursor(0x00FF00);
const Buf kBlue = tinyCursor(0x0000FF);

std::uint32_t firstPixel(const Buf& file)
{
    return pixel(decodeImage(file), 0, 0);
}

Buf frames(const std::vector<Buf>& icons)
{
    std::vector<Buf> chunks;
    for (const Buf& icon : icons)
        chunks.push_back(chunk("icon", icon));
    return list("fram", chunks);
}

} // namespace

// --- Flattening rules inside one image -------------------------------------------------------

TEST(IconPixels, MonochromeMaskAndInversionAsOnAWhiteScreen)
{
    const nconv::Image image = decodeImage(cursorOf(monoArrow(), 3, 4));
    ASSERT_EQ(image.width, 32u);
    ASSERT_EQ(image.height, 32u);
    EXPECT_EQ(pixel(image, 0, 0), 0x000000FFu);   // outline: opaque black
    EXPECT_EQ(pixel(image, 1, 5), 0xFFFFFFFFu);   // inside: opaque white
    EXPECT_EQ(pixel(image, 20, 5), 0x00000000u);  // mask set, colour black: transparent
    EXPECT_EQ(pixel(image, 27, 27), 0x000000FFu); // mask set, colour white: inverted to black
    ASSERT_TRUE(image.hotSpot.has_value());
    EXPECT_EQ(image.hotSpot->x, 3);
    EXPECT_EQ(image.hotSpot->y, 4);
}

TEST(IconPixels, IconsHaveNoHotSpotAndCursorHotSpotsStayInside)
{
    EXPECT_FALSE(decodeImage(makeIcon(1, {entry(makeDib(monoArrow()), 32, 32)})).hotSpot);
    const nconv::Image image = decodeImage(cursorOf(monoArrow(), 500, 31));
    EXPECT_EQ(image.hotSpot->x, 31);
    EXPECT_EQ(image.hotSpot->y, 31);
}

TEST(IconPixels, ThirtyTwoBitAlphaIsKeptAndAllZeroAlphaFallsBackToTheMask)
{
    DibSpec d;
    d.width = 2;
    d.height = 1;
    d.pixels = {0x80102030, 0x00405060};
    d.mask = {1, 1};
    nconv::Image image = decodeImage(cursorOf(d));
    EXPECT_EQ(pixel(image, 0, 0), 0x10203080u); // alpha wins over the mask
    EXPECT_EQ(pixel(image, 1, 0), 0x00000000u);

    d.pixels = {0x00102030, 0x00000000};
    d.mask = {0, 1};
    image = decodeImage(cursorOf(d));
    EXPECT_EQ(pixel(image, 0, 0), 0x102030FFu);
    EXPECT_EQ(pixel(image, 1, 0), 0x00000000u);
}

TEST(IconPixels, PalettesAtFourAndEightBits)
{
    for (int bits : {4, 8}) {
        const DibSpec d = paletteDot(bits);
        const nconv::Image image = decodeImage(cursorOf(d));
        const std::uint32_t index = d.pixels[16 * 32 + 18];
        const std::uint32_t rgb = d.palette[index];
        EXPECT_EQ(pixel(image, 18, 16), rgb << 8 | 0xFF) << bits;
        EXPECT_EQ(pixel(image, 0, 0), 0u) << bits; // black under a set mask
    }
}

TEST(IconPixels, TwentyFourBitRowsAtOddWidthsArePadded)
{
    DibSpec d;
    d.width = 3;
    d.height = 2;
    d.bitCount = 24;
    d.pixels = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
    const nconv::Image image = decodeImage(cursorOf(d));
    EXPECT_EQ(pixel(image, 2, 0), 0x070809FFu);
    EXPECT_EQ(pixel(image, 0, 1), 0x0A0B0CFFu);
    EXPECT_EQ(pixel(image, 2, 1), 0x101112FFu);
}

TEST(IconPixels, SixteenBitDefaultAndBitFields)
{
    DibSpec d;
    d.width = 2;
    d.height = 1;
    d.bitCount = 16;
    d.pixels = {0x7C00, 0x001F}; // 5-5-5: red, blue
    nconv::Image image = decodeImage(cursorOf(d));
    EXPECT_EQ(pixel(image, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(pixel(image, 1, 0), 0x0000FFFFu);

    d.compression = 3;
    d.bitFields = {0xF800, 0x07E0, 0x001F};
    d.pixels = {0x07E0, 0xF800}; // 5-6-5: green, red
    image = decodeImage(cursorOf(d));
    EXPECT_EQ(pixel(image, 0, 0), 0x00FF00FFu);
    EXPECT_EQ(pixel(image, 1, 0), 0xFF0000FFu);
}

TEST(IconPixels, LaterBitmapHeaderSizesAreRead)
{
    for (std::uint32_t size : {52u, 56u, 108u, 124u}) {
        DibSpec d;
        d.headerSize = size;
        d.width = 2;
        d.height = 1;
        d.pixels = {0xFF112233, 0xFF445566};
        const nconv::Image image = decodeImage(cursorOf(d));
        EXPECT_EQ(pixel(image, 1, 0), 0x445566FFu) << size;
    }
}

TEST(IconPixels, TopDownRowsWithNegativeHeight)
{
    DibSpec d;
    d.width = 1;
    d.height = 2;
    d.topDown = true;
    d.pixels = {0xFFAA0000, 0xFF00BB00};
    const nconv::Image image = decodeImage(cursorOf(d));
    EXPECT_EQ(pixel(image, 0, 0), 0xAA0000FFu);
    EXPECT_EQ(pixel(image, 0, 1), 0x00BB00FFu);
}

TEST(IconPixels, MissingOrShortAndMaskLeavesRowsOpaque)
{
    DibSpec d = monoArrow();
    d.maskRows = 0;
    nconv::Image image = decodeImage(cursorOf(d));
    EXPECT_EQ(pixel(image, 20, 5), 0x000000FFu);

    d.maskRows = 16; // stored bottom-up: only the lower half of the picture has its mask
    image = decodeImage(cursorOf(d));
    EXPECT_EQ(pixel(image, 20, 5), 0x000000FFu);  // upper half: no mask, opaque
    EXPECT_EQ(pixel(image, 20, 20), 0x00000000u); // lower half: transparent
    EXPECT_EQ(pixel(image, 27, 27), 0x000000FFu); // inverted
}

TEST(IconPixels, HeightThatIsNotDoubled)
{
    DibSpec d = trueColour(32, 24);
    d.doubledHeight = false;
    const nconv::Image image = decodeImage(cursorOf(d));
    EXPECT_EQ(image.width, 32u);
    EXPECT_EQ(image.height, 32u);
    d.maskRows = 0; // and without its mask: the colour rows alone outgrow a halved reading
    EXPECT_EQ(decodeImage(cursorOf(d)).height, 32u);
}

TEST(IconPixels, DoubledHeightUnderADirectoryThatCallsItWhole)
{
    // 16x16 images whose directory says 16x32, as the bitmap's own height field does. At one
    // bit a full mask makes the data exactly as long as 32 colour rows would be.
    DibSpec mono;
    mono.width = mono.height = 16;
    mono.bitCount = 1;
    mono.palette = {0x000000, 0xFFFFFF};
    for (int i = 0; i < 16 * 16; ++i) {
        mono.pixels.push_back((i / 16 + i % 16) % 3 == 0);
        mono.mask.push_back(i % 16 < 5);
    }
    for (const DibSpec& d : {mono, trueColour(16, 32), trueColour(16, 24)}) {
        const nconv::Image honest = decodeImage(cursorOf(d));
        const nconv::Image image = decodeImage(makeIcon(2, {entry(makeDib(d), 16, 32)}));
        EXPECT_EQ(image.height, 16u) << d.bitCount;
        EXPECT_EQ(image.rgba, honest.rgba) << d.bitCount;
    }
}

// --- Choosing the image of an icon -------------------------------------------------------

TEST(IconChoice, LargestImageThenMostColours)
{
    const nconv::Image image = decodeImage(multiSizeIcon());
    EXPECT_EQ(image.width, 48u);
    // The 32-bit 48x48 image, not the 4-bit one of the same size: its corner is see-through.
    EXPECT_NE(pixel(image, 0, 47) & 0xFF, 0xFFu);
}

TEST(IconChoice, BitmapHeaderWinsOverTheDirectory)
{
    // The directory calls the 32x32 image 16x16 at 1 bit and the 24x24 one 64x64 at 32 bits.
    std::vector<IconEntry> entries = {entry(makeDib(trueColour(24, 32)), 64, 64, 1, 32),
                                      entry(makeDib(trueColour(32, 24)), 16, 16, 1, 1)};
    const nconv::Image image = decodeImage(makeIcon(1, entries));
    EXPECT_EQ(image.width, 32u);
    EXPECT_EQ(image.height, 32u);
}

TEST(IconChoice, ZeroInTheDirectoryMeans256)
{
    const nconv::Image image = decodeImage(pngCursor256());
    EXPECT_EQ(image.width, 256u);
    EXPECT_EQ(image.height, 256u);
    EXPECT_EQ(image.hotSpot->x, 128);
}

TEST(IconChoice, ImageOfAKindWeDoNotReadIsPassedOver)
{
    DibSpec rle = trueColour(48, 32);
    rle.compression = 1; // run-length coded: a valid image we cannot draw
    const nconv::Image image = decodeImage(
        makeIcon(1, {entry(makeDib(rle), 48, 48), entry(makeDib(trueColour(16, 32)), 16, 16)}));
    EXPECT_EQ(image.width, 16u);
}

TEST(IconChoice, DirectorySizeFieldsTooSmall)
{
    const DibSpec d = monoArrow();
    const nconv::Image expected = decodeImage(cursorOf(d));
    for (std::uint32_t size : {0u, 40u}) {
        IconEntry e = entry(makeDib(d), 32, 32);
        e.sizeField = size;
        EXPECT_EQ(decodeImage(makeIcon(2, {e})).rgba, expected.rgba) << size;
    }
}

TEST(IconChoice, CountLargerThanTheDirectoryUsesTheEntriesPresent)
{
    const Buf icon = makeIcon(1, {entry(makeDib(trueColour(16, 32)), 16, 16)}, 65535);
    EXPECT_EQ(decodeImage(icon).width, 16u);
}

// --- PNG-coded images ---------------------------------------------------------------------

TEST(PngFrames, PaletteWithTransparency)
{
    PngSpec p;
    p.width = 2;
    p.colourType = 3;
    p.palette = {255, 0, 0, 0, 0, 255};
    p.trns = {0};
    p.rows = {0, 1};
    const nconv::Image image = decodeImage(makeIcon(2, {entry(makePng(p), 2, 1)}));
    EXPECT_EQ(pixel(image, 0, 0), 0x00000000u);
    EXPECT_EQ(pixel(image, 1, 0), 0x0000FFFFu);
}

TEST(PngFrames, GreyWithAlpha)
{
    PngSpec p;
    p.width = 2;
    p.colourType = 4;
    p.rows = {200, 255, 50, 128};
    const nconv::Image image = decodeImage(makeIcon(2, {entry(makePng(p), 2, 1)}));
    EXPECT_EQ(pixel(image, 0, 0), 0xC8C8C8FFu);
    EXPECT_EQ(pixel(image, 1, 0), 0x32323280u);
}

TEST(PngFrames, RgbaInsideAnAnimation)
{
    PngSpec p;
    p.width = 1;
    p.colourType = 6;
    p.rows = {1, 2, 3, 4};
    const Buf ani = animation({makeIcon(2, {entry(makePng(p), 1, 1)})});
    EXPECT_EQ(firstPixel(ani), 0x01020304u);
}

TEST(PngFrames, RgbAndRgbaRowsComeBackExactlyThroughEveryFilter)
{
    // Decoded whole (conversions) and a row at a time (previews), the rows cycling through all
    // five filters, so a wrong left, upper or corner neighbour shows.
    for (int colourType : {2, 6}) {
        const std::size_t channels = colourType == 6 ? 4 : 3;
        PngSpec p;
        p.width = 37, p.height = 11, p.colourType = colourType, p.filters = {0, 1, 2, 3, 4};
        std::uint32_t seed = 1;
        Buf want;
        for (std::size_t i = 0; i < std::size_t{p.width} * p.height; ++i) {
            seed = seed * 1103515245u + 12345u;
            const std::uint8_t alpha = channels == 3 ? 255 : i % 7 == 0 ? 0 : seed >> 24;
            for (std::size_t c = 0; c < 3; ++c) {
                p.rows.push_back(static_cast<std::uint8_t>(seed >> (8 * c)));
                want.push_back(alpha ? p.rows.back() : 0);
            }
            if (channels == 4)
                p.rows.push_back(alpha);
            want.push_back(alpha);
        }
        const Buf png = makePng(p);
        EXPECT_EQ(decodeImage(png).rgba, want) << colourType;
        const auto rows = nconv::decodeRows(png);
        Buf streamed;
        for (std::uint32_t y = 0; y < rows->height(); ++y) {
            const std::uint8_t* row = rows->next();
            streamed.insert(streamed.end(), row, row + std::size_t{p.width} * 4);
        }
        EXPECT_EQ(streamed, want) << colourType;
    }
}

TEST(PngFrames, AGammaOtherThanSrgbIsApplied)
{
    // Mid-grey stored linear is light grey on an sRGB screen, whole and a row at a time.
    PngSpec p;
    p.rows = {128, 128, 128, 255};
    p.gamma = 100000;
    const Buf png = makePng(p);
    EXPECT_GT(firstPixel(png) >> 24, 170u);
    EXPECT_EQ(nconv::decodeRows(png)->next()[0], firstPixel(png) >> 24);
}

TEST(PngFrames, DecompressionBombIsRefusedBeforeDecoding)
{
    PngSpec p;
    p.width = p.height = 8000;
    p.colourType = 6;
    p.idatOverride = Buf{0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    expectRefused(makeIcon(2, {entry(makePng(p), 0, 0)}), ErrorKind::Damaged,
                  "far too little data");
    p.width = p.height = 9000; // past 64 megapixels
    expectRefused(makePng(p), ErrorKind::TooLarge, "64 megapixels");
}

TEST(PngFrames, CorruptStreamIsDamaged)
{
    PngSpec p;
    p.width = 4;
    p.height = 4;
    p.colourType = 6;
    p.idatOverride = Buf(40, 0x55);
    expectRefused(makePng(p), ErrorKind::Damaged, "PNG");
}

// --- Refusals inside icons and bitmaps ----------------------------------------------------

TEST(BitmapRefusals, PaletteIndexPastThePalette)
{
    DibSpec d = paletteDot(4);
    d.palette.resize(3); // indexes up to 15 are used
    expectRefused(cursorOf(d), ErrorKind::Damaged, "past the end of the 3-colour palette");
}

TEST(BitmapRefusals, PaletteLargerThanTheBitCountAllows)
{
    DibSpec d = paletteDot(4);
    d.clrUsed = 4096;
    expectRefused(cursorOf(d), ErrorKind::Damaged, "palette of 4096 colours");
}

TEST(BitmapRefusals, SizesWhoseBuffersWouldOverflow)
{
    DibSpec d;
    d.width = 1;
    d.height = 1;
    d.pixels = {0};
    d.widthField = 0x7FFFFFFF;
    d.heightField = 0x7FFFFFFE;
    expectRefused(cursorOf(d), ErrorKind::TooLarge, "64 megapixels");
    d.widthField = 10000;
    d.heightField = 20000; // 10000 x 10000 after halving: past the cap, and no data for it
    expectRefused(cursorOf(d), ErrorKind::TooLarge, "");
    d.widthField = 4000;
    d.heightField = 8000; // within the cap, but the data holds one pixel
    expectRefused(cursorOf(d), ErrorKind::Damaged, "cut short");
}

TEST(BitmapRefusals, HeaderSizesOutsideTheAllowList)
{
    DibSpec d = trueColour(4, 32);
    d.headerSize = 41;
    Buf bad = cursorOf(d);
    expectRefused(bad, ErrorKind::Damaged, "bitmap header size 41");
    d.headerSize = 40;
    Buf core = cursorOf(d);
    set32(core, 22, 12); // the bitmap's own header size field
    expectRefused(core, ErrorKind::Unsupported, "OS/2");
}

TEST(BitmapRefusals, CompressionKindsWeDoNotRead)
{
    DibSpec d = paletteDot(8);
    d.compression = 1;
    expectRefused(cursorOf(d), ErrorKind::Unsupported, "run-length");
    d.compression = 9;
    expectRefused(cursorOf(d), ErrorKind::Damaged, "compression kind 9");
    DibSpec deep = trueColour(4, 32);
    deep.bitCount = 2;
    deep.pixels.assign(16, 0);
    expectRefused(cursorOf(deep), ErrorKind::Unsupported, "2 bits per pixel");
}

TEST(IconRefusals, ZeroCountAndEntriesPastTheData)
{
    expectRefused(makeIcon(2, {}, 0), ErrorKind::Damaged, "lists no images");
    IconEntry e = entry(makeDib(trueColour(16, 32)), 16, 16);
    e.offsetField = 5000;
    expectRefused(makeIcon(1, {e}), ErrorKind::Damaged, "past the end of the file");
    e = entry(makeDib(trueColour(16, 32)), 16, 16);
    e.sizeField = 0x7FFFFFFF;
    expectRefused(makeIcon(1, {e}), ErrorKind::Damaged, "cut short");
    Buf cut = makeIcon(1, {entry(makeDib(trueColour(16, 32)), 16, 16)});
    cut.resize(cut.size() - 16 * 16 * 4 / 2 - 64); // half the colour rows are gone
    expectRefused(cut, ErrorKind::Damaged, "cut short");
}

// A smaller image drawn instead of the one the file holds would be a success with the wrong
// picture, so an image that cannot be drawn because it is damaged or cut off is the end of it.
TEST(IconRefusals, DamagedImageIsNotReplacedByAnother)
{
    const Buf small = makeDib(trueColour(16, 32));
    const Buf large = makeDib(trueColour(48, 32));
    Buf icon = makeIcon(1, {entry(small, 16, 16), entry(large, 48, 48)});
    icon.resize(icon.size() - 100); // inside the top rows of the 48x48 image's mask
    expectRefused(icon, ErrorKind::Damaged, "cut short inside image 2");

    AnihSpec h;
    const Buf file = riff({anih(h), frames({icon})});
    expectRefused(file, ErrorKind::Damaged, "cut short");
    Buf animationCut =
        riff({anih(h), frames({makeIcon(1, {entry(small, 16, 16), entry(large, 48, 48)})})});
    animationCut.resize(animationCut.size() - 100);
    expectRefused(animationCut, ErrorKind::Damaged, "cut short");

    IconEntry past = entry(large, 48, 48);
    past.offsetField = 0x7FFFFFF0;
    expectRefused(makeIcon(1, {past, entry(small, 16, 16)}), ErrorKind::Damaged,
                  "image 1 lies past the end of the file");

    Buf badHeader = large;
    set32(badHeader, 0, 41);
    expectRefused(makeIcon(1, {entry(badHeader, 48, 48), entry(small, 16, 16)}), ErrorKind::Damaged,
                  "header size 41");
}

// Rows of a mask that the writer left out are drawn opaque; rows that a cut took away are not
// drawn at all, or the top of a cursor comes out as a black bar.
TEST(IconRefusals, MaskCutShortByTheEndOfTheFile)
{
    const Buf whole = cursorOf(monoArrow());
    Buf cut = whole;
    cut.resize(cut.size() - 4 * 10); // the top ten mask rows
    expectRefused(cut, ErrorKind::Damaged, "cut short inside image 1");

    Buf animationCut = animation({whole});
    animationCut.resize(animationCut.size() - 4 * 10);
    expectRefused(animationCut, ErrorKind::Damaged, "cut short inside the first frame shown");

    // Frames stored as a bare bitmap have no directory size: the chunk's size says it is cut.
    Buf bareCut = riff({anih({}), frames({makeDib(monoArrow())})});
    bareCut.resize(bareCut.size() - 4 * 10);
    expectRefused(bareCut, ErrorKind::Damaged, "cut short inside the first frame shown");
}

// --- Animated cursors: what real files get wrong ------------------------------------------

TEST(AnimationMess, RiffSizeWrongInEveryCommonWay)
{
    const Buf good = animation({kRed});
    for (std::uint32_t size : {0u, static_cast<std::uint32_t>(good.size()), 20u, 0xFFFFFFFFu}) {
        Buf file = good;
        set32(file, 4, size);
        EXPECT_EQ(firstPixel(file), 0xFF0000FFu) << size;
    }
}

TEST(AnimationMess, ChunksInAnyOrder)
{
    AnihSpec h;
    h.flags = kIconFlag | kSequenceFlag;
    h.frames = 2;
    const Buf info = list("INFO", {chunk("INAM", {'x', 0})});
    // LIST INFO first, frames before the header, "rate" and "seq " last.
    const Buf file = riff({info, frames({kRed, kGreen}), anih(h), chunk("rate", words({3, 3})),
                           chunk("seq ", words({1, 0}))});
    EXPECT_EQ(firstPixel(file), 0x00FF00FFu);
}

TEST(AnimationMess, MissingPadByteAfterAnOddChunk)
{
    AnihSpec h;
    h.flags = kIconFlag | kSequenceFlag;
    const Buf file = riff({list("INFO", {chunk("INAM", {'a', 'b', 'c'}, std::nullopt, false)}),
                           anih(h), frames({kRed, kBlue}), chunk("seq ", words({1}))});
    EXPECT_EQ(firstPixel(file), 0x0000FFFFu);
}

TEST(AnimationMess, ListSizesOffByAFewBytes)
{
    AnihSpec h;
    h.flags = kIconFlag | kSequenceFlag;
    for (int delta : {-6, -3, 3, 6}) {
        Buf fram = frames({kRed, kBlue});
        set32(fram, 4, static_cast<std::uint32_t>(fram.size() - 8 + delta));
        const Buf file = riff({anih(h), fram, chunk("seq ", words({1, 0}))});
        EXPECT_EQ(firstPixel(file), 0x0000FFFFu) << delta;
    }
}

TEST(AnimationMess, IconChunkSizeSlightlyWrong)
{
    AnihSpec h;
    h.flags = kIconFlag | kSequenceFlag;
    Buf fram = frames({kRed, kBlue});
    set32(fram, 16, static_cast<std::uint32_t>(kRed.size() + 2));
    const Buf file = riff({anih(h), fram, chunk("seq ", words({1}))});
    EXPECT_EQ(firstPixel(file), 0x0000FFFFu);
}

TEST(AnimationMess, OversizedAnihFieldReadsOnly36Bytes)
{
    AnihSpec h;
    h.flags = kIconFlag | kSequenceFlag;
    Buf header = anih(h);
    set32(header, 4, 0x7FFFFFF0); // the chunk claims two gigabytes
    EXPECT_EQ(firstPixel(riff({frames({kRed, kGreen}), chunk("seq ", words({1})), header})),
              0x00FF00FFu);
    // First in the file: the walk goes on after the 36 bytes the header really has.
    EXPECT_EQ(firstPixel(riff({header, frames({kRed, kGreen}), chunk("seq ", words({1}))})),
              0x00FF00FFu);

    Buf shortHeader = chunk("anih", Buf(20, 0));
    expectRefused(riff({shortHeader, frames({kRed})}), ErrorKind::Damaged, "shorter than 36");
}

TEST(AnimationMess, TheSequenceFlagDecides)
{
    AnihSpec h;
    h.flags = kIconFlag; // "seq " present, flag clear: ignored
    EXPECT_EQ(firstPixel(animation({kRed, kGreen}, h, {chunk("seq ", words({1}))})), 0xFF0000FFu);
    h.flags = kIconFlag | kSequenceFlag;
    EXPECT_EQ(firstPixel(animation({kRed, kGreen}, h, {chunk("seq ", words({1}))})), 0x00FF00FFu);
    EXPECT_EQ(firstPixel(animation({kRed, kGreen}, h)), 0xFF0000FFu); // flag but no "seq "
}

TEST(AnimationMess, HeaderCountsAndSizesAreIgnored)
{
    AnihSpec h;
    h.flags = kIconFlag | kSequenceFlag;
    h.steps = 1000;
    h.width = h.height = 0;
    h.bitCount = 99;
    Buf file = animation({kRed, kGreen}, h,
                         {chunk("rate", words({1, 2, 3, 4, 5})), chunk("seq ", words({1, 7, 9}))});
    set32(file, 20 + 4, 0xFFFFFFFF); // anih frame count
    EXPECT_EQ(firstPixel(file), 0x00FF00FFu);
}

TEST(AnimationMess, UnknownChunksAreSkipped)
{
    const Buf file =
        riff({chunk("junk", Buf(7, 0xEE)), anih({}), list("abcd", {chunk("icon", kBlue)}),
              frames({kRed}), chunk("zzzz", Buf(3, 1))});
    EXPECT_EQ(firstPixel(file), 0xFF0000FFu); // icons in an unknown LIST are not frames
}

TEST(AnimationMess, ListWithNoChunksInsideIsSteppedOver)
{
    Buf junkInfo = {'I', 'N', 'F', 'O'};
    junkInfo.resize(40, 0x01);
    EXPECT_EQ(firstPixel(riff({chunk("LIST", junkInfo), anih({}), frames({kGreen})})), 0x00FF00FFu);
}

TEST(AnimationMess, OnlyTheFirstShownFrameIsDecoded)
{
    Buf broken = kBlue;
    broken.resize(30);
    AnihSpec h;
    h.flags = kIconFlag | kSequenceFlag;
    std::vector<Buf> many(500, broken);
    many[3] = kGreen;
    EXPECT_EQ(firstPixel(animation(many, h, {chunk("seq ", words({3, 0, 1}))})), 0x00FF00FFu);
}

TEST(AnimationMess, FramesStoredAsBareBitmaps)
{
    AnihSpec h;
    h.flags = 0;
    DibSpec d;
    d.width = d.height = 1;
    d.pixels = {0xFF123456};
    EXPECT_EQ(firstPixel(animation({makeDib(d)}, h)), 0x123456FFu);
}

TEST(AnimationRefusals, SequenceStartingWithAMissingFrame)
{
    AnihSpec h;
    h.flags = kIconFlag | kSequenceFlag;
    expectRefused(animation({kRed, kGreen}, h, {chunk("seq ", words({2, 0}))}), ErrorKind::Damaged,
                  "starts with frame 2, but the file holds only 2 frames");
}

TEST(AnimationRefusals, NoFramesOrNoHeader)
{
    expectRefused(riff({anih({})}), ErrorKind::Damaged, "no frames");
    expectRefused(riff({anih({}), list("fram", {})}), ErrorKind::Damaged, "no frames");
    expectRefused(riff({frames({kRed})}), ErrorKind::Damaged, "header (anih) is missing");
}

TEST(AnimationRefusals, NestedLists)
{
    expectRefused(riff({anih({}), list("fram", {list("fram", {chunk("icon", kRed)})})}),
                  ErrorKind::Damaged, "nested");
}

TEST(AnimationRefusals, FrameChunkRunningPastTheData)
{
    Buf file = animation({cursorOf(trueColour(32, 32))});
    file.resize(file.size() - 1000);
    expectRefused(file, ErrorKind::Damaged, "cut short");
}

TEST(AnimationRefusals, FrameThatIsNoImage)
{
    expectRefused(animation({Buf(64, 0x41)}), ErrorKind::Damaged, "not an icon or cursor image");
}

TEST(AnimationRefusals, EnormousFrameCount)
{
    Buf fram = {'f', 'r', 'a', 'm'};
    for (std::size_t i = 0; i <= nconv::kMaxFrames; ++i)
        append(fram, chunk("icon", {}));
    expectRefused(riff({anih({}), chunk("LIST", fram)}), ErrorKind::TooLarge, "frames");
}

// Every prefix of every well-formed file is refused with a DecodeError or, when the cut spares
// what the first frame needs, decoded to exactly the picture of the whole file.
TEST(Truncation, EveryPrefixIsRefusedOrGivesTheWholePicture)
{
    for (const auto& [name, file] : wellFormedFiles()) {
        const nconv::Image whole = decodeImage(file);
        const std::size_t step = file.size() > 4000 ? file.size() / 700 : 1;
        for (std::size_t length = 0; length < file.size(); length += step) {
            try {
                const nconv::Image image =
                    decodeImage(std::span<const std::uint8_t>(file.data(), length));
                EXPECT_EQ(image.width, whole.width) << name << " cut to " << length;
                EXPECT_EQ(image.height, whole.height) << name << " cut to " << length;
                EXPECT_TRUE(image.rgba == whole.rgba) << name << " cut to " << length;
            } catch (const DecodeError&) {
            }
        }
    }
}

// --- Whole pictures against what was drawn ---------------------------------------------------

namespace {

// What Windows shows on a white screen for a drawn bitmap, worked out from the drawing itself.
std::vector<std::uint8_t> expectedRgba(const DibSpec& d)
{
    bool anyAlpha = false;
    if (d.bitCount == 32)
        for (std::uint32_t p : d.pixels)
            anyAlpha = anyAlpha || (p >> 24) != 0;
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < d.pixels.size(); ++i) {
        const std::uint32_t rgb = d.bitCount <= 8 ? d.palette[d.pixels[i]] : d.pixels[i] & 0xFFFFFF;
        std::uint8_t r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF, a = 255;
        if (anyAlpha) {
            a = d.pixels[i] >> 24;
        } else if (!d.mask.empty() && d.mask[i]) {
            // screen AND 1 = white, then XOR the colour
            r = 255 ^ r, g = 255 ^ g, b = 255 ^ b;
            a = (r == 255 && g == 255 && b == 255) ? 0 : 255;
        }
        if (a == 0)
            r = g = b = 0;
        out.insert(out.end(), {r, g, b, a});
    }
    return out;
}

} // namespace

TEST(WholePictures, EveryDepthDecodesToWhatWasDrawn)
{
    std::vector<DibSpec> drawings = {monoArrow(),        paletteDot(4),      paletteDot(8),
                                     trueColour(32, 24), trueColour(32, 32), trueColour(7, 24),
                                     trueColour(13, 32), trueColour(48, 24)};
    DibSpec invertedColours = paletteDot(4);
    invertedColours.palette[0] = 0x3366CC; // background under the mask inverts to 0xCC9933
    drawings.push_back(invertedColours);
    AnihSpec sequenced;
    sequenced.flags = kIconFlag | kSequenceFlag;
    for (const DibSpec& d : drawings) {
        const nconv::Image image = decodeImage(cursorOf(d));
        ASSERT_EQ(image.width, static_cast<std::uint32_t>(d.width));
        EXPECT_EQ(image.rgba, expectedRgba(d))
            << d.width << "x" << d.height << " at " << d.bitCount;
        // The same picture stored top-down, and as the frame an animation shows first.
        DibSpec flipped = d;
        flipped.topDown = true;
        EXPECT_EQ(decodeImage(cursorOf(flipped)).rgba, image.rgba);
        EXPECT_EQ(
            decodeImage(animation({kRed, cursorOf(d)}, sequenced, {chunk("seq ", words({1, 0}))}))
                .rgba,
            image.rgba);
    }
}
