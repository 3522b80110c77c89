// The nconvert program as the window runs it: argument vectors, exit status, one-line messages,
// and output files that appear whole or not at all.
#include "decode.h"
#include "encode.h"
#include "exitcodes.h"
#include "fixtures.h"
#include "programcheck.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <turbojpeg.h>
#ifndef _WIN32
#include <csignal>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#endif

using namespace testimg;

namespace {

ChildResult convert(const std::vector<std::string>& args)
{
    return runChild(kProgram, args);
}

bool isJpeg(const Buf& bytes)
{
    return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

struct Jpeg
{
    int width = 0, height = 0, subsampling = -1;
    std::vector<std::uint8_t> rgb;
};

Jpeg decodeJpeg(const Buf& bytes)
{
    Jpeg j;
    tjhandle tj = tjInitDecompress();
    int colourspace = 0;
    tjDecompressHeader3(tj, bytes.data(), bytes.size(), &j.width, &j.height, &j.subsampling,
                        &colourspace);
    j.rgb.resize(static_cast<std::size_t>(j.width) * j.height * 3);
    tjDecompress2(tj, bytes.data(), bytes.size(), j.rgb.data(), j.width, 0, j.height, TJPF_RGB, 0);
    tjDestroy(tj);
    return j;
}

class Converter : public ::testing::Test
{
protected:
    TestFolder folder;
};

// A 1500x1500 BMP: its BMP output takes long enough to write that it can be cut off half way.
std::string writeBigSource(const TestFolder& folder)
{
    return folder.write("big.bmp", bmpFile(trueColour(1500, 24)));
}

#ifndef _WIN32
// How the file system and the limits treat the converter's writes.
struct WriteConditions
{
    bool unnamedFilesRefused = false; // as file systems without O_TMPFILE do
    rlim_t fileSizeLimit = RLIM_INFINITY;
};

// From here on every open of an unnamed file fails as on a file system without them.
bool refuseUnnamedFiles()
{
    constexpr std::uint32_t unnamed = O_TMPFILE & ~O_DIRECTORY;
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, unnamed, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{sizeof filter / sizeof filter[0], filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Runs the converter in a child that sets those conditions for itself first (exit 126 when it
// cannot).
ChildResult convertUnder(const WriteConditions& c, std::vector<std::string> args)
{
    args.insert(args.begin(), kProgram);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    FILE* errFile = std::tmpfile();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fileno(errFile), 2);
        const rlimit limit{c.fileSizeLimit, c.fileSizeLimit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0 ||
            (c.unnamedFilesRefused && !refuseUnnamedFiles()))
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ChildResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    lseek(fileno(errFile), 0, SEEK_SET);
    result.err = readAll(fileno(errFile));
    std::fclose(errFile);
    return result;
}

#endif

} // namespace

TEST_F(Converter, WindowCommandWritesTheCursorOnWhite)
{
    const std::string src = folder.write("arrow.ani", animation({cursorOf(monoArrow())}));
    const ChildResult r = windowCommand("85", folder / "arrow.jpg", src);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Buf out = TestFolder::read(folder / "arrow.jpg");
    ASSERT_TRUE(isJpeg(out));
    const Jpeg j = decodeJpeg(out);
    EXPECT_EQ(j.width, 32);
    EXPECT_EQ(j.subsampling, TJSAMP_444);
    auto grey = [&](int x, int y) { return j.rgb[(static_cast<std::size_t>(y) * 32 + x) * 3]; };
    EXPECT_GT(grey(20, 5), 240); // transparent: white
    EXPECT_GT(grey(1, 6), 240);  // the arrow's white inside
    EXPECT_LT(grey(0, 10), 40);  // its black outline
    EXPECT_LT(grey(27, 27), 40); // inverted pixels: black
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"arrow.ani", "arrow.jpg"}));
}

TEST_F(Converter, ContentDecidesNotTheExtension)
{
    const std::string src =
        folder.write("really-an-animation.cur", animation({tinyCursor(0x0000FF)}));
    EXPECT_EQ(windowCommand("50", folder / "a.jpg", src).exitCode, 0);
}

TEST_F(Converter, PngOutputKeepsEveryPixelAndBmpOutputIsLaidOnWhite)
{
    const Buf source = cursorOf(trueColour(32, 32));
    const std::string src = folder.write("c.cur", source);
    ASSERT_EQ(convert({"-out", "png", "-o", folder / "c.png", src}).exitCode, 0);
    ASSERT_EQ(convert({"-out", "bmp", "-o", folder / "c.bmp", src}).exitCode, 0);
    const nconv::Image expected = nconv::decodeImage(source);
    const nconv::Image png = nconv::decodeImage(TestFolder::read(folder / "c.png"));
    EXPECT_EQ(png.rgba, expected.rgba);
    const nconv::Image bmp = nconv::decodeImage(TestFolder::read(folder / "c.bmp"));
    const std::vector<std::uint8_t> white = nconv::flattenOnWhite(expected);
    ASSERT_EQ(bmp.rgba.size() / 4, white.size() / 3);
    for (std::size_t i = 0; i < white.size() / 3; ++i)
        ASSERT_EQ(bmp.rgba[i * 4 + 1], white[i * 3 + 1]) << i;
}

TEST_F(Converter, BackgroundIsWhatJpegBmpAndEveryFrameAreLaidOn)
{
    DibFields d = trueColour(2, 32);
    d.pixels = {0x80FF0000, 0x00000000, 0xFF00FF00, 0x40FFFFFF};
    d.mask.clear();
    const std::string src = folder.write("c.cur", cursorOf(d));
    const std::uint8_t dark = 0x20;
    // Red at half alpha, transparent, opaque green, white at a quarter, laid on #202020.
    const std::vector<std::uint8_t> want = {144, 16, 16, dark, dark, dark, 0, 255, 0, 88, 88, 88};
    for (const char* colour : {"#202020", "202020"}) {
        ASSERT_EQ(convert({"-out", "bmp", "-background", colour, "-overwrite", "-o",
                           folder / "c.bmp", src})
                      .exitCode,
                  0);
        const nconv::Image bmp = nconv::decodeImage(TestFolder::read(folder / "c.bmp"));
        std::vector<std::uint8_t> rgb;
        for (std::size_t p = 0; p < bmp.rgba.size(); p += 4)
            rgb.insert(rgb.end(), {bmp.rgba[p], bmp.rgba[p + 1], bmp.rgba[p + 2]});
        EXPECT_EQ(rgb, want) << colour;
    }
    // Every frame of an animation, and names in any case.
    const std::string ani = folder.write("a.ani", animation({cursorOf(d), cursorOf(d)}));
    ASSERT_EQ(
        convert({"-out", "bmp", "-frames", "-background", "BLACK", "-o", folder / "f.bmp", ani})
            .exitCode,
        0);
    const nconv::Image frame = nconv::decodeImage(TestFolder::read(folder / "f-2.bmp"));
    EXPECT_EQ(std::vector<std::uint8_t>(frame.rgba.begin() + 4, frame.rgba.begin() + 8),
              (std::vector<std::uint8_t>{0, 0, 0, 255}))
        << "transparent pixels on black";
    // White is the default, to the byte.
    ASSERT_EQ(convert({"-out", "jpeg", "-o", folder / "default.jpg", src}).exitCode, 0);
    ASSERT_EQ(convert({"-out", "jpeg", "-background", "#FFffFF", "-o", folder / "white.jpg", src})
                  .exitCode,
              0);
    EXPECT_EQ(TestFolder::read(folder / "default.jpg"), TestFolder::read(folder / "white.jpg"));
}

// --- Refusals through the program (the rules themselves: decode_test) --------------------

TEST_F(Converter, EveryTruncationOfASampleIsRefusedOrConverted)
{
    const Buf file = animation({cursorOf(monoArrow()), cursorOf(paletteDot(4))});
    for (std::size_t length = 0; length < file.size(); length += 37) {
        const std::string src = folder.write("t.ani", Buf(file.begin(), file.begin() + length));
        const ChildResult r = windowCommand("80", folder / "t.jpg", src);
        if (r.exitCode == 0) {
            EXPECT_TRUE(isJpeg(TestFolder::read(folder / "t.jpg"))) << length;
            std::filesystem::remove(folder / "t.jpg");
        } else {
            EXPECT_TRUE(r.exitCode == nconv::kExitDamaged || r.exitCode == nconv::kExitUnsupported)
                << length << r.err;
            EXPECT_EQ(lineCount(r.err), 1u) << length << r.err;
        }
        EXPECT_FALSE(std::filesystem::exists(folder / "t.jpg"));
    }
    EXPECT_EQ(folder.files(), std::vector<std::string>{"t.ani"});
}

// --- Command line --------------------------------------------------------------------------

TEST_F(Converter, UsageErrorsExitWithTwoAndShowTheUsage)
{
    const std::string src = folder.write("a.cur", tinyCursor(0x0000FF));
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"-out", "jpeg"},
        {src},
        {"-out", "jpeg", "-frobnicate", src},
        {"-out", "tiff", src},
        {"-out", "gif", "-frames", src},
        {"-out", "jpeg", "-strip", "vertical", src},
        {"-out", "png", "-strip", "diagonal", src},
        {"-out", "jpeg", src, src},
        {"-out", "jpeg", src, "-o"},
        {"-out", "jpeg", "-o", "", src},
        {"-out", "jpeg", src, "-q"},
        {src, "-out"},
        {"-out", "png", "-background", "black", src},
        {"-out", "webp", "-background", "white", src},
        {"-out", "png", "-strip", "vertical", "-background", "white", src},
        {"-out", "jpeg", "-background", "grey", src},
        {"-out", "gif", "-background", "#12345", src},
        {"-out", "gif", "-background", "#1234567", src},
        {"-out", "bmp", "-background", "12345g", src},
        {"-out", "jpeg", src, "-background"},
    };
    for (const auto& args : bad) {
        const ChildResult r = convert(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("usage: nconvert"), std::string::npos) << r.err;
    }
    EXPECT_EQ(folder.files(), std::vector<std::string>{"a.cur"});
}

TEST_F(Converter, QualityBounds)
{
    const std::string src = folder.write("a.cur", cursorOf(trueColour(32, 24)));
    for (const char* q : {"0", "101", "-5", "abc", "1.5", "", "0100"})
        EXPECT_EQ(windowCommand(q, folder / "x.jpg", src).exitCode, 2) << q;
    ASSERT_EQ(windowCommand("1", folder / "q1.jpg", src).exitCode, 0);
    ASSERT_EQ(windowCommand("100", folder / "q100.jpg", src).exitCode, 0);
    EXPECT_LT(TestFolder::read(folder / "q1.jpg").size(),
              TestFolder::read(folder / "q100.jpg").size());
}

TEST_F(Converter, ExistingOutputIsKeptUnlessOverwriteIsGiven)
{
    const std::string src = folder.write("a.cur", tinyCursor(0x0000FF));
    const std::string out = folder.write("a.jpg", Buf{'k', 'e', 'e', 'p'});
    const ChildResult kept = windowCommand("80", out, src);
    EXPECT_EQ(kept.exitCode, nconv::kExitOutputExists);
    EXPECT_EQ(lineCount(kept.err), 1u);
    EXPECT_NE(kept.err.find("output file already exists"), std::string::npos) << kept.err;
    EXPECT_EQ(TestFolder::read(out), (Buf{'k', 'e', 'e', 'p'}));

    const ChildResult replaced =
        convert({"-overwrite", "-q", "80", "-out", "jpeg", "-truecolors", "-o", out, src});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_TRUE(isJpeg(TestFolder::read(out)));
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"a.cur", "a.jpg"}));
}

// Both ways of writing: into an unnamed file, and where the file system refuses those, through
// a temporary name.
TEST_F(Converter, OutputNamesUpToTheFileSystemLimitAreWritten)
{
#ifdef _WIN32
    GTEST_SKIP() << "unnamed files and seccomp are Linux's; output_win_test writes names up to the "
                    "Windows limit";
#else
    const std::string src = folder.write("a.cur", tinyCursor(0x0000FF));
    std::string cjk;
    for (int i = 0; i < 85; ++i)
        cjk += "\xE6\x97\xA5"; // 3 bytes each
    const std::vector<std::string> names = {std::string(251, 'n') + ".jpg", cjk};
    for (const bool refused : {false, true}) {
        const WriteConditions c{refused};
        for (const std::string& name : names) {
            ASSERT_EQ(name.size(), 255u);
            const std::vector<std::string> args = {"-out", "jpeg", "-o", folder / name, src};
            const ChildResult r = convertUnder(c, args);
            EXPECT_EQ(r.exitCode, 0) << refused << r.err;
            std::vector<std::string> again = args;
            again.insert(again.begin(), "-overwrite");
            const ChildResult replaced = convertUnder(c, again);
            EXPECT_EQ(replaced.exitCode, 0) << refused << replaced.err;
            EXPECT_TRUE(isJpeg(TestFolder::read(folder / name))) << refused;
        }
        const ChildResult tooLong =
            convertUnder(c, {"-out", "jpeg", "-o", folder / (std::string(252, 'n') + ".jpg"), src});
        EXPECT_EQ(tooLong.exitCode, nconv::kExitCannotWrite) << refused;
        EXPECT_EQ(lineCount(tooLong.err), 1u) << tooLong.err;
        EXPECT_EQ(folder.files(), (std::vector<std::string>{"a.cur", names[0], names[1]}));
        for (const std::string& name : names)
            std::filesystem::remove(folder / name);
    }
#endif
}

// A write that fails half way (here at the file size limit) leaves no temporary file, and an
// existing file it was to replace stays as it was.
TEST_F(Converter, WriteCutShortLeavesNothingBehind)
{
#ifdef _WIN32
    GTEST_SKIP() << "no file size limit can cut a write short on Windows";
#else
    const std::string src = writeBigSource(folder);
    const std::string kept = folder.write("kept.bmp", Buf{'k'});
    for (const bool refused : {false, true})
        for (const bool overwrite : {false, true}) {
            std::vector<std::string> args = {"-out", "bmp", "-o",
                                             overwrite ? kept : folder / "o.bmp", src};
            if (overwrite)
                args.insert(args.begin(), "-overwrite");
            const ChildResult r = convertUnder({refused, 1 << 20}, args);
            EXPECT_EQ(r.exitCode, nconv::kExitCannotWrite) << refused << overwrite;
            EXPECT_EQ(lineCount(r.err), 1u) << r.err;
            EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
        }
    EXPECT_EQ(TestFolder::read(kept), Buf{'k'});
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"big.bmp", "kept.bmp"}));
#endif
}

// A host that made the empty output itself and keeps it open reads the image through its own
// descriptor; a write cut short empties that file again rather than leave part of an image.
TEST_F(Converter, AnEmptyOutputHeldOpenIsWrittenInPlace)
{
#ifdef _WIN32
    GTEST_SKIP() << "hosts that read back through their descriptor are Linux thumbnailers";
#else
    const std::string src = folder.write("a.cur", tinyCursor(0x0000FF));
    const std::string out = folder.write("held.png", Buf{});
    const int held = open(out.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    const ChildResult r = convert({"-out", "png", "-uncompressed", "-overwrite", "-o", out, src});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string seen = readAll(held);
    close(held);
    EXPECT_EQ(seen.substr(0, 4), "\x89PNG");

    const std::string big = writeBigSource(folder);
    const std::string cut = folder.write("cut.bmp", Buf{});
    const ChildResult r2 =
        convertUnder({false, 1 << 20}, {"-overwrite", "-out", "bmp", "-o", cut, big});
    EXPECT_EQ(r2.exitCode, nconv::kExitCannotWrite);
    EXPECT_NE(r2.err.find("cannot write"), std::string::npos) << r2.err;
    EXPECT_TRUE(TestFolder::read(cut).empty());
    EXPECT_EQ(folder.files(),
              (std::vector<std::string>{"a.cur", "big.bmp", "cut.bmp", "held.png"}));
#endif
}

// Killed the moment anything appears in the output folder: whatever is there must be the whole
// image, never a half-written or temporary file.
TEST_F(Converter, KilledWhileWritingLeavesNoFile)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "uses POSIX processes and signals; output_win_test kills the converter on Windows";
#else
    const std::string src = writeBigSource(folder);
    const std::string out = folder / "o.bmp";
    const std::vector<std::string> args = {kProgram, "-out", "bmp", "-o", out, src};
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, kProgram.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (folder.files().size() > 1) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        usleep(100);
    }
    const std::vector<std::string> left = folder.files();
    ASSERT_LE(left.size(), 2u);
    if (left.size() == 2) {
        ASSERT_EQ(left[1], "o.bmp");
        EXPECT_EQ(nconv::decodeImage(TestFolder::read(out)).width, 1500u);
    }
#endif
}

// Asked to end (as the window's Stop does) while it writes every frame, the converter leaves
// the whole set, having exited 0, or nothing at all: asked at the moment the k-th file appears,
// for several k.
TEST_F(Converter, AskedToEndLeavesAWholeSetOrNothing)
{
#ifdef _WIN32
    GTEST_SKIP() << "the window asks through an event on Windows; this sends POSIX signals";
#else
    constexpr std::size_t kSteps = 40;
    std::vector<testimg::Buf> frames;
    for (std::size_t i = 0; i < kSteps; ++i)
        frames.push_back(
            testimg::solidCursor(256, 0xff000000u | static_cast<std::uint32_t>(i * 6000)));
    const std::string src = folder.write("many.ani", testimg::animation(frames));
    for (const std::size_t k :
         {std::size_t{0}, std::size_t{1}, std::size_t{5}, kSteps - 1, kSteps}) {
        const std::string out = folder / ("set" + std::to_string(k) + ".png");
        const std::vector<std::string> args = {kProgram, "-out", "png", "-frames", "-o", out, src};
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const std::size_t before = folder.files().size();
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, kProgram.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        int status = 0;
        bool asked = false;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (!asked && folder.files().size() >= before + k) {
                kill(pid, SIGTERM);
                asked = true;
            }
            usleep(50);
        }
        const std::size_t made = folder.files().size() - before;
        if (WIFEXITED(status)) {
            EXPECT_EQ(WEXITSTATUS(status), nconv::kExitOk) << k;
            EXPECT_EQ(made, kSteps) << k;
        } else {
            EXPECT_EQ(WTERMSIG(status), SIGTERM) << k;
            EXPECT_EQ(made, 0u) << k;
        }
    }
#endif
}

TEST_F(Converter, AwkwardPathsArePassedThroughUnchanged)
{
    // Quotes cannot be part of a Windows name; characters a command shell treats specially can.
#ifdef _WIN32
    const std::string quoteName = "shell & (odd) ^ %PATH%/it's !here!.ani";
#else
    const std::string quoteName = "quote\"s/it's \"here\".ani";
#endif
    for (const std::string& name :
         std::vector<std::string>{"with space/my cursor.ani", quoteName,
                                  "n\xC3\xBCmlaut/\xE6\x97\xA5\xE6\x9C\xAC.ani", "-dash/-a.ani"}) {
        const std::string src = folder.write(name, animation({tinyCursor(0x0000FF)}));
        const std::string out = src.substr(0, src.size() - 4) + " out.jpg";
        const ChildResult r = windowCommand("90", out, src);
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
        EXPECT_TRUE(isJpeg(TestFolder::read(out))) << name;
    }
    // A source and an output whose own names start with a dash, given relative to the folder.
    const std::string src = folder.write("-b.ani", animation({tinyCursor(0x0000FF)}));
    const std::string cwdOut = folder / "-out.jpg";
    EXPECT_EQ(convert({"-out", "jpeg", "-o", cwdOut, "--", src}).exitCode, 0);
    EXPECT_TRUE(isJpeg(TestFolder::read(cwdOut)));
}

TEST_F(Converter, PathsLongerThanTheOldWindowsLimitWork)
{
    std::string deep = folder / "";
    while (deep.size() < 300)
        deep += std::string(40, 'd') + "/";
    ASSERT_TRUE(std::filesystem::create_directories(systemForm(deep)));
    const std::string src = folder.write("a.cur", tinyCursor(0x0000FF));
    const ChildResult r = windowCommand("80", deep + "a.jpg", src);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(isJpeg(TestFolder::read(utf8Of(systemForm(deep + "a.jpg")))));
}

TEST_F(Converter, OutputNameDefaultsToTheSourceName)
{
    const std::string a = folder.write("my.arrow.ANI", animation({tinyCursor(0x0000FF)}));
    const std::string b = folder.write(".ani", animation({tinyCursor(0x0000FF)}));
    EXPECT_EQ(convert({"-out", "jpeg", a}).exitCode, 0);
    EXPECT_EQ(convert({"-out", "png", b}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "my.arrow.jpg"));
    EXPECT_TRUE(std::filesystem::exists(folder / ".ani.png"));
}

TEST_F(Converter, FailuresToReadOrWriteAreOneLineWithTheirOwnExitCode)
{
    const std::string src = folder.write("a.cur", tinyCursor(0x0000FF));
    ChildResult r = windowCommand("80", folder / "missing folder/a.jpg", src);
    EXPECT_EQ(r.exitCode, nconv::kExitCannotWrite);
    EXPECT_EQ(lineCount(r.err), 1u);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;

    r = windowCommand("80", folder / "b.jpg", folder / "gone.ani");
    EXPECT_EQ(r.exitCode, nconv::kExitCannotRead);
    EXPECT_NE(r.err.find("cannot read the file"), std::string::npos) << r.err;

    r = windowCommand("80", folder / "b.jpg", utf8Of(folder.path()));
    EXPECT_EQ(r.exitCode, nconv::kExitCannotRead);
    EXPECT_NE(r.err.find("it is a folder"), std::string::npos) << r.err;

    r = windowCommand("80", folder / "b.jpg", folder.write("empty.ani", {}));
    EXPECT_EQ(r.exitCode, nconv::kExitUnsupported);
    EXPECT_NE(r.err.find("not a cursor, icon, BMP or PNG file"), std::string::npos) << r.err;
    std::filesystem::remove(folder / "empty.ani");

    Buf cut = tinyCursor(0x0000FF);
    cut.resize(cut.size() - 3);
    r = windowCommand("80", folder / "b.jpg", folder.write("cut.cur", cut));
    EXPECT_EQ(r.exitCode, nconv::kExitDamaged) << r.err;
    std::filesystem::remove(folder / "cut.cur");

    // A pipe or a device is refused before anything is read from it: a named pipe with no
    // writer would otherwise keep the converter waiting for good.
#ifdef _WIN32
    const std::vector<std::string> notFiles = {"NUL"};
#else
    const std::string pipe = folder / "pipe.ani";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::vector<std::string> notFiles = {"/dev/null", "/dev/zero", pipe};
#endif
    for (const std::string& notFile : notFiles) {
        r = windowCommand("80", folder / "b.jpg", notFile);
        EXPECT_EQ(r.exitCode, nconv::kExitCannotRead) << notFile;
        EXPECT_EQ(lineCount(r.err), 1u) << r.err;
        EXPECT_NE(r.err.find("not a file"), std::string::npos) << r.err;
    }
#ifndef _WIN32
    std::filesystem::remove(pipe);
#endif

#ifndef _WIN32 // Windows names hold no line breaks
    const std::string odd = folder.write("line\nbreak.ani", Buf{1, 2, 3});
    r = windowCommand("80", folder / "c.jpg", odd);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"a.cur", "line\nbreak.ani"}));
#endif
}
