#pragma once
// Writing a Linux cursor theme: <folder>/<name>/index.theme and cursors/<name> for every role,
// with the other names Linux programs ask for as links to it.
#include "cursorroles.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace ctheme {

// The theme desktops fall back on for cursors a theme lacks. Adwaita comes with GTK, so it is
// there on GNOME, XFCE, Cinnamon, MATE and nearly every KDE desktop too (any GTK program brings
// it); a theme that is not there is passed over, leaving the X server's own cursors.
inline constexpr std::string_view kInheritedTheme = "Adwaita";

// A theme's name as a folder name that every system accepts: characters Windows refuses in
// names ( < > : " / \ | ? * and control characters) become '_', trailing dots and spaces go, an
// empty name becomes "Cursors".
std::string themeFolderName(std::string_view themeName);

// Builds a theme in a hidden folder beside its final place and moves it there whole, so a theme
// folder never appears half written. A folder of that name already there is never replaced:
// the theme takes "Name (2)", "Name (3)" ... (its index.theme then says so too).
class ThemeFolderBuilder
{
public:
    // Creates `parent` when it is missing. Throws ThemeError (CannotWrite).
    explicit ThemeFolderBuilder(std::filesystem::path parent);
    ~ThemeFolderBuilder(); // removes the hidden folder unless finished
    ThemeFolderBuilder(const ThemeFolderBuilder&) = delete;
    ThemeFolderBuilder& operator=(const ThemeFolderBuilder&) = delete;

    // cursors/<first Linux name> holding `xcursor`, and the role's other names as relative
    // links to it (copies where the file system or the system has no links). Returns the name.
    std::string addCursor(CursorRole role, std::span<const std::uint8_t> xcursor);

    // Writes index.theme and moves the theme into place.
    struct Finished
    {
        std::filesystem::path folder;
        std::string name; // as index.theme gives it: "Name (2)" when numbered
    };
    Finished finish(const std::string& themeName, const std::string& comment);

private:
    std::filesystem::path parent_;
    std::filesystem::path staging_;
    bool finished_ = false;
};

// Where cursor themes of this user are read: $XDG_DATA_HOME/icons, else ~/.local/share/icons.
// libXcursor (1.2.0 and later), libwayland-cursor, GTK, Qt and the settings of GNOME, KDE and
// XFCE all look there. Throws ThemeError (NotHere) on Windows and without a home folder.
std::filesystem::path userThemesFolder();
// Whether this system has such a folder at all (not Windows).
bool themesInstallHere();

// libXcursor as some systems build it (Debian's, up to Debian 12 at least) reads the themes of
// a user from ~/.icons alone. Makes ~/.icons/<the installed theme's folder name> a link to the
// installed theme, so those readers find it too, unless something of that name is there (it is
// never replaced) or the theme is in ~/.icons already. Returns the link made, else "".
std::filesystem::path linkForOlderReaders(const std::filesystem::path& installedTheme);

} // namespace ctheme
