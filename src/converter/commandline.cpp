#include "commandline.h"

#include "animationoutput.h"
#include "cmdargs.h"
#include "decode.h"
#include "fileio.h"
#include "pngstored.h"
#include "scale.h"
#include "themecommand.h"
#include "xcursoroutput.h"

#include <memory>
#include <utility>
#include <vector>

namespace nconv {
namespace {

int parseQuality(const std::string& text)
{
    if (text.empty() || text.size() > 3)
        throw UsageError("-q needs a whole number from 1 to 100, not \"" + text + "\"");
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            throw UsageError("-q needs a whole number from 1 to 100, not \"" + text + "\"");
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 100)
        throw UsageError("-q needs a whole number from 1 to 100, not \"" + text + "\"");
    return value;
}

std::uint32_t parseFitSize(const std::string& text)
{
    std::uint32_t value = 0;
    const bool digits = !text.empty() && text.size() <= 4 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    if (digits)
        for (char c : text)
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
    if (!digits || value < 1 || value > kMaxFitSize)
        throw UsageError("-size needs a whole number from 1 to " + std::to_string(kMaxFitSize) +
                         ", not \"" + text + "\"");
    return value;
}

OutputFormat parseFormat(const std::string& text)
{
    std::string lower;
    for (char c : text)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "jpeg" || lower == "jpg")
        return OutputFormat::Jpeg;
    if (lower == "png")
        return OutputFormat::Png;
    if (lower == "bmp")
        return OutputFormat::Bmp;
    if (lower == "gif")
        return OutputFormat::Gif;
    if (lower == "webp")
        return OutputFormat::Webp;
    if (lower == "xcursor")
        return OutputFormat::Xcursor;
    throw UsageError("unknown output format \"" + text +
                     "\" (use jpeg, png, bmp, gif, webp or xcursor)");
}

Rgb parseBackground(const std::string& text)
{
    if (const std::optional<Rgb> colour = parseColour(text))
        return *colour;
    throw UsageError("-background needs #RRGGBB, RRGGBB, white or black, not \"" + text + "\"");
}

Strip parseStrip(const std::string& text)
{
    if (text == "vertical")
        return Strip::Vertical;
    if (text == "horizontal")
        return Strip::Horizontal;
    throw UsageError("-strip needs vertical or horizontal, not \"" + text + "\"");
}

// Paths are printed on one line whatever they contain.
std::string printable(const std::string& text)
{
    std::string out;
    for (unsigned char c : text)
        out += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    return out;
}

const char* extensionOf(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Png:
        return ".png";
    case OutputFormat::Bmp:
        return ".bmp";
    case OutputFormat::Gif:
        return ".gif";
    case OutputFormat::Webp:
        return ".webp";
    case OutputFormat::Xcursor:
        return ""; // Linux cursors are files without an extension
    case OutputFormat::Jpeg:
        break;
    }
    return ".jpg";
}

void writeStoredPreview(RowSource& source, std::uint32_t fitSize, const ByteSink& sink)
{
    if (fitSize == 0) {
        writePngStored(source, sink);
        return;
    }
    FittedRows rows(source, fitSize);
    writePngStored(rows, sink);
}

} // namespace

const char* const kUsage =
    "usage: nconvert [-q N] -out FORMAT [-truecolors] [-size N] [-uncompressed] [-frames]\n"
    "                [-strip vertical|horizontal] [-background COLOUR] [-o OUTPUT]\n"
    "                [-overwrite] SOURCE\n"
    "       nconvert -info SOURCE\n"
    "       nconvert -theme INF_OR_FOLDER [-sizes LIST] [-o OUTDIR] [--install]\n"
    "  -out FORMAT  jpeg (or jpg), png or bmp: the first frame shown;\n"
    "               gif or webp: the whole animation, looping forever;\n"
    "               xcursor: a Linux cursor, every step at every size\n"
    "  -q N         JPEG quality, 1 to 100 (default 90); with webp, lossy at that quality\n"
    "               (without it, lossless)\n"
    "  -frames      with png, jpeg or bmp: one file per step, OUTPUT-01.png, ...\n"
    "  -strip DIR   with png: all steps in one picture, vertical or horizontal\n"
    "  -info        print each step (frame, duration, size, hot spot); write nothing\n"
    "  -background COLOUR  with jpeg, bmp or gif: what partly transparent pixels are laid\n"
    "               on, #RRGGBB, RRGGBB, white (the default) or black; a GIF then fits a\n"
    "               page of that colour\n"
    "  -truecolors  accepted; output is always true colour\n"
    "  -size N      fit within N x N pixels (1 to 4096): small pictures grow by a whole\n"
    "               factor, large ones shrink smoothly\n"
    "  -uncompressed  with -out png: store the pixels without compressing them, for a\n"
    "               preview its reader decodes at once\n"
    "  -sizes LIST  with xcursor or -theme: the cursor sizes to hold, such as 24,32,48,64\n"
    "               (default: the sizes in the file, plus 48 and 64 when it has only 32)\n"
    "  -theme PACK  a Windows cursor theme (its .inf, or its folder) made into Linux cursor\n"
    "               themes in OUTDIR, one per scheme; a report goes to standard output\n"
    "  --install    with -theme: also install the themes for this user\n"
    "  -o OUTPUT    the file to write (default: SOURCE's name with the format's extension)\n"
    "  -overwrite   replace OUTPUT if it exists\n"
    "  --version    print the version and exit\n"
    "  --           ends the options (for a SOURCE whose name starts with a dash)\n";

Options parseArguments(std::span<const std::string> args)
{
    Options options;
    bool haveFormat = false, haveSource = false, optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            return args[++i];
        };
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--")
                optionsEnded = true;
            else if (arg == "-q")
                options.quality = parseQuality(value()), options.qualityGiven = true;
            else if (arg == "-frames")
                options.frames = true;
            else if (arg == "-strip")
                options.strip = parseStrip(value());
            else if (arg == "-info")
                options.info = true;
            else if (arg == "-background")
                options.background = parseBackground(value()), options.backgroundGiven = true;
            else if (arg == "-sizes")
                options.sizes = parseSizes(value());
            else if (arg == "-theme") {
                options.theme = value();
                if (options.theme.empty())
                    throw UsageError("the theme pack's name is empty");
            } else if (arg == "--install")
                options.install = true;
            else if (arg == "-size")
                options.fitSize = parseFitSize(value());
            else if (arg == "-uncompressed")
                options.uncompressed = true;
            else if (arg == "-out")
                options.format = parseFormat(value()), haveFormat = true;
            else if (arg == "-o") {
                options.output = value();
                if (options.output.empty())
                    throw UsageError("the output file name is empty");
            } else if (arg == "-overwrite")
                options.overwrite = true;
            else if (arg == "-truecolors")
                ;
            else if (arg == "-h" || arg == "-help" || arg == "--help")
                options.help = true;
            else if (arg == "--version")
                options.version = true;
            else
                throw UsageError("unknown option " + arg);
            continue;
        }
        if (haveSource)
            throw UsageError("more than one source file given");
        options.source = arg;
        haveSource = true;
    }
    if (options.help || options.version)
        return options;
    if (!options.theme.empty() || options.install) {
        if (options.backgroundGiven)
            throw UsageError("-background does not go with -theme (Linux cursors keep "
                             "transparency)");
        checkThemeOptions(options, haveFormat, haveSource);
        return options;
    }
    if (!options.sizes.empty() && options.format != OutputFormat::Xcursor)
        throw UsageError("-sizes needs -out xcursor or -theme");
    if (!haveFormat && !options.info)
        throw UsageError("-out FORMAT is missing");
    if (!haveSource)
        throw UsageError("no source file given");
    if (options.source.empty())
        throw UsageError("the source file name is empty");
    if (options.uncompressed && options.format != OutputFormat::Png)
        throw UsageError("-uncompressed needs -out png");
    const bool still = options.format == OutputFormat::Jpeg ||
                       options.format == OutputFormat::Png || options.format == OutputFormat::Bmp;
    if (options.frames && !still)
        throw UsageError("-frames needs -out png, jpeg or bmp");
    if (options.strip != Strip::None && options.format != OutputFormat::Png)
        throw UsageError("-strip needs -out png");
    if (options.frames && options.strip != Strip::None)
        throw UsageError("-frames and -strip cannot be used together");
    if (options.backgroundGiven &&
        (options.format == OutputFormat::Png || options.format == OutputFormat::Webp ||
         options.format == OutputFormat::Xcursor))
        throw UsageError("-background needs -out jpeg, bmp or gif (png, webp and Linux cursors "
                         "keep transparency)");
    if (options.uncompressed && (options.frames || options.strip != Strip::None))
        throw UsageError("-uncompressed writes the first frame only");
    if (options.format == OutputFormat::Xcursor && options.fitSize != 0)
        throw UsageError("-size fits pictures; a Linux cursor takes -sizes");
    return options;
}

std::string defaultOutputPath(const std::string& source, OutputFormat format)
{
    return source.substr(0, extensionStart(source)) + extensionOf(format);
}

int runConverter(std::span<const std::string> args, std::FILE* out, std::FILE* err)
{
    Options options;
    try {
        options = parseArguments(args);
    } catch (const UsageError& e) {
        std::fprintf(err, "nconvert: %s\n%s", e.what(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, out);
        return kExitOk;
    }
    if (options.version) {
        std::fputs("nconvert " CORVENDA_VERSION "\n", out);
        return kExitOk;
    }
    if (!options.theme.empty())
        return runThemeCommand(options, out, err);
    const std::string output =
        options.output.empty() ? defaultOutputPath(options.source, options.format) : options.output;
    auto report = [&](const std::string& reason, int code) {
        const std::string line =
            "nconvert: " + printable(options.source) + ": " + printable(reason) + "\n";
        std::fputs(line.c_str(), err);
        return code;
    };
    try {
        if (!options.info && !writesSeveralFiles(options)) {
            if (!options.overwrite && outputExists(output))
                throw OutputExistsError(output);
            expectOutputs({output}, options.overwrite);
        }
        const SourceFile source(options.source, kMaxSourceBytes);
        if (options.format == OutputFormat::Xcursor && !options.info) {
            convertToXcursor(source.bytes(), options.sizes, output, options.overwrite);
            return kExitOk;
        }
        if (wantsAnimation(options)) {
            convertAnimation(source.bytes(), options, output, out);
            return kExitOk;
        }
        if (options.uncompressed) {
            // A preview goes to the file as its rows are decoded and made: most of what a
            // preview costs is the memory it touches.
            std::unique_ptr<RowSource> rows = decodeRows(source.bytes());
            writeFileAtomically(
                output,
                [&](const ByteSink& sink) {
                    // Rows are read once: should the file be written a second way, start over.
                    const std::unique_ptr<RowSource> these =
                        rows ? std::move(rows) : decodeRows(source.bytes());
                    writeStoredPreview(*these, options.fitSize, sink);
                },
                options.overwrite);
            return kExitOk;
        }
        Image image = decodeImage(source.bytes());
        if (options.fitSize != 0)
            image = fitWithin(image, options.fitSize);
        writeFileAtomically(output,
                            encodeImage(image, options.format, options.quality, options.background),
                            options.overwrite);
    } catch (const std::bad_alloc&) {
        return report("not enough memory to convert the file", kExitFailed);
    } catch (const std::exception& e) {
        return report(e.what(), exitCodeFor(e));
    }
    return kExitOk;
}

int exitCodeFor(const std::exception& failure)
{
    if (const auto* decode = dynamic_cast<const DecodeError*>(&failure)) {
        switch (decode->kind()) {
        case ErrorKind::Damaged:
            return kExitDamaged;
        case ErrorKind::NotRecognised:
        case ErrorKind::Unsupported:
            return kExitUnsupported;
        case ErrorKind::TooLarge:
            return kExitTooLarge;
        }
    }
    if (dynamic_cast<const OutputExistsError*>(&failure))
        return kExitOutputExists;
    if (dynamic_cast<const OutputError*>(&failure))
        return kExitCannotWrite;
    if (const auto* read = dynamic_cast<const ReadError*>(&failure))
        return read->tooLarge() ? kExitTooLarge : kExitCannotRead;
    if (dynamic_cast<const UsageError*>(&failure))
        return kExitUsage;
    return kExitFailed;
}

} // namespace nconv
