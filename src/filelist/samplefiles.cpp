#include "samplefiles.h"

#include "addfolder.h"
#include "apperror.h"
#include "paths.h"

#include <QFileInfo>

QString SampleFolderPath(const QString& programFolder)
{
    return programFolder + kNativePaths.separator + QStringLiteral("Samples");
}

bool IsInList(const QStringList& texts, const QString& text)
{
    return texts.contains(text, Qt::CaseSensitive);
}

QStringList SampleFileNames(const QString& sampleFolder)
{
    try {
        return ListFolderFiles(sampleFolder, QStringLiteral("*.*"));
    } catch (const AppError& error) {
        if (error.number() == ErrorNumber::kPathNotFound)
            return {};
        throw;
    }
}

QStringList SamplePathsToAdd(const QString& sampleFolder, const QStringList& names,
                             const QStringList& listed)
{
    QStringList added;
    for (const QString& name : names) {
        const QString path = sampleFolder + kNativePaths.separator + name;
        if (PathExists(path) && !IsInList(listed, path) && !IsInList(added, path))
            added.append(path);
    }
    return added;
}

QString SampleFolderOpenFailure(const QString& sampleFolder)
{
    if (!QFileInfo(sampleFolder).isDir())
        return QStringLiteral("The sample folder %1 was not found, so it cannot be shown. "
                              "Installing the program again puts it back.")
            .arg(sampleFolder);
    return QStringLiteral("The sample folder %1 could not be shown: the desktop has no program "
                          "set to open folders. Open it in your file manager.")
        .arg(sampleFolder);
}
