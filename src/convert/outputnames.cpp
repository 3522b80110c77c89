#include "outputnames.h"

#include "paths.h"

#include <QDir>

namespace {

QString comparable(const QString& path)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(path))
        .normalized(QString::NormalizationForm_C)
        .toCaseFolded();
}

} // namespace

QString OutputNames::claim(const QString& path, const QString& source)
{
    if (!source.isEmpty() && comparable(source) == comparable(path))
        tryClaim(source);
    if (tryClaim(path))
        return path;
    const qsizetype nameStart = QDir::fromNativeSeparators(path).lastIndexOf(QLatin1Char('/')) + 1;
    const QString stem = path.left(nameStart) + StripExtension(path.mid(nameStart));
    const QString extension = path.mid(stem.size());
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
