#include "converterlocation.h"

#include <QDir>

QString DefaultConverterFolder()
{
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty())
        return QDir::toNativeSeparators(temp);
    return QDir::toNativeSeparators(QDir::tempPath());
}
