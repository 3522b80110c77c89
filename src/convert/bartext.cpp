#include "bartext.h"

#include <QProgressBar>

void SetBarText(QProgressBar& bar, const QString& text)
{
    QString format = text;
    format.replace(QLatin1Char('%'), QStringLiteral("%%"));
    bar.setFormat(format);
}

QString BarText(const QProgressBar& bar)
{
    QString text = bar.format();
    text.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return text;
}
