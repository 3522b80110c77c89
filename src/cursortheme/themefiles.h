#pragma once
// The file system calls a theme needs that differ between systems.
#include <filesystem>

namespace ctheme {

// Renames the folder `from` to `to` unless `to` exists; false (nothing moved) when it does.
// Throws ThemeError (CannotWrite) for any other failure.
bool moveFolderIfFree(const std::filesystem::path& from, const std::filesystem::path& to);

// A relative symbolic link `link` -> `target` (a name in the same folder); false where links
// cannot be made (Windows, FAT), and the caller copies instead.
bool makeLink(const std::filesystem::path& link, const std::filesystem::path& target);

// See themesInstallHere(), userThemesFolder() and linkForOlderReaders() in themewriter.h.
bool themesInstallHereOnThisSystem();
std::filesystem::path userThemesFolderHere();
std::filesystem::path olderReadersFolderHere();

} // namespace ctheme
