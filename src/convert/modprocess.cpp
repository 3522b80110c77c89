#include "modprocess.h"

#include "apperror.h"
#include "baranimation.h"
#include "events.h"
#include "processstart.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace {

// Enough error output to find its last line; a chatty child cannot make us hold more.
constexpr qsizetype kErrorTailBytes = 8192;

int startErrorNumber(const QString& program)
{
    const QFileInfo info(program);
    if (!info.exists())
        return ErrorNumber::kFileNotFound;
    if (info.isDir() || !info.isExecutable())
        return ErrorNumber::kPermissionDenied;
    return ErrorNumber::kInvalidArgument;
}

QString lastLine(const QByteArray& output)
{
    const QStringList lines = QString::fromUtf8(output).split(QLatin1Char('\n'));
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        if (!line.isEmpty())
            return line;
    }
    return {};
}

bool isPlainWord(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-'))
            return false;
    }
    return true;
}

} // namespace

QString RunOutcome::reason() const
{
    if (!started)
        return QStringLiteral("the converter could not be started: %1").arg(errorLine);
    if (crashed)
        return errorLine.isEmpty()
                   ? QStringLiteral("the converter stopped unexpectedly")
                   : QStringLiteral("the converter stopped unexpectedly: %1").arg(errorLine);
    if (!errorLine.isEmpty())
        return errorLine;
    return QStringLiteral("the converter ended with code %1").arg(code);
}

int NormalizeWindowStyle(std::optional<int> style)
{
    if (!style || *style < 0 || *style > 6)
        return 6;
    return *style;
}

qint32 StartErrorCode(int errorNumber)
{
    return static_cast<qint32>(static_cast<quint32>(errorNumber) + 0x80040000u);
}

QString NativeCommandLine(const QString& program, const QStringList& arguments)
{
    // The program name is taken up to the next quote, with no escapes; file names hold no quotes.
    QString line = QLatin1Char('"') + program + QLatin1Char('"');
    for (const QString& argument : arguments)
        line += QLatin1Char(' ') + (isPlainWord(argument) ? argument : QuotedArgument(argument));
    return line;
}

QString QuotedArgument(const QString& text)
{
    // Backslashes are escapes only before a quote: a run of them there is doubled and the quote
    // gets one more; so is the run before the closing quote.
    QString quoted(QLatin1Char('"'));
    qsizetype backslashes = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted += QString(backslashes + 1, QLatin1Char('\\'));
        backslashes = c == QLatin1Char('\\') ? backslashes + 1 : 0;
        quoted += c;
    }
    quoted += QString(backslashes, QLatin1Char('\\'));
    return quoted + QLatin1Char('"');
}

RunOutcome ProcessRunner::run(const QString& program, const QStringList& arguments,
                              std::optional<int> windowStyle, ProgressDisplay* display,
                              const QString& baseText, int baseValue, int count) const
{
    RunOutcome outcome;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    PrepareProcessStart(process, NormalizeWindowStyle(windowStyle),
                        NativeCommandLine(program, arguments));

    QByteArray errorTail;
    const auto collectErrorOutput = [&] {
        errorTail += process.readAllStandardError();
        if (errorTail.size() > kErrorTailBytes)
            errorTail.remove(0, errorTail.size() - kErrorTailBytes);
    };
    QObject::connect(&process, &QProcess::readyReadStandardError, collectErrorOutput);

    process.start();
    if (!process.waitForStarted(-1)) {
        outcome.code = StartErrorCode(startErrorNumber(program));
        outcome.errorLine = process.errorString();
        return outcome;
    }
    outcome.started = true;

    std::optional<BarAnimation> animation;
    if (display)
        animation.emplace(*display, baseText, baseValue, count);

    for (;;) {
        WaitWithEvents(process, tickMilliseconds_);
        if (process.state() == QProcess::NotRunning)
            break;
        LetEventsRun();
        if (animation)
            animation->tick();
    }

    collectErrorOutput();
    outcome.errorLine = lastLine(errorTail);
    outcome.crashed = process.exitStatus() == QProcess::CrashExit;
    outcome.code = process.exitCode();
    if (outcome.crashed && outcome.code == 0)
        outcome.code = -1;
    if (animation)
        animation->finish();
    return outcome;
}

void WaitWithEvents(QProcess& process, int milliseconds)
{
    if (process.state() == QProcess::NotRunning)
        return;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    limit.start(milliseconds);
    loop.exec();
}

RunOutcome RunAndWait(const QString& program, const QStringList& arguments,
                      std::optional<int> windowStyle, QProgressBar* bar, const QString& baseText,
                      int baseValue, int count)
{
    if (!bar)
        return ProcessRunner().run(program, arguments, windowStyle, nullptr, baseText, baseValue,
                                   count);
    ProgressBarDisplay display(*bar);
    return ProcessRunner().run(program, arguments, windowStyle, &display, baseText, baseValue,
                               count);
}
