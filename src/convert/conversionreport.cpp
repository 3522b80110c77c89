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

QString were(int n)
{
    return n == 1 ? QStringLiteral("was") : QStringLiteral("were");
}

} // namespace

void ConversionReport::addFailure(const QString& source, const QString& reason,
                                  const QString& output, qsizetype order)
{
    const Failure failure{source, reason, output,
                          order < 0 ? static_cast<qsizetype>(failures_.size()) : order};
    const auto at =
        std::upper_bound(failures_.begin(), failures_.end(), failure.order,
                         [](qsizetype value, const Failure& other) { return value < other.order; });
    failures_.insert(at, failure);
}

void ConversionReport::addOutput(qsizetype order, const QByteArray& output, bool cut)
{
    outputs_[order] = {output, cut};
}

void ConversionReport::setEnd(RunEnd end, const QStringList& why)
{
    end_ = end;
    why_ = why;
}

QString ConversionReport::failureLine(const Failure& failure) const
{
    // A reason may name the source itself; do not say it twice.
    return failure.reason.startsWith(failure.source)
               ? failure.reason
               : failure.source + QStringLiteral(": ") + failure.reason;
}

QString ConversionReport::summary(int total, const QString& one, const QString& many) const
{
    const auto files = [&](int n) {
        return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
    };
    const int failed = failureCount();
    QString text;
    switch (end_) {
    case RunEnd::Completed:
        if (failed == 0)
            return QStringLiteral("Done.");
        if (converted_ == 0)
            text = total == 1
                       ? QStringLiteral("The %1 could not be converted:").arg(one)
                       : QStringLiteral("None of the %1 could be converted:").arg(files(total));
        else
            text = QStringLiteral("%1 of %2 converted; %3 could not be converted:")
                       .arg(converted_)
                       .arg(files(total) + QLatin1Char(' ') + were(converted_))
                       .arg(failed);
        break;
    case RunEnd::Stopped:
        text = QStringLiteral("Stopped.\n\n%1 of %2 converted before the run was stopped.")
                   .arg(converted_)
                   .arg(files(total) + QLatin1Char(' ') + were(converted_));
        if (failed > 0)
            text += QStringLiteral("\n\n%1 could not be converted:").arg(files(failed));
        break;
    case RunEnd::FolderUnusable: {
        const int untried = total - converted_ - failed;
        text = QStringLiteral("Stopped: %1.\n\n%2 of %3 converted; the other %4 not "
                              "converted. Choose another output folder and start again.")
                   .arg(why_.value(0))
                   .arg(converted_)
                   .arg(files(total) + QLatin1Char(' ') + were(converted_))
                   .arg(untried == 1 ? one + QStringLiteral(" was")
                                     : files(untried) + QStringLiteral(" were"));
        if (failed > 0)
            text += QStringLiteral("\n\n%1 could not be converted:").arg(files(failed));
        break;
    }
    case RunEnd::NoConverter:
        text = QStringLiteral("No %1 was converted: the converter could not be started from any "
                              "of its folders:")
                   .arg(one);
        for (const QString& line : why_)
            text += QLatin1Char('\n') + shortenedLine(line, {});
        return text;
    }
    const int listed = std::min(failed, kListedFailures);
    for (int i = 0; i < listed; ++i) {
        const Failure& failure = failures_[static_cast<std::size_t>(i)];
        text += QLatin1Char('\n') +
                shortenedLine(failureLine(failure), {failure.source, failure.output});
    }
    if (failed > listed)
        text += QStringLiteral("\n... and %1 more, all listed in the details").arg(failed - listed);
    return text;
}

QString ConversionReport::details() const
{
    QStringList lines;
    for (const Failure& failure : failures_)
        lines.append(failureLine(failure));
    if (end_ == RunEnd::NoConverter)
        lines.append(why_);
    return lines.join(QLatin1Char('\n'));
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
