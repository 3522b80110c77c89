#include "converterlocation.h"

#include "paths.h"

QString ConverterFilePath(const QString& folder)
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("nconvert.exe");
#else
    const QString name = QStringLiteral("nconvert");
#endif
    return CollapseBackslashes(folder + NativeSeparator() + name);
}
