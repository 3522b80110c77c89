#include "failurereason.h"

#include "exitcodes.h"
#include "modprocess.h"

namespace {

QString detailOr(const QString& errorLine, const QString& fallback)
{
    return errorLine.isEmpty() ? fallback : errorLine;
}

} // namespace

QString FailureReason(const RunOutcome& outcome, const QString& output, int timeoutSeconds)
{
    if (outcome.succeeded())
        return {};
    if (!outcome.started)
        return QStringLiteral("the converter could not be started: %1").arg(outcome.errorLine);
    if (outcome.timedOut)
        return QStringLiteral("took too long: the converter was stopped after %1 %2")
            .arg(timeoutSeconds)
            .arg(timeoutSeconds == 1 ? QStringLiteral("second") : QStringLiteral("seconds"));
    if (outcome.crashed)
        return outcome.errorLine.isEmpty()
                   ? QStringLiteral("the converter stopped unexpectedly")
                   : QStringLiteral("the converter stopped unexpectedly: %1")
                         .arg(outcome.errorLine);
    switch (outcome.code) {
    case nconv::kExitOutputExists:
        return QStringLiteral("a file named %1 is already there and was left as it was")
            .arg(output);
    case nconv::kExitDamaged:
        return detailOr(outcome.errorLine, QStringLiteral("the file is damaged"));
    case nconv::kExitUnsupported:
        return detailOr(outcome.errorLine,
                        QStringLiteral("not a kind of file the converter reads"));
    case nconv::kExitTooLarge:
        return detailOr(outcome.errorLine, QStringLiteral("the file is too large to convert"));
    case nconv::kExitCannotRead:
        return detailOr(outcome.errorLine, QStringLiteral("the file could not be read"));
    case nconv::kExitCannotWrite:
        return detailOr(outcome.errorLine,
                        QStringLiteral("the result could not be written to %1").arg(output));
    case nconv::kExitUsage:
        return QStringLiteral("the converter refused the command this program gave it: %1")
            .arg(outcome.errorLine);
    case nconv::kExitFailed:
        return detailOr(outcome.errorLine, QStringLiteral("the converter could not convert it"));
    default:
        return detailOr(outcome.errorLine,
                        QStringLiteral("the converter ended with code %1").arg(outcome.code));
    }
}
