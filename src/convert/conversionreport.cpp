#include "conversionreport.h"

#include <algorithm>

void ConversionReport::addFailure(const QString& source, const QString& reason)
{
    failures_.push_back({source, reason});
}

QString ConversionReport::summary(int total) const
{
    QString text = QStringLiteral("Done.");
    if (failures_.empty())
        return text;
    text += QStringLiteral("\n\n%1 of %2 %3 could not be converted:")
                .arg(failures_.size())
                .arg(total)
                .arg(total == 1 ? QStringLiteral("file") : QStringLiteral("files"));
    const int listed = std::min(failureCount(), kListedFailures);
    for (int i = 0; i < listed; ++i) {
        const Failure& failure = failures_[static_cast<std::size_t>(i)];
        // The converter names the source in its own message; do not say it twice.
        text += QLatin1Char('\n');
        if (failure.reason.contains(failure.source))
            text += failure.reason;
        else
            text += failure.source + QStringLiteral(": ") + failure.reason;
    }
    if (failureCount() > listed)
        text += QStringLiteral("\n... and %1 more").arg(failureCount() - listed);
    return text;
}
