#include "converterlocation.h"
#include "fileownership.h"

#include <QDir>
#include <QTemporaryDir>

QString DefaultConverterFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(runtime))
        return QDir::toNativeSeparators(QDir::cleanPath(runtime));
    const QString own = UserTempFolderName();
    if (MakePrivateFolder(own))
        return QDir::toNativeSeparators(own);
    // Another user holds our usual name: take a fresh folder that only we can write.
    QTemporaryDir fresh(own + QStringLiteral("-XXXXXX"));
    fresh.setAutoRemove(false);
    return QDir::toNativeSeparators(fresh.isValid() ? fresh.path() : own);
}
