#pragma once

#include <QString>

class QProgressBar;

// The bar's text lives in its format, where '%' starts a placeholder; these keep a '%' in a
// file name literal.
void SetBarText(QProgressBar& bar, const QString& text);
QString BarText(const QProgressBar& bar);
