#include "cursorfile.h"

#include "apperror.h"
#include "decode.h"

#include <QFile>
#include <QImage>
#include <QPixmap>

QCursor LoadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError::fileNotFound(path);
    const QByteArray bytes = file.readAll();
    try {
        const nconv::Image decoded =
            nconv::decodeImage({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size())});
        const QImage image(decoded.rgba.data(), static_cast<int>(decoded.width),
                           static_cast<int>(decoded.height), static_cast<int>(decoded.width * 4),
                           QImage::Format_RGBA8888);
        const nconv::HotSpot hot = decoded.hotSpot.value_or(nconv::HotSpot{});
        // The pixmap copies the pixels, so the decoded buffer may go.
        return QCursor(QPixmap::fromImage(image.copy()), hot.x, hot.y);
    } catch (const nconv::DecodeError& error) {
        throw AppError(
            481,
            QStringLiteral("Invalid picture: %1: %2").arg(path, QString::fromUtf8(error.what())));
    }
}
