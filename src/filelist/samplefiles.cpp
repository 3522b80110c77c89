#include "samplefiles.h"

#include "addfolder.h"
#include "apperror.h"
#include "paths.h"

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
