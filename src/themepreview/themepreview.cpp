#include "themepreview.h"

#include "themepack.h"
#include "xcursor.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace themepreview {
namespace {

std::string trimmed(std::string text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && space(text.back()))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && space(text[start]))
        ++start;
    return text.substr(start);
}

// Name= of the [Icon Theme] section.
std::string themeName(const fs::path& index)
{
    std::ifstream in(index);
    bool inSection = false;
    for (std::string line; std::getline(in, line);) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[Icon Theme]";
            continue;
        }
        if (inSection && line.rfind("Name=", 0) == 0)
            return trimmed(line.substr(5));
    }
    return {};
}

std::vector<std::uint8_t> readFile(const fs::path& path)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error)
        throw std::runtime_error("cannot read the file: " + error.message());
    if (size > kMaxCursorFileBytes)
        throw std::runtime_error("the file is too large to show");
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in)
        throw std::runtime_error("cannot read the file");
    return bytes;
}

RoleCursor readRole(const ctheme::RoleInfo& info, const fs::path& cursors, std::uint32_t size)
{
    RoleCursor cursor;
    cursor.role = info.role;
    cursor.label = std::string(info.label);
    cursor.cursor = std::string(info.linuxNames.front());
    const fs::path file = cursors / ctheme::pathFromUtf8(cursor.cursor);
    std::error_code error;
    if (!fs::exists(file, error)) {
        cursor.problem = "not in this theme; the inherited theme's cursor shows";
        return cursor;
    }
    try {
        const std::vector<std::uint8_t> bytes = readFile(file);
        const std::vector<nconv::XcursorImage> images = nconv::readXcursor(bytes);
        for (const nconv::XcursorImage* image : nconv::imagesForSize(images, size))
            cursor.steps.push_back({image->image, image->delay});
        if (cursor.steps.empty())
            cursor.problem = "the cursor file holds no image";
    } catch (const std::exception& e) {
        cursor.problem = e.what();
    }
    return cursor;
}

} // namespace

std::uint64_t RoleCursor::duration() const
{
    std::uint64_t total = 0;
    for (const Step& step : steps)
        total += std::max<std::uint32_t>(step.delay, 1);
    return total;
}

std::size_t RoleCursor::stepAt(std::uint64_t elapsed) const
{
    if (steps.size() < 2)
        return 0;
    std::uint64_t time = elapsed % duration();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::uint64_t delay = std::max<std::uint32_t>(steps[i].delay, 1);
        if (time < delay)
            return i;
        time -= delay;
    }
    return steps.size() - 1;
}

ThemePreview readThemePreview(const fs::path& folder, std::uint32_t size)
{
    const fs::path index = folder / "index.theme";
    const fs::path cursors = folder / "cursors";
    std::error_code error;
    if (!fs::is_regular_file(index, error) || !fs::is_directory(cursors, error))
        throw std::runtime_error(ctheme::utf8Of(folder) + " holds no cursor theme");
    ThemePreview theme;
    theme.name = themeName(index);
    if (theme.name.empty())
        theme.name = ctheme::utf8Of(folder.filename());
    for (const ctheme::RoleInfo& info : ctheme::roleTable())
        theme.roles.push_back(readRole(info, cursors, size));
    return theme;
}

} // namespace themepreview
