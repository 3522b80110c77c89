#include "converterlocation.h"

#include "fileownership.h"
#include "paths.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace {

const QString kConverterPrefix = QStringLiteral("nconvert-");

#ifdef Q_OS_WIN
const QString kConverterSuffix = QStringLiteral(".exe");
#else
const QString kConverterSuffix;
#endif

} // namespace

QStringList ConverterFolderCandidates()
{
    QStringList folders;
    const auto add = [&folders](const QString& folder) {
        if (folder.isEmpty())
            return;
        const QString native = QDir::toNativeSeparators(QDir::cleanPath(folder));
        if (!folders.contains(native))
            folders.append(native);
    };
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty())
        add(IsPrivateFolder(temp) ? temp : temp + QLatin1Char('/') + UserFolderName());
    add(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    add(UserTempFolderName());
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty())
        add(cache + QStringLiteral("/corvenda"));
    return folders;
}

QString NewConverterFilePath(const QString& folder)
{
    const QString tag =
        QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    return CollapseBackslashes(folder + NativeSeparator() + kConverterPrefix + tag +
                               kConverterSuffix);
}

bool IsConverterFileName(const QString& name)
{
    return name.startsWith(kConverterPrefix) && name.endsWith(kConverterSuffix) &&
           !name.endsWith(QStringLiteral(".lock"));
}
