#include "outputnames.h"

#include <QDir>

namespace {

QString comparable(const QString& path)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(path))
        .normalized(QString::NormalizationForm_C)
        .toCaseFolded();
}

} // namespace

QString OutputNames::claim(const QString& path)
{
    if (tryClaim(path))
        return path;
    const QString normal = QDir::fromNativeSeparators(path);
    const qsizetype nameStart = normal.lastIndexOf(QLatin1Char('/')) + 1;
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A leading dot starts the name, not an extension.
    if (dot <= nameStart)
        dot = path.size();
    const QString stem = path.left(dot);
    const QString extension = path.mid(dot);
    for (int number = 2;; ++number) {
        const QString numbered =
            QStringLiteral("%1 (%2)%3").arg(stem, QString::number(number), extension);
        if (tryClaim(numbered))
            return numbered;
    }
}

bool OutputNames::tryClaim(const QString& path)
{
    const QString key = comparable(path);
    if (taken_.contains(key))
        return false;
    taken_.insert(key);
    return true;
}
