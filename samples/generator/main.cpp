// samplegen: draws the sample cursors, the pointer files and the application icon, and writes for
// each the picture a converter must produce from it.
//
//   samplegen samples BIN_DIR EXPECTED_DIR   the files beside the program, expectations apart
//   samplegen testfiles DIR                  extra .cur/.ico files for the tests, with expectations
//   samplegen icons DIR                      the application icon, DIR/SIZExSIZE/apps/corvenda.png
//                                            and DIR/scalable/apps/corvenda.svg
//   samplegen themepacks DIR                 Windows cursor theme packs with every quirk real
//                                            ones have, and expected.txt (themepacks.h)
//   samplegen gallery DIR                    72 animated cursors for benchmarks, sizes.txt:
//                                            NAME WIDTH HEIGHT of the picture each shows first,
//                                            and steps.txt as below
//
// Each expectation folder gets steps.txt, one line per file: PATH JIFFIES,... FRAME,... with each
// step's duration in 1/60 s and the frame it shows (a file that is not animated shows one step:
// 0 for 0), and
// manifest.txt, one line per file:
//   PATH EXPECTED.ppm OPAQUE.pgm IMAGE_INDEX NEEDED_END CUT,CUT,...
// PATH is relative to the folder the files were written to; IMAGE_INDEX is the directory entry a
// reader must take (-1 for animations and PNG files); NEEDED_END is the first byte past what the
// first frame needs; CUTs are chunk and image boundaries.
#include "flatten.h"
#include "pictures.h"
#include "themepacks.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numeric>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

struct Output
{
    std::string path;
    WrittenFile file;
    IconImage shown; // the image a converter must draw
    int imageIndex = -1;
    std::vector<uint32_t> jiffies{0}; // each step's duration
    std::vector<uint32_t> frames{0};  // and the frame it shows
};

// How long each step of the animation shows, in the order shown.
std::vector<uint32_t> StepJiffies(const Animation& a)
{
    const size_t steps = a.sequence.empty() ? a.frames.size() : a.sequence.size();
    return a.rates.empty() ? std::vector<uint32_t>(steps, a.displayRate) : a.rates;
}

std::vector<uint32_t> StepFrames(const Animation& a)
{
    if (!a.sequence.empty())
        return a.sequence;
    std::vector<uint32_t> frames(a.frames.size());
    std::iota(frames.begin(), frames.end(), 0u);
    return frames;
}

std::string StepLine(const std::string& path, const std::vector<uint32_t>& jiffies,
                     const std::vector<uint32_t>& frames)
{
    std::string line = path;
    for (const auto* list : {&jiffies, &frames})
        for (size_t i = 0; i < list->size(); ++i)
            line += (i ? "," : " ") + std::to_string((*list)[i]);
    return line + '\n';
}

Output FromAnimation(std::string path, const Animation& a)
{
    const auto& frame = a.frames.at(FirstShownFrame(a));
    return {std::move(path), WriteAnimation(a), frame[ChosenImage(frame)], -1,
            StepJiffies(a),  StepFrames(a)};
}

Output FromIcon(std::string path, std::vector<IconImage> images, bool cursor)
{
    const size_t chosen = ChosenImage(images);
    return {std::move(path), WriteIconFile(images, cursor), images[chosen], int(chosen)};
}

Output FromPng(std::string path, const Grid<Rgba>& drawing)
{
    Output out{std::move(path), {}, MakePng(drawing), -1};
    out.file.bytes = EncodePng(drawing);
    // Chunk boundaries: each chunk's length field and its data.
    for (size_t at = 8; at + 8 <= out.file.bytes.size();) {
        const auto* p = out.file.bytes.data() + at;
        const size_t length = size_t(p[0]) << 24 | size_t(p[1]) << 16 | size_t(p[2]) << 8 | p[3];
        out.file.boundaries.push_back(at);
        out.file.boundaries.push_back(at + 8);
        at += 12 + length;
    }
    // The end marker carries nothing, but a reader may fairly insist on it.
    out.file.neededEnd = out.file.bytes.size();
    return out;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void WritePpm(const fs::path& path, const Grid<Rgba>& image)
{
    std::ostringstream header;
    header << "P6\n" << image.width() << ' ' << image.height() << "\n255\n";
    const std::string h = header.str();
    std::vector<uint8_t> bytes(h.begin(), h.end());
    for (const Rgba& c : image.cells())
        bytes.insert(bytes.end(), {c.r, c.g, c.b});
    WriteBytes(path, bytes);
}

void WritePgm(const fs::path& path, const Grid<uint8_t>& mask)
{
    std::ostringstream header;
    header << "P5\n" << mask.width() << ' ' << mask.height() << "\n255\n";
    const std::string h = header.str();
    std::vector<uint8_t> bytes(h.begin(), h.end());
    for (uint8_t m : mask.cells())
        bytes.push_back(m ? 255 : 0);
    WriteBytes(path, bytes);
}

void WriteAll(const std::vector<Output>& outputs, const fs::path& fileDir,
              const fs::path& expectedDir)
{
    std::ostringstream manifest, steps;
    for (const Output& o : outputs) {
        WriteBytes(fileDir / o.path, o.file.bytes);
        steps << StepLine(o.path, o.jiffies, o.frames);
        std::string stem = o.path;
        std::replace(stem.begin(), stem.end(), '/', '_');
        WritePpm(expectedDir / (stem + ".ppm"), FlattenOnWhite(o.shown));
        WritePgm(expectedDir / (stem + ".opaque.pgm"), OpaquePixels(o.shown));
        std::vector<size_t> cuts = o.file.boundaries;
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        manifest << o.path << ' ' << stem << ".ppm " << stem << ".opaque.pgm " << o.imageIndex
                 << ' ' << o.file.neededEnd << ' ';
        for (size_t i = 0; i < cuts.size(); ++i)
            manifest << (i ? "," : "") << cuts[i];
        manifest << '\n';
    }
    const std::string stepText = steps.str();
    WriteBytes(expectedDir / "steps.txt", std::vector<uint8_t>(stepText.begin(), stepText.end()));
    const std::string text = manifest.str();
    WriteBytes(expectedDir / "manifest.txt", std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<Output> Samples()
{
    std::vector<IconImage> appIcon;
    for (int size : {16, 32, 48})
        appIcon.push_back(MakeAlpha32(DrawAppIcon(size)));
    appIcon.push_back(MakePng(DrawAppIcon(256)));
    return {
        FromAnimation("Samples/hourglass.ani", HourglassAnimation()),
        FromAnimation("Samples/spinner.ani", SpinnerAnimation()),
        FromAnimation("Samples/arrow.ani", ArrowAnimation()),
        FromAnimation("Samples/pulse.ani", PulseAnimation()),
        FromAnimation("Samples/traffic.ani", TrafficAnimation()),
        FromAnimation("Samples/clock.ani", ClockAnimation()),
        FromAnimation("Samples/sun.ani", SunAnimation()),
        FromAnimation("Samples/pencil.ani", PencilAnimation()),
        FromIcon("HAND-M.CUR", HandCursor(), true),
        FromIcon("drag.ico", DragIcon(), false),
        FromPng("corvenda.png", DrawAppIcon(256)),
        FromIcon("corvenda.ico", appIcon, false),
    };
}

// A 256-colour picture: a colour wheel whose every pixel is a palette index.
IconImage HueWheel()
{
    std::vector<Rgba> palette;
    for (int i = 0; i < 256; ++i) {
        const double hue = (i / 16) / 16.0 * 6, light = 0.35 + 0.65 * (i % 16) / 15.0;
        auto channel = [&](double offset) {
            const double d = std::fabs(std::fmod(hue + offset, 6.0) - 3);
            return uint8_t(std::lround(255 * light * std::clamp(d - 1, 0.0, 1.0)));
        };
        palette.push_back(rgb(channel(0), channel(2), channel(4)));
    }
    Grid<Rgba> g(32, 32, kClear);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double dx = x + 0.5 - 16, dy = y + 0.5 - 16, r = std::hypot(dx, dy);
            if (r > 15.5)
                continue;
            const double turn = (std::atan2(dy, dx) + 3.14159265358979) / (2 * 3.14159265358979);
            const int ring = std::min(15, int(r));
            g.at(x, y) = palette[size_t(std::min(15, int(turn * 16)) * 16 + ring)];
        }
    // Palette entries may repeat colours; indexes are what the file stores.
    IconImage image = MakePaletted(8, palette, g);
    image.hotX = image.hotY = 16;
    return image;
}

// A 16x16 one-bit target: black ring, white inside, an inverting centre.
IconImage MonoTarget16()
{
    Grid<Ink> ink(16, 16, Ink::Clear);
    Paint(ink, Circle(8, 8, 7.5), Ink::Black);
    Paint(ink, Circle(8, 8, 5.5), Ink::White);
    Paint(ink, Circle(8, 8, 2.5), Ink::Invert);
    IconImage image = MakeMono(ink);
    image.hotX = image.hotY = 8;
    return image;
}

// The file with its first directory entry claiming `height`, as some writers copy the bitmap's
// doubled height (colour and mask rows) there.
Output WithDirectoryHeight(Output out, uint8_t height)
{
    out.file.bytes.at(6 + 1) = height;
    return out;
}

std::vector<Output> TestFiles()
{
    IconImage mono = HourglassAnimation().frames[1][0];
    IconImage sun = MakeAlpha32(DrawSun(48, 1));
    sun.hotX = sun.hotY = 24;
    return {
        FromIcon("mono.cur", {mono}, true),
        FromIcon("vga4.ico", TrafficAnimation().frames[0], false),
        FromIcon("hues8.cur", {HueWheel()}, true),
        FromIcon("clock24.ico", ClockAnimation().frames[3], false),
        FromIcon("sun32.cur", {sun}, true),
        FromIcon("sizes.ico", ArrowAnimation().frames[1], false),
        FromIcon("sun.ico", SunAnimation().frames[0], false),
        WithDirectoryHeight(FromIcon("dirheight1.cur", {MonoTarget16()}, true), 32),
        WithDirectoryHeight(
            FromIcon("dirheight32.ico", {MakeAlpha32(DrawArrow(16, rgb(255, 236, 140)))}, false),
            32),
        FromAnimation("busy.ani", BusyAnimation()),
    };
}

// The application icon at the sizes desktops look for.
void WriteIcons(const fs::path& dir)
{
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        WriteBytes(dir / name / "apps" / "corvenda.png", EncodePng(DrawAppIcon(size)));
    }
    const std::string svg = AppIconSvg();
    WriteBytes(dir / "scalable" / "apps" / "corvenda.svg",
               std::vector<uint8_t>(svg.begin(), svg.end()));
}

// The same animation starting at another step, so each variant shows another first frame.
Animation StartingAt(Animation a, size_t variant)
{
    if (a.sequence.empty())
        for (uint32_t i = 0; i < a.frames.size(); ++i)
            a.sequence.push_back(i);
    const size_t shift = variant % a.sequence.size();
    std::rotate(a.sequence.begin(), a.sequence.begin() + long(shift), a.sequence.end());
    if (a.rates.size() == a.sequence.size())
        std::rotate(a.rates.begin(), a.rates.begin() + long(shift), a.rates.end());
    a.infoFirst = variant % 2 == 1;
    return a;
}

void WriteGallery(const fs::path& dir)
{
    const std::pair<const char*, Animation (*)()> kinds[] = {{"hourglass", HourglassAnimation},
                                                             {"spinner", SpinnerAnimation},
                                                             {"arrow", ArrowAnimation},
                                                             {"pulse", PulseAnimation},
                                                             {"traffic", TrafficAnimation},
                                                             {"clock", ClockAnimation},
                                                             {"sun", SunAnimation},
                                                             {"pencil", PencilAnimation},
                                                             {"busy", BusyAnimation}};
    std::ostringstream sizes, steps;
    for (const auto& [kind, make] : kinds) {
        const Animation base = make();
        for (size_t v = 0; v < 8; ++v) {
            const Animation a = StartingAt(base, v);
            const std::string name = std::string(kind) + "-" + std::to_string(v) + ".ani";
            WriteBytes(dir / name, WriteAnimation(a).bytes);
            const auto& frame = a.frames.at(FirstShownFrame(a));
            const IconImage& shown = frame[ChosenImage(frame)];
            sizes << name << ' ' << shown.width() << ' ' << shown.height() << '\n';
            steps << StepLine(name, StepJiffies(a), StepFrames(a));
        }
    }
    const std::string text = sizes.str();
    WriteBytes(dir / "sizes.txt", std::vector<uint8_t>(text.begin(), text.end()));
    const std::string stepText = steps.str();
    WriteBytes(dir / "steps.txt", std::vector<uint8_t>(stepText.begin(), stepText.end()));
}

void WriteThemePacks(const fs::path& dir)
{
    const ThemePacks packs = MakeThemePacks();
    for (const ThemePackFile& file : packs.files)
        WriteBytes(dir / fs::path(std::u8string(file.path.begin(), file.path.end())), file.bytes);
    WriteBytes(dir / "expected.txt",
               std::vector<uint8_t>(packs.expected.begin(), packs.expected.end()));
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "samples" && argc == 4) {
            WriteAll(Samples(), argv[2], argv[3]);
        } else if (mode == "testfiles" && argc == 3) {
            WriteAll(TestFiles(), argv[2], argv[2]);
        } else if (mode == "icons" && argc == 3) {
            WriteIcons(argv[2]);
        } else if (mode == "themepacks" && argc == 3) {
            WriteThemePacks(argv[2]);
        } else if (mode == "gallery" && argc == 3) {
            WriteGallery(argv[2]);
        } else {
            std::cerr
                << "usage: samplegen samples BIN_DIR EXPECTED_DIR | testfiles DIR | icons DIR | "
                   "themepacks DIR | gallery DIR\n";
            return 2;
        }
    } catch (const std::exception& e) {
        std::cerr << "samplegen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
