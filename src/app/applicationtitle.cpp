#include "applicationtitle.h"

QString ApplicationTitleFor(const QString& productName)
{
    QString title = productName;
    if (!title.contains(QLatin1Char(' ')))
        return title;
    do {
        title = title.left(title.lastIndexOf(QLatin1Char(' ')));
    } while (title.size() > 40 && title.contains(QLatin1Char(' ')));
    return title;
}
