#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

class QProcess;
class QProgressBar;
class ProgressDisplay;

// How one process ended.
struct RunOutcome
{
    // The exit code, or the start error code when the program could not be started.
    qint32 code = 0;
    bool started = false;
    bool crashed = false;
    // The last line the process wrote on its error output, or why it could not be started.
    QString errorLine;

    bool succeeded() const { return started && !crashed && code == 0; }
    // A reason a user can act on, for a run that did not succeed.
    QString reason() const;
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

// Runs the window's events until `process` has ended or `milliseconds` have passed, so an ending
// process is noticed at once and the window never waits.
void WaitWithEvents(QProcess& process, int milliseconds);

// Starts one program with an argument vector (never through a shell) and waits for it to end
// while the window's events keep running. Each tick waits up to the tick length for the
// process to end; the display shows the wait from the animation tick on.
class ProcessRunner
{
public:
    void setTickMilliseconds(int milliseconds) { tickMilliseconds_ = milliseconds; }

    RunOutcome run(const QString& program, const QStringList& arguments,
                   std::optional<int> windowStyle, ProgressDisplay* display,
                   const QString& baseText, int baseValue, int count) const;

private:
    int tickMilliseconds_ = 100;
};

// Runs the program and waits for it to end, animating the bar (null: no bar handling at all).
RunOutcome RunAndWait(const QString& program, const QStringList& arguments,
                      std::optional<int> windowStyle, QProgressBar* bar, const QString& baseText,
                      int baseValue, int count);
