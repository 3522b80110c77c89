#include "bartext.h"

void TextProgressBar::setText(const QString& text)
{
    text_ = text;
    // The format is no longer shown, but changing it repaints the bar and keeps format() telling.
    setFormat(text);
    update();
}

void SetBarText(QProgressBar& bar, const QString& text)
{
    if (auto* literal = qobject_cast<TextProgressBar*>(&bar))
        literal->setText(text);
    else
        bar.setFormat(text);
}

QString BarText(const QProgressBar& bar)
{
    if (const auto* literal = qobject_cast<const TextProgressBar*>(&bar))
        return literal->text();
    return bar.format();
}
