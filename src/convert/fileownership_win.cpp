#include "fileownership.h"

#include <QDir>
#include <QFileInfo>

// The converter folder on Windows is the user's own TEMP folder, which other users cannot
// write; only the kind of entry is checked here.

bool EntryExists(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && (info.exists() || info.isSymLink());
}

bool IsPrivateFolder(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isDir() && !info.isSymLink();
}

bool MakePrivateFolder(const QString& path)
{
    if (!EntryExists(path))
        QDir().mkpath(path);
    return IsPrivateFolder(path);
}

bool IsOwnFile(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && !info.isSymLink();
}

QString UserFolderName()
{
    return QStringLiteral("Corvenda");
}

QString UserTempFolderName()
{
    const QString temp = QDir::tempPath();
    return temp.isEmpty() ? QString() : temp + QLatin1Char('/') + UserFolderName();
}
