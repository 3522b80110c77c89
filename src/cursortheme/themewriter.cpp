#include "themewriter.h"

#include "themeerror.h"
#include "themefiles.h"
#include "themepack.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace ctheme {
namespace {

// Longer names are cut at a character boundary: file systems limit a name to 255 bytes.
constexpr std::size_t kMaxFolderName = 120;

[[noreturn]] void cannotWrite(const fs::path& path, const std::string& why)
{
    throw ThemeError(ThemeError::Kind::CannotWrite, "cannot write " + utf8Of(path) + ": " + why);
}

void writeBytes(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        cannotWrite(path, "the file could not be written (is the disk full?)");
}

// One line of index.theme: no line breaks inside.
std::string oneLine(std::string_view text)
{
    std::string out;
    for (char c : text)
        out += (c == '\n' || c == '\r') ? ' ' : c;
    return out;
}

} // namespace

std::string themeFolderName(std::string_view themeName)
{
    std::string name;
    for (char c : themeName) {
        const auto u = static_cast<unsigned char>(c);
        const bool refused = u < 0x20 || u == 0x7F ||
                             std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
        name += refused ? '_' : c;
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
    name.erase(0, std::min(name.size(), name.find_first_not_of(' ')));
    if (name.size() > kMaxFolderName) {
        std::size_t cut = kMaxFolderName;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    if (name.empty())
        return "Cursors";
    if (name.front() == '.')
        name.front() = '_'; // a hidden folder would not be listed by theme choosers
    // Names Windows keeps for devices.
    std::string upper;
    for (char c : name.substr(0, name.find('.')))
        upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    static constexpr std::array<std::string_view, 22> kDevices = {
        "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
        "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    if (std::find(kDevices.begin(), kDevices.end(), upper) != kDevices.end())
        name += '_';
    return name;
}

ThemeFolderBuilder::ThemeFolderBuilder(fs::path parent) : parent_(std::move(parent))
{
    std::error_code error;
    fs::create_directories(parent_, error);
    if (error)
        cannotWrite(parent_, error.message());
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        const fs::path candidate = parent_ / (std::string(".nconvert-theme-") + suffix);
        if (fs::create_directory(candidate, error)) {
            staging_ = candidate;
            break;
        }
        if (error)
            cannotWrite(candidate, error.message());
    }
    if (staging_.empty())
        cannotWrite(parent_, "no free temporary name");
    fs::create_directory(staging_ / "cursors", error);
    if (error)
        cannotWrite(staging_ / "cursors", error.message());
}

ThemeFolderBuilder::~ThemeFolderBuilder()
{
    if (!finished_ && !staging_.empty()) {
        std::error_code ignored;
        fs::remove_all(staging_, ignored);
    }
}

std::string ThemeFolderBuilder::addCursor(CursorRole role, std::span<const std::uint8_t> xcursor)
{
    const fs::path folder = staging_ / "cursors";
    const auto names = roleInfo(role).linuxNames;
    const fs::path file = pathFromUtf8(names.front());
    writeBytes(folder / file, xcursor);
    for (std::size_t i = 1; i < names.size(); ++i) {
        const fs::path link = folder / pathFromUtf8(names[i]);
        if (makeLink(link, file))
            continue;
        std::error_code error;
        fs::copy_file(folder / file, link, error);
        if (error)
            cannotWrite(link, error.message());
    }
    return std::string(names.front());
}

ThemeFolderBuilder::Finished ThemeFolderBuilder::finish(const std::string& themeName,
                                                        const std::string& comment)
{
    const std::string folderName = themeFolderName(themeName);
    for (int number = 1; number <= 1000; ++number) {
        const std::string suffix = number == 1 ? "" : " (" + std::to_string(number) + ")";
        const std::string index = "[Icon Theme]\nName=" + oneLine(themeName) + suffix +
                                  "\nComment=" + oneLine(comment) +
                                  "\nInherits=" + std::string(kInheritedTheme) + "\n";
        writeBytes(staging_ / "index.theme",
                   {reinterpret_cast<const std::uint8_t*>(index.data()), index.size()});
        const fs::path target = parent_ / pathFromUtf8(folderName + suffix);
        if (moveFolderIfFree(staging_, target)) {
            finished_ = true;
            return {target, themeName + suffix};
        }
    }
    cannotWrite(parent_ / pathFromUtf8(folderName), "a thousand themes of that name are there");
}

fs::path userThemesFolder()
{
    return userThemesFolderHere();
}

bool themesInstallHere()
{
    return themesInstallHereOnThisSystem();
}

fs::path linkForOlderReaders(const fs::path& installedTheme)
{
    try {
        const fs::path folder = olderReadersFolderHere();
        std::error_code error;
        if (fs::equivalent(folder, installedTheme.parent_path(), error))
            return {};
        fs::create_directories(folder, error);
        const fs::path link = folder / installedTheme.filename();
        // Fails, replacing nothing, when the name is taken.
        fs::create_directory_symlink(installedTheme, link, error);
        return error ? fs::path() : link;
    } catch (const ThemeError&) {
        return {};
    }
}

} // namespace ctheme
