#include "failurereason.h"

#include "exitcodes.h"
#include "modprocess.h"

namespace {

QString detailOr(const QString& detail, const QString& fallback)
{
    return detail.isEmpty() ? fallback : detail;
}

// The file the converter found in its way: for every-frame outputs not the name it was given.
QString existingFile(const QString& detail, const QString& output)
{
    static const QString kLead = QStringLiteral("output file already exists: ");
    static const QString kTail = QStringLiteral(" (add -overwrite");
    if (!detail.startsWith(kLead))
        return output;
    const qsizetype tail = detail.lastIndexOf(kTail);
    return detail.mid(kLead.size(), tail < 0 ? -1 : tail - kLead.size());
}

} // namespace

QString ConverterDetail(const QString& errorLine, const QString& source)
{
    QString detail = errorLine;
    static const QString kProgram = QStringLiteral("nconvert: ");
    if (detail.startsWith(kProgram))
        detail.remove(0, kProgram.size());
    const QString named = source + QStringLiteral(": ");
    if (!source.isEmpty() && detail.startsWith(named))
        detail.remove(0, named.size());
    return detail;
}

QString FailureReason(const RunOutcome& outcome, const QString& source, const QString& output,
                      int timeoutSeconds)
{
    const QString detail = ConverterDetail(outcome.errorLine, source);
    if (outcome.succeeded())
        return {};
    if (!outcome.started)
        return QStringLiteral("the converter could not be started: %1").arg(outcome.errorLine);
    if (outcome.timedOut)
        return QStringLiteral("took too long: the converter was stopped after %1 %2")
            .arg(timeoutSeconds)
            .arg(timeoutSeconds == 1 ? QStringLiteral("second") : QStringLiteral("seconds"));
    if (outcome.crashed)
        return detail.isEmpty()
                   ? QStringLiteral("the converter stopped unexpectedly")
                   : QStringLiteral("the converter stopped unexpectedly: %1").arg(detail);
    switch (outcome.code) {
    case nconv::kExitOutputExists:
        return QStringLiteral("a file named %1 is already there and was left as it was")
            .arg(existingFile(detail, output));
    case nconv::kExitDamaged:
        return detailOr(detail, QStringLiteral("the file is damaged"));
    case nconv::kExitUnsupported:
        return detailOr(detail, QStringLiteral("not a kind of file the converter reads"));
    case nconv::kExitTooLarge:
        return detailOr(detail, QStringLiteral("the file is too large to convert"));
    case nconv::kExitCannotRead:
        return detailOr(detail, QStringLiteral("the file could not be read"));
    case nconv::kExitCannotWrite:
        return detailOr(detail,
                        QStringLiteral("the result could not be written to %1").arg(output));
    case nconv::kExitUsage:
        return QStringLiteral("the converter refused the command this program gave it: %1")
            .arg(detail);
    case nconv::kExitFailed:
        return detailOr(detail, QStringLiteral("the converter could not convert it"));
    default:
        return detailOr(detail,
                        QStringLiteral("the converter ended with code %1").arg(outcome.code));
    }
}
