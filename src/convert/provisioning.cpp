#include "provisioning.h"

#include "apperror.h"
#include "events.h"
#include "fileownership.h"
#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

// The resource lives in this static library; registering it by hand keeps the linker from
// dropping it.
static void registerConverterResource()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(converter);
        return true;
    }();
    (void)registered;
}

namespace {

AppError cannotWrite(const QString& path, const QString& why)
{
    return {ErrorNumber::kPermissionDenied,
            QStringLiteral("Cannot write the converter file %1: %2").arg(path, why)};
}

} // namespace

QByteArray LoadConverterBuild()
{
    registerConverterResource();
    QFile resource(QStringLiteral(":/corvenda/nconvert"));
    if (!resource.open(QIODevice::ReadOnly))
        throw AppError::fileNotFound(QStringLiteral("the converter carried inside the program"));
    const QByteArray bytes = resource.readAll();
    if (bytes.isEmpty())
        throw AppError::fileNotFound(QStringLiteral("the converter carried inside the program"));
    return bytes;
}

void WriteBytesIfMissing(const QByteArray& data, const QString& path)
{
    LetEventsRun();
    if (PathExists(path))
        return;
    const QString folder = QFileInfo(path).absolutePath();
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QFile temp;
    for (int attempt = 0; !temp.isOpen(); ++attempt) {
        temp.setFileName(folder +
                         QStringLiteral("/.nconvert-%1")
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (!temp.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly) && attempt == 9)
            throw cannotWrite(path, temp.errorString());
    }
    const bool written = temp.write(data) == data.size() && temp.flush();
    temp.close();
    // The rename never replaces a file, so whatever another copy of the program put there in
    // the meantime stays.
    if (!written || !temp.rename(path)) {
        const QString why = temp.errorString();
        temp.remove();
        if (written && PathExists(path))
            return;
        throw cannotWrite(path, why);
    }
}

void ProvisionConverter(const QByteArray& data, const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!MakePrivateFolder(folder)) {
        throw AppError(ErrorNumber::kPermissionDenied,
                       QStringLiteral("The converter folder %1 is missing or other users can "
                                      "write to it. Set XDG_RUNTIME_DIR or TEMP to a folder of "
                                      "your own.")
                           .arg(QDir::toNativeSeparators(folder)));
    }
    if (EntryExists(path) && !IsOwnFile(path)) {
        QFile::remove(path);
        if (EntryExists(path))
            throw cannotWrite(path, QStringLiteral("a file there belongs to someone else"));
    }
    if (PathExists(path))
        return;
    if (data.isEmpty())
        throw AppError::fileNotFound(QStringLiteral("the converter carried inside the program"));
    WriteBytesIfMissing(data, path);
}

std::optional<QString> ConverterFileProblem(const QString& path)
{
    if (!EntryExists(path) || IsOwnFile(path))
        return std::nullopt;
    return QStringLiteral("the converter file %1 is not ours or other users can change it, so "
                          "it was not run")
        .arg(QDir::toNativeSeparators(path));
}
