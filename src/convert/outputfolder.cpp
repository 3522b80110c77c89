#include "outputfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

// Less than this is no room for another result, whatever its size.
constexpr qint64 kFullBelowBytes = 64 * 1024;

} // namespace

std::optional<QString> OutputFolderProblem(const QString& folder)
{
    const QString shown = QDir::toNativeSeparators(QDir::cleanPath(folder));
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("the output folder %1 no longer exists").arg(shown);
    if (!info.isDir())
        return QStringLiteral("the output folder %1 is not a folder").arg(shown);
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReady()) {
        if (storage.isReadOnly())
            return QStringLiteral("the output folder %1 is on a disk that cannot be written")
                .arg(shown);
        if (storage.bytesAvailable() >= 0 && storage.bytesAvailable() < kFullBelowBytes)
            return QStringLiteral("the disk of the output folder %1 is full").arg(shown);
    }
    if (!info.isWritable())
        return QStringLiteral("the output folder %1 cannot be written (no permission)").arg(shown);
    return std::nullopt;
}
