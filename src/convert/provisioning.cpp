#include "provisioning.h"

#include "apperror.h"
#include "converterlocation.h"
#include "fileownership.h"
#include "installedconverter.h"
#include "modprocess.h"
#include "paths.h"
#include "processstart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>

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

constexpr int kNameAttempts = 10;
constexpr int kStartCheckMilliseconds = 10000;
constexpr int kHiddenWindow = 0;

AppError cannotWrite(const QString& path, const QString& why)
{
    return {ErrorNumber::kPermissionDenied,
            QStringLiteral("Cannot write the converter file %1: %2").arg(path, why)};
}

QString lockPathOf(const QString& converterPath)
{
    return converterPath + QStringLiteral(".lock");
}

// A lock held by a live process stays held however old it is; one whose process is gone is
// taken over. error tells a name in use from a folder that cannot be written.
std::unique_ptr<QLockFile> tryLock(const QString& converterPath,
                                   QLockFile::LockError* error = nullptr)
{
    auto lock = std::make_unique<QLockFile>(lockPathOf(converterPath));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (error)
            *error = lock->error();
        return nullptr;
    }
    return lock;
}

// Why the converter cannot run from where it is (a folder mounted noexec, say), or nothing.
// Run without arguments it only prints its usage.
std::optional<QString> startProblem(const QString& path)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setProgram(path);
    PrepareProcessStart(process, kHiddenWindow, NativeCommandLine(path, {}));
    process.start();
    if (!process.waitForStarted(kStartCheckMilliseconds))
        return process.errorString();
    // Without arguments it prints its usage and ends at once; the limit only guards a stuck one.
    if (!process.waitForFinished(kStartCheckMilliseconds)) {
        process.kill();
        process.waitForFinished();
    }
    return std::nullopt;
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
    if (PathExists(path))
        return;
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
        throw cannotWrite(path, file.errorString());
    const bool written = file.write(data) == data.size() && file.flush();
    const QString why = file.errorString();
    file.close();
    if (!written) {
        file.remove();
        throw cannotWrite(path, why);
    }
}

ConverterLease::ConverterLease(const QString& folder, const QByteArray& data)
{
    QLockFile::LockError error = QLockFile::NoError;
    for (int attempt = 0; !lock_ && attempt < kNameAttempts; ++attempt) {
        file_ = NewConverterFilePath(folder);
        lock_ = tryLock(file_, &error);
        if (lock_ && EntryExists(file_))
            lock_.reset();
        // Only a name in use is worth another try.
        if (!lock_ && error != QLockFile::NoError && error != QLockFile::LockFailedError)
            break;
    }
    if (!lock_ && error == QLockFile::PermissionError)
        throw cannotWrite(file_, QStringLiteral("the folder cannot be written (no permission, or "
                                                "it is read-only)"));
    if (!lock_ && error == QLockFile::UnknownError)
        throw cannotWrite(file_, QStringLiteral("the folder cannot be written (it is full, or "
                                                "gone)"));
    if (!lock_)
        throw cannotWrite(file_, QStringLiteral("no free name for it"));
    try {
        WriteBytesIfMissing(data, file_);
        HeldProgramFile::Opened opened = HeldProgramFile::openWritten(file_, data);
        if (!opened.file)
            throw cannotWrite(file_, opened.problem);
        held_ = std::move(opened.file);
    } catch (...) {
        QFile::remove(file_);
        throw;
    }
}

ConverterLease::ConverterLease(std::unique_ptr<HeldProgramFile> installed)
    : file_(installed->path()), held_(std::move(installed))
{
}

std::unique_ptr<ConverterLease> ConverterLease::inPlace(const QString& installedPath)
{
    HeldProgramFile::Opened opened = HeldProgramFile::openInstalled(installedPath);
    if (!opened.file)
        throw AppError(ErrorNumber::kPermissionDenied, opened.problem);
    return std::unique_ptr<ConverterLease>(new ConverterLease(std::move(opened.file)));
}

ConverterLease::~ConverterLease()
{
    // Closed first: Windows deletes no file that is held open.
    held_.reset();
    if (lock_)
        DeleteFileForced(file_);
}

const QString& ConverterLease::path() const
{
    return held_->startPath();
}

void RemoveStaleConverters(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!IsConverterFileName(name))
            continue;
        const QString path = dir.filePath(name);
        if (!IsOwnFile(path))
            continue;
        if (const auto lock = tryLock(path))
            QFile::remove(path);
    }
    // Locks whose converter file is already gone.
    for (const QString& name : names) {
        if (name.endsWith(QStringLiteral(".lock")) && IsConverterFileName(name.chopped(5)) &&
            !EntryExists(dir.filePath(name.chopped(5))))
            tryLock(dir.filePath(name.chopped(5)));
    }
}

ProvisionedConverter ProvisionConverter(const QByteArray& data, const QStringList& folders,
                                        const QString& installedPath)
{
    ProvisionedConverter result;
    if (!installedPath.isEmpty()) {
        const QString shown = QDir::toNativeSeparators(installedPath);
        try {
            auto lease = ConverterLease::inPlace(installedPath);
            if (const auto problem = startProblem(lease->path())) {
                result.passedOver.append(QStringLiteral("%1: %2").arg(shown, *problem));
            } else {
                result.lease = std::move(lease);
                result.installed = true;
                return result;
            }
        } catch (const AppError& error) {
            result.passedOver.append(QStringLiteral("%1: %2").arg(shown, error.description()));
        }
    }
    if (data.isEmpty())
        throw AppError::fileNotFound(QStringLiteral("the converter carried inside the program"));
    for (const QString& folder : folders) {
        const QString shown = QDir::toNativeSeparators(folder);
        if (!MakePrivateFolder(folder)) {
            result.passedOver.append(
                QStringLiteral("%1: missing, or other users can write to it").arg(shown));
            continue;
        }
        RemoveStaleConverters(folder);
        try {
            auto lease = std::make_unique<ConverterLease>(folder, data);
            if (const auto problem = startProblem(lease->path())) {
                result.passedOver.append(QStringLiteral("%1: %2").arg(shown, *problem));
                continue;
            }
            result.lease = std::move(lease);
            return result;
        } catch (const AppError& error) {
            result.passedOver.append(QStringLiteral("%1: %2").arg(shown, error.description()));
        }
    }
    return result;
}

std::optional<QString> ConverterFileProblem(const QString& path)
{
    if (!EntryExists(path) || IsOwnFile(path) || IsClosedHeldProgram(path) ||
        HeldProgramFile::openInstalled(path).file)
        return std::nullopt;
    return QStringLiteral("the converter file %1 is not ours or other users can change it, so "
                          "it was not run")
        .arg(QDir::toNativeSeparators(path));
}
