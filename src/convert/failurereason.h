#pragma once

#include <QString>

struct RunOutcome;

// Why a file could not be converted, put for someone using the window, or an empty text when the
// converter succeeded. The converter's exit code says what went wrong; its last line of error
// output adds the detail. output: the file the converter was asked to write.
QString FailureReason(const RunOutcome& outcome, const QString& output, int timeoutSeconds);
