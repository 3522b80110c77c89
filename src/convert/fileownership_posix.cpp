#include "fileownership.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool statEntry(const QString& path, struct stat& info)
{
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool ownedAndClosed(const struct stat& info)
{
    return info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Root installed it, or we did; either way no one else may change it.
bool ownedBySystemOrUsAndClosed(const struct stat& info)
{
    return (info.st_uid == 0 || info.st_uid == ::geteuid()) &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

bool EntryExists(const QString& path)
{
    struct stat info;
    return statEntry(path, info);
}

bool IsPrivateFolder(const QString& path)
{
    struct stat info;
    return statEntry(path, info) && S_ISDIR(info.st_mode) && ownedAndClosed(info);
}

bool MakePrivateFolder(const QString& path)
{
    if (!EntryExists(path)) {
        QDir().mkpath(QFileInfo(path).path());
        ::mkdir(QFile::encodeName(path).constData(), S_IRWXU);
    }
    return IsPrivateFolder(path);
}

bool IsOwnFile(const QString& path)
{
    struct stat info;
    return statEntry(path, info) && S_ISREG(info.st_mode) && ownedAndClosed(info);
}

bool IsProtectedProgramFile(const QString& path)
{
    struct stat file;
    struct stat folder;
    return statEntry(path, file) && S_ISREG(file.st_mode) && ownedBySystemOrUsAndClosed(file) &&
           statEntry(QFileInfo(path).absolutePath(), folder) && S_ISDIR(folder.st_mode) &&
           ownedBySystemOrUsAndClosed(folder);
}

QString UserFolderName()
{
    return QStringLiteral("corvenda-") + QString::number(::geteuid());
}

QString UserTempFolderName()
{
    // An empty answer means the system temporary folder does not exist (TMPDIR names no folder).
    const QString temp = QDir::tempPath();
    return temp.isEmpty() ? QString() : temp + QLatin1Char('/') + UserFolderName();
}
