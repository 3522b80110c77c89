#pragma once

#include <QString>

struct RunOutcome;

// Why a file could not be converted, put for someone using the window, or an empty text when the
// converter succeeded. The converter's exit code says what went wrong; its last line of error
// output adds the detail, without the program's and the source's names in front. source: the
// file converted; output: the file the converter was asked to write.
QString FailureReason(const RunOutcome& outcome, const QString& source, const QString& output,
                      int timeoutSeconds);

// The converter's line without what names the program and the source ("nconvert: SOURCE: ").
QString ConverterDetail(const QString& errorLine, const QString& source);
