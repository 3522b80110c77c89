#include "cursorfile.h"

#include "apperror.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

QCursor LoadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError::fileNotFound(path);
    const QByteArray bytes = file.readAll();
    QImage image;
    if (!image.loadFromData(bytes, "ICO") && !image.loadFromData(bytes))
        throw AppError(481, QStringLiteral("Invalid picture: %1").arg(path));
    int hotX = 0;
    int hotY = 0;
    // A cursor directory keeps the hot spot of its first image in place of planes and bit count.
    if (bytes.size() >= 22 && qFromLittleEndian<quint16>(bytes.constData() + 2) == 2) {
        hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
        hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}
