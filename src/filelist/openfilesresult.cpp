#include "openfilesresult.h"

QStringList PathsFromOpenFilesResult(const QString& result, const PathStyle& style)
{
    if (result.isEmpty())
        return {};
    const QStringList parts = result.split(QChar(0));
    if (parts.size() == 1)
        return parts;
    if (parts[0].isEmpty())
        return parts.mid(1);
    QStringList paths;
    paths.reserve(parts.size() - 1);
    for (qsizetype i = 1; i < parts.size(); ++i)
        paths.append(CollapseBackslashes(parts[0] + style.separator + parts[i], style));
    return paths;
}
