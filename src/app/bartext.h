#pragma once

#include <QProgressBar>
#include <QString>

// A progress bar that shows its text exactly as given. A plain bar takes its text from its
// format, where "%p", "%v" and "%m" are placeholders that no escape keeps out of a file name.
class TextProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    using QProgressBar::QProgressBar;

    QString text() const override { return text_; }
    void setText(const QString& text);

private:
    QString text_;
};

// The bar's text: shown as given on a TextProgressBar; a plain bar's format otherwise.
void SetBarText(QProgressBar& bar, const QString& text);
QString BarText(const QProgressBar& bar);
