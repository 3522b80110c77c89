#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QtGlobal>
#include <memory>
#include <optional>

class EndRequest;

// How one converter process ended.
struct RunOutcome
{
    // The exit code, or the start error code when the program could not be started.
    qint32 code = 0;
    bool started = false;
    bool crashed = false;
    // Ended because it ran longer than its time limit.
    bool timedOut = false;
    // Asked to end (Stop, closing the window) before it had finished by itself.
    bool stopped = false;
    // The last line the process wrote on its error output, or why it could not be started.
    QString errorLine;
    // What it wrote on its standard output, when that was kept (see keepOutput), up to the limit.
    QByteArray output;
    // It wrote more than the limit; what is kept is the beginning.
    bool outputCut = false;

    bool succeeded() const { return started && !crashed && !timedOut && code == 0; }
};

// The show-window code the process gets: 0 (hidden) to 6; anything else gives 6.
int NormalizeWindowStyle(std::optional<int> style);

// The result for a program that could not be started: the error number plus 0x80040000, taken
// as a signed 32-bit sum.
qint32 StartErrorCode(int errorNumber);

// The command line Windows sees: the program and every argument that holds more than letters,
// digits and dashes between quotes, separated by single spaces. Each argument reads back
// unchanged with the system's rules (CommandLineToArgvW, the C runtime).
QString NativeCommandLine(const QString& program, const QStringList& arguments);

// One argument between quotes, with the backslashes and quotes in it escaped.
QString QuotedArgument(const QString& text);

// One program started with an argument vector (never through a shell) and followed through its
// signals, so the thread that started it never waits. Past its time limit, or when stopped, it is
// asked to end, so it can remove what it was writing, and killed if it has not ended after a
// short grace.
class ConverterProcess : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int timeoutMilliseconds = 120'000;
        // How long a program asked to end may take to clean up before it is killed.
        int graceMilliseconds = 2'000;
    };

    explicit ConverterProcess(Limits limits, QObject* parent = nullptr);
    // A process still running is killed: nothing we start outlives us.
    ~ConverterProcess() override;

    // Keeps up to `limit` bytes of what the next program started writes on its standard output
    // (the rest is read and dropped, so the program never waits on a full pipe). Otherwise its
    // output goes nowhere.
    void keepOutput(qsizetype limit);

    // Starts the program; finished() follows once it has ended or could not be started.
    void start(const QString& program, const QStringList& arguments,
               std::optional<int> windowStyle = std::nullopt);

    // Asks the program to end; finished() follows once it has (killed after the grace).
    void stop();

    // Asks the program to end and waits for it, killing it after the grace; finished() is not
    // emitted.
    void abandon();

    // Whether the program has ended (or failed to start) and its outcome is in.
    bool isDone() const { return done_; }
    const RunOutcome& outcome() const { return outcome_; }

signals:
    void finished();

private:
    void collectErrorOutput();
    void collectOutput();
    void onFinished();
    void onErrorOccurred(QProcess::ProcessError error);
    void askToEnd();

    Limits limits_;
    QProcess process_;
    std::unique_ptr<EndRequest> endRequest_;
    QTimer timeout_;
    QTimer grace_;
    QByteArray errorTail_;
    qsizetype outputLimit_ = -1;
    RunOutcome outcome_;
    bool done_ = false;
    bool asked_ = false;
};
