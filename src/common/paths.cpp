#include "paths.h"

#include "apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString FileNameOf(const QString& path, const PathStyle& style)
{
    const qsizetype pos = path.lastIndexOf(style.separator);
    return pos < 0 ? path : path.mid(pos + 1);
}

QString FolderOf(const QString& path, const PathStyle& style)
{
    const qsizetype pos = path.lastIndexOf(style.separator);
    return pos < 0 ? QString() : path.left(pos + 1);
}

QString StripExtension(const QString& name)
{
    const qsizetype pos = name.lastIndexOf(QLatin1Char('.'));
    return pos >= 1 ? name.left(pos) : name;
}

namespace {

bool isQuoted(const QString& text)
{
    return text.size() >= 2 && text.front() == text.back() &&
           (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\''));
}

bool namesRoot(const QString& path, const PathStyle& style)
{
    if (!style.networkPrefix)
        return path.startsWith(style.separator);
    const auto isSeparator = [](QChar c) {
        return c == QLatin1Char('\\') || c == QLatin1Char('/');
    };
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]))
        return true; // \\server\share
    // "X:\" names a drive's root; "X:name" and "\name" depend on the current drive and folder.
    return path.size() >= 3 && path[0].isLetter() && path[1] == QLatin1Char(':') &&
           isSeparator(path[2]);
}

} // namespace

UserFolder FolderFromUserText(const QString& text, const QString& homeFolder,
                              const PathStyle& style)
{
    QString path = text.trimmed();
    if (isQuoted(path))
        path = path.mid(1, path.size() - 2).trimmed();
    const bool homeAlone = path == QLatin1String("~");
    const bool homeFirst = path.size() >= 2 && path[0] == QLatin1Char('~') &&
                           (path[1] == style.separator || path[1] == QLatin1Char('/'));
    if (homeAlone || homeFirst) {
        QString home = homeFolder;
        while (home.size() > 1 &&
               (home.endsWith(style.separator) || home.endsWith(QLatin1Char('/'))))
            home.chop(1);
        path = home + path.mid(1);
    }
    return {path, !path.isEmpty() && !namesRoot(path, style)};
}

UserFolder FolderFromUserText(const QString& text)
{
    return FolderFromUserText(text, QDir::toNativeSeparators(QDir::homePath()));
}

QString RelativeFolderRefusal(const QString& path)
{
    return QStringLiteral("The output folder \"%1\" is not a full path, so where the pictures "
                          "would go depends on the folder the program was started in. Please "
                          "select the folder with the button beside it, or type its whole path.")
        .arg(path);
}

namespace {

QString collapsePairs(QStringView text, QChar separator)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        out.append(text[i]);
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
    return out;
}

} // namespace

QString CollapseBackslashes(const QString& path, const PathStyle& style)
{
    if (!style.networkPrefix || !path.startsWith(style.separator))
        return collapsePairs(path, style.separator);
    qsizetype first = 0;
    while (first < path.size() && path[first] == style.separator)
        ++first;
    return QString(2, style.separator) +
           collapsePairs(QStringView(path).mid(first), style.separator);
}

QString ShownPath(const QString& path, const PathStyle& style)
{
    const QChar separator = style.separator;
    QString shown;
    shown.reserve(path.size());
    qsizetype i = 0;
    if (style.networkPrefix && path.startsWith(QString(2, separator))) {
        shown = QString(2, separator);
        while (i < path.size() && path[i] == separator)
            ++i;
    }
    for (; i < path.size(); ++i) {
        if (path[i] != separator || !shown.endsWith(separator))
            shown.append(path[i]);
    }
    return shown;
}

std::optional<bool> IsFolder(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    return info.isDir();
}

bool PathExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

void DeleteFileForced(const QString& path)
{
    if (path.isEmpty() || QFile::remove(path))
        return;
    QFile file(path);
    if (!file.exists())
        return;
    // A read-only file refuses the plain delete on Windows; make it writable and try again.
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    file.remove();
}

QString DesktopFolderPath()
{
    return DesktopFolderPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

QString DesktopFolderPath(const QString& desktopLocation)
{
    if (desktopLocation.isEmpty())
        throw AppError::invalidArgument();
    QString desktop = QDir::toNativeSeparators(desktopLocation);
    if (!desktop.endsWith(kNativePaths.separator))
        desktop += kNativePaths.separator;
    return desktop;
}

QString DefaultOutputFolderPath(const QStringList& candidates)
{
    for (const QString& folder : candidates) {
        if (!folder.isEmpty() && IsFolder(folder) == true)
            return DesktopFolderPath(folder);
    }
    return {};
}

QString DefaultOutputFolderPath()
{
    return DefaultOutputFolderPath(
        {QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
         QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
         QStandardPaths::writableLocation(QStandardPaths::HomeLocation)});
}
