#include "converterlocation.h"

#include <QDir>

QString DefaultConverterFolder()
{
    return QDir::toNativeSeparators(QDir::tempPath());
}
