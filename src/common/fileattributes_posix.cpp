#include "fileattributes.h"

#include <QFile>
#include <sys/stat.h>

std::optional<std::uint32_t> FileAttributes(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray encoded = QFile::encodeName(path);
    struct stat link
    {
    };
    if (::lstat(encoded.constData(), &link) != 0)
        return std::nullopt;
    struct stat target = link;
    std::uint32_t value = 0;
    if (S_ISLNK(link.st_mode)) {
        value |= FileAttribute::kReparsePoint;
        if (::stat(encoded.constData(), &target) != 0)
            target = link;
    }
    if (S_ISDIR(target.st_mode))
        value |= FileAttribute::kDirectory;
    if ((target.st_mode & S_IWUSR) == 0)
        value |= FileAttribute::kReadOnly;
    QString name = path;
    while (name.size() > 1 && name.endsWith(QLatin1Char('/')))
        name.chop(1);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") &&
        name != QLatin1String(".."))
        value |= FileAttribute::kHidden;
    return value;
}
