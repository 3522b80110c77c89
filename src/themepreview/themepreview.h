#pragma once
// A Linux cursor theme as a preview shows it: each Windows role's cursor read back from the
// theme's files, every step with its delay and hot spot, so a user sees the theme before using it.
//
//   const themepreview::ThemePreview theme = themepreview::readThemePreview(folder, 48);
//   for (const themepreview::RoleCursor& cursor : theme.roles) ...
#include "cursorroles.h"
#include "image.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace themepreview {

struct Step
{
    nconv::Image image;      // straight RGBA, with its hot spot
    std::uint32_t delay = 0; // milliseconds
};

struct RoleCursor
{
    ctheme::CursorRole role = ctheme::CursorRole::Arrow;
    std::string label;  // what Windows calls it ("Normal Select")
    std::string cursor; // its file in the theme's cursors folder ("default")
    // Empty when the theme has no cursor for the role; `problem` then says why.
    std::vector<Step> steps;
    std::string problem;

    // The whole animation; a step of no time counts as 1 ms, as desktops show it.
    std::uint64_t duration() const;
    // The step shown `elapsed` milliseconds after the animation began; it plays in a loop.
    std::size_t stepAt(std::uint64_t elapsed) const;
};

struct ThemePreview
{
    std::string name;              // as index.theme names it, else the folder's name
    std::vector<RoleCursor> roles; // every role, in the order of a Windows scheme
};

// A cursor file larger than this is not read for a preview.
inline constexpr std::uintmax_t kMaxCursorFileBytes = 64 * 1024 * 1024;

// Reads the theme in `folder`, each cursor at the nominal size nearest `size`. A cursor that is
// not there or cannot be read leaves its role without steps, with the reason. Throws
// std::runtime_error when the folder holds no theme (no index.theme, no cursors folder).
ThemePreview readThemePreview(const std::filesystem::path& folder, std::uint32_t size);

} // namespace themepreview
