#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ProgramFolderFor(const QString& executableFolder, const QString& installedDataFolder)
{
    if (!installedDataFolder.isEmpty()) {
        const QString installed =
            QDir::cleanPath(QDir(executableFolder).absoluteFilePath(installedDataFolder));
        if (QFileInfo(installed).isDir())
            return QDir::toNativeSeparators(installed);
    }
    return QDir::toNativeSeparators(QDir::cleanPath(executableFolder));
}

QString ProgramFolder()
{
    return ProgramFolderFor(QCoreApplication::applicationDirPath(),
                            QStringLiteral(CORVENDA_INSTALLED_DATA));
}
