#include "themeerror.h"
#include "themefiles.h"
#include "themepack.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace ctheme {
namespace {

[[noreturn]] void cannotWrite(const fs::path& path, int error)
{
    throw ThemeError(ThemeError::Kind::CannotWrite,
                     "cannot write " + utf8Of(path) + ": " + std::strerror(error));
}

} // namespace

bool moveFolderIfFree(const fs::path& from, const fs::path& to)
{
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST || errno == ENOTEMPTY)
        return false;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        cannotWrite(to, errno);
#endif
    // rename() would replace an empty folder of that name: the name is claimed first, and only
    // our own empty folder is replaced.
    if (mkdir(to.c_str(), 0777) != 0) {
        if (errno == EEXIST)
            return false;
        cannotWrite(to, errno);
    }
    if (rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        rmdir(to.c_str());
        cannotWrite(to, error);
    }
    return true;
}

bool makeLink(const fs::path& link, const fs::path& target)
{
    if (symlink(target.c_str(), link.c_str()) == 0)
        return true;
    if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS)
        return false;
    cannotWrite(link, errno);
}

bool themesInstallHereOnThisSystem()
{
    return true;
}

namespace {

fs::path homeFolder()
{
    // Only the environment: the converter is linked statically, where looking the user up in
    // the system's databases would load shared libraries of another C library.
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/')
        throw ThemeError(ThemeError::Kind::NotHere,
                         "cannot install: no home folder is known (HOME is not set)");
    return home;
}

} // namespace

fs::path userThemesFolderHere()
{
    // XDG_DATA_HOME counts only when absolute, as the XDG base directory rules say.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return fs::path(data) / "icons";
    return homeFolder() / ".local" / "share" / "icons";
}

fs::path olderReadersFolderHere()
{
    return homeFolder() / ".icons";
}

} // namespace ctheme
