#include "installedconverter.h"

#include "fileownership.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

#ifdef Q_OS_WIN
const QString kConverterName = QStringLiteral("nconvert.exe");
#else
const QString kConverterName = QStringLiteral("nconvert");
#endif

} // namespace

QString InstalledConverterFor(const QString& executableFolder,
                              const QString& installedConverterFolder)
{
    const QString path = QDir::cleanPath(
        QDir(executableFolder)
            .absoluteFilePath(installedConverterFolder + QLatin1Char('/') + kConverterName));
    return QFileInfo(path).isFile() ? QDir::toNativeSeparators(path) : QString();
}

QString InstalledConverter()
{
    return InstalledConverterFor(QCoreApplication::applicationDirPath(),
                                 QStringLiteral(CORVENDA_INSTALLED_CONVERTER_FOLDER));
}

std::optional<QString> InstalledConverterProblem(const QString& path)
{
    const HeldProgramFile::Opened opened = HeldProgramFile::openInstalled(path);
    if (opened.file)
        return std::nullopt;
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), opened.problem);
}
