#include "themeerror.h"
#include "themefiles.h"
#include "themepack.h"

#include <windows.h>

namespace fs = std::filesystem;

namespace ctheme {

bool moveFolderIfFree(const fs::path& from, const fs::path& to)
{
    // Without MOVEFILE_REPLACE_EXISTING an existing name is never replaced.
    if (::MoveFileExW(from.c_str(), to.c_str(), 0))
        return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return false;
    throw ThemeError(ThemeError::Kind::CannotWrite,
                     "cannot write " + utf8Of(to) + ": " +
                         std::system_category().message(static_cast<int>(error)));
}

// A theme made here is for a Linux machine; Windows links would not survive the copy there.
bool makeLink(const fs::path&, const fs::path&)
{
    return false;
}

bool themesInstallHereOnThisSystem()
{
    return false;
}

fs::path userThemesFolderHere()
{
    throw ThemeError(ThemeError::Kind::NotHere,
                     "cannot install here: Linux cursor themes are installed on Linux (copy the "
                     "theme folder to ~/.local/share/icons there)");
}

fs::path olderReadersFolderHere()
{
    return userThemesFolderHere();
}

} // namespace ctheme
