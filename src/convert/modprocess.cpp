#include "modprocess.h"

#include "apperror.h"
#include "processstart.h"

#include <QFileInfo>
#include <algorithm>

namespace {

// Enough error output to find its last line; a chatty child cannot make us hold more.
constexpr qsizetype kErrorTailBytes = 8192;
// A killed process is gone at once; this only bounds the wait should the system be stuck.
constexpr int kKillWaitMilliseconds = 5000;

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

ConverterProcess::ConverterProcess(Limits limits, QObject* parent)
    : QObject(parent), limits_(limits), endRequest_(std::make_unique<EndRequest>())
{
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.setStandardOutputFile(QProcess::nullDevice());
    timeout_.setSingleShot(true);
    timeout_.setInterval(limits_.timeoutMilliseconds);
    grace_.setSingleShot(true);
    grace_.setInterval(limits_.graceMilliseconds);
    connect(&process_, &QProcess::readyReadStandardError, this,
            &ConverterProcess::collectErrorOutput);
    connect(&process_, &QProcess::readyReadStandardOutput, this, &ConverterProcess::collectOutput);
    connect(&process_, &QProcess::finished, this, &ConverterProcess::onFinished);
    connect(&process_, &QProcess::errorOccurred, this, &ConverterProcess::onErrorOccurred);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        outcome_.timedOut = true;
        askToEnd();
    });
    connect(&grace_, &QTimer::timeout, this, [this] { process_.kill(); });
}

ConverterProcess::~ConverterProcess()
{
    abandon();
}

void ConverterProcess::keepOutput(qsizetype limit)
{
    outputLimit_ = std::max<qsizetype>(limit, 0);
    process_.setStandardOutputFile(QString());
}

void ConverterProcess::start(const QString& program, const QStringList& arguments,
                             std::optional<int> windowStyle)
{
    outcome_ = {};
    done_ = false;
    asked_ = false;
    errorTail_.clear();
    process_.setProgram(program);
    process_.setArguments(arguments);
    PrepareProcessStart(process_, NormalizeWindowStyle(windowStyle),
                        NativeCommandLine(program, arguments));
    endRequest_->prepare(process_);
    process_.start();
    if (process_.state() == QProcess::NotRunning)
        return; // errorOccurred has been queued or emitted; it reports the failure
    timeout_.start();
}

void ConverterProcess::stop()
{
    if (done_ || process_.state() == QProcess::NotRunning)
        return;
    outcome_.stopped = true;
    askToEnd();
}

void ConverterProcess::abandon()
{
    timeout_.stop();
    grace_.stop();
    process_.disconnect(this);
    if (process_.state() == QProcess::NotRunning)
        return;
    if (!asked_)
        endRequest_->send(process_);
    if (!process_.waitForFinished(limits_.graceMilliseconds)) {
        process_.kill();
        process_.waitForFinished(kKillWaitMilliseconds);
    }
}

void ConverterProcess::askToEnd()
{
    timeout_.stop();
    if (asked_)
        return;
    asked_ = true;
    endRequest_->send(process_);
    grace_.start();
}

void ConverterProcess::collectErrorOutput()
{
    errorTail_ += process_.readAllStandardError();
    if (errorTail_.size() > kErrorTailBytes)
        errorTail_.remove(0, errorTail_.size() - kErrorTailBytes);
}

void ConverterProcess::collectOutput()
{
    const QByteArray more = process_.readAllStandardOutput();
    if (outputLimit_ < 0)
        return;
    const qsizetype room = outputLimit_ - outcome_.output.size();
    outcome_.output += more.left(std::max<qsizetype>(room, 0));
    outcome_.outputCut = outcome_.outputCut || more.size() > room;
}

void ConverterProcess::onFinished()
{
    timeout_.stop();
    grace_.stop();
    collectErrorOutput();
    collectOutput();
    outcome_.started = true;
    outcome_.errorLine = lastLine(errorTail_);
    outcome_.crashed = process_.exitStatus() == QProcess::CrashExit;
    outcome_.code = process_.exitCode();
    if (outcome_.crashed && outcome_.code == 0)
        outcome_.code = -1;
    done_ = true;
    emit finished();
}

void ConverterProcess::onErrorOccurred(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart)
        return; // crashes and kills end in finished()
    timeout_.stop();
    outcome_.started = false;
    outcome_.code = StartErrorCode(startErrorNumber(process_.program()));
    outcome_.errorLine = process_.errorString();
    done_ = true;
    emit finished();
}
