#include "dropdata.h"

#include "leftoutnames.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

QStringList DroppedPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
#ifndef Q_OS_WIN
        // A name whose bytes are not valid text decodes to a path that does not exist.
        const QByteArray raw =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!IsRepresentableName(raw)) {
            LeftOutNames::note(raw);
            continue;
        }
#endif
        const QString path = url.toLocalFile();
        if (!path.isEmpty())
            paths.append(QDir::toNativeSeparators(path));
    }
    return paths;
}

bool OffersLocalFiles(const QMimeData* data)
{
    return !DroppedPaths(data).isEmpty();
}

std::optional<Qt::DropAction> DropActionFor(Qt::DropActions possible)
{
    if (possible.testFlag(Qt::CopyAction))
        return Qt::CopyAction;
    if (possible.testFlag(Qt::LinkAction))
        return Qt::LinkAction;
    return std::nullopt;
}
