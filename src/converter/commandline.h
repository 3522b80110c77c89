#pragma once
// nconvert's command line:
//   nconvert [-q N] -out FORMAT [-truecolors] [-size N] [-uncompressed] [-frames]
//            [-strip vertical|horizontal] [-background COLOUR] [-o OUTPUT] [-overwrite] SOURCE
//   nconvert -info SOURCE
//   nconvert -out xcursor [-sizes LIST] [-o OUTPUT] [-overwrite] SOURCE
//   nconvert -theme INF_OR_FOLDER [-sizes LIST] [-o OUTDIR] [--install]
#include "encode.h"
#include "exitcodes.h"

#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace nconv {

// Sources larger than this are refused before reading: no accepted image needs more.
inline constexpr std::uint64_t kMaxSourceBytes = 512ull * 1024 * 1024;

enum class Strip { None, Vertical, Horizontal };

struct Options
{
    int quality = 90;
    bool qualityGiven = false; // -q: makes WebP output lossy
    OutputFormat format = OutputFormat::Jpeg;
    std::uint32_t fitSize = 0; // -size: fit within fitSize x fitSize; 0 keeps the decoded size
    bool uncompressed = false; // -uncompressed: PNG pixels stored as they are
    bool frames = false;       // -frames: one file per step
    Strip strip = Strip::None; // -strip: all steps in one picture
    bool info = false;         // -info: describe the steps, write nothing
    Rgb background = kWhite;   // -background: what JPEG, BMP and GIF lay pixels on
    bool backgroundGiven = false;
    std::vector<std::uint32_t> sizes; // -sizes: Xcursor sizes; empty: those of the source
    std::string theme;                // -theme: a Windows theme pack made into Linux themes
    bool install = false;             // --install: the themes also go where desktops read them
    std::string output;               // empty: beside the source, named after it
    bool overwrite = false;
    std::string source;
    bool help = false;
    bool version = false;
};

class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

extern const char* const kUsage;

// Arguments without the program name. Throws UsageError.
Options parseArguments(std::span<const std::string> args);

// The source's file name without its last extension, plus the format's extension, in the
// source's folder. A leading dot does not start an extension (".ani" gives ".ani.jpg").
std::string defaultOutputPath(const std::string& source, OutputFormat format);

// The exit code for a failure that ended a conversion.
int exitCodeFor(const std::exception& failure);

// The whole program: returns the exit status; messages go to `err` (one line on failure).
int runConverter(std::span<const std::string> args, std::FILE* out, std::FILE* err);

} // namespace nconv
