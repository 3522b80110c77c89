#include "conversionreport.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

const QChar kEllipsis(0x2026);

// Shortens the paths the line names, and any other unbroken run too long to wrap.
QString shortenedLine(QString line, const QStringList& paths)
{
    for (const QString& path : paths) {
        if (!path.isEmpty() && path.size() > ConversionReport::kShownPathChars)
            line.replace(path, ElideMiddle(path, ConversionReport::kShownPathChars));
    }
    // A colon after a run ("path: reason") is not part of it.
    static const QRegularExpression longRun(
        QStringLiteral("\\S{%1,}(?<!:)").arg(ConversionReport::kShownPathChars + 1));
    QString shortened;
    qsizetype from = 0;
    for (auto it = longRun.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        shortened += line.mid(from, match.capturedStart() - from) +
                     ElideMiddle(match.captured(), ConversionReport::kShownPathChars);
        from = match.capturedEnd();
    }
    return shortened + line.mid(from);
}

} // namespace

void ConversionReport::addFailure(const QString& source, const QString& reason,
                                  const QString& output)
{
    failures_.push_back({source, reason, output});
}

QString ConversionReport::summary(int total) const
{
    const auto files = [](int n) {
        return n == 1 ? QStringLiteral("file") : QStringLiteral("files");
    };
    QString text = QStringLiteral("Done.");
    if (stopped_) {
        text = QStringLiteral("Stopped.\n\n%1 of %2 %3 converted before the run was stopped.")
                   .arg(converted_)
                   .arg(total)
                   .arg(total == 1 ? QStringLiteral("file was") : QStringLiteral("files were"));
    }
    if (failures_.empty())
        return text;
    if (!converterProblem_.isEmpty()) {
        text += QStringLiteral("\n\nThe converter could not be started from any of its folders:");
        for (const QString& line : converterProblem_)
            text += QLatin1Char('\n') + shortenedLine(line, {});
    }
    if (stopped_)
        text += QStringLiteral("\n\n%1 %2 could not be converted:")
                    .arg(failures_.size())
                    .arg(files(failureCount()));
    else
        text += QStringLiteral("\n\n%1 of %2 %3 could not be converted:")
                    .arg(failures_.size())
                    .arg(total)
                    .arg(files(total));
    const int listed = std::min(failureCount(), kListedFailures);
    for (int i = 0; i < listed; ++i) {
        const Failure& failure = failures_[static_cast<std::size_t>(i)];
        // The converter names the source in its own message; do not say it twice.
        const QString line = failure.reason.contains(failure.source)
                                 ? failure.reason
                                 : failure.source + QStringLiteral(": ") + failure.reason;
        text += QLatin1Char('\n') + shortenedLine(line, {failure.source, failure.output});
    }
    if (failureCount() > listed)
        text += QStringLiteral("\n... and %1 more").arg(failureCount() - listed);
    return text;
}

QString ElideMiddle(const QString& text, int maxChars)
{
    if (text.size() <= maxChars || maxChars < 3)
        return text;
    qsizetype tail = (maxChars - 1) / 2;
    qsizetype head = maxChars - 1 - tail;
    // Never split a character made of two UTF-16 units.
    if (text.at(head - 1).isHighSurrogate())
        --head;
    if (text.at(text.size() - tail).isLowSurrogate())
        --tail;
    return text.left(head) + kEllipsis + text.right(tail);
}
