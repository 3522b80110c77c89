#include "exitcodes.h"
#include "failurereason.h"
#include "modprocess.h"
#include "processkill.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kFake = QStringLiteral(FAKE_NCONVERT);

// Starts the program and lets events run until it has ended; the guard only keeps a process
// that never ends from hanging the suite.
RunOutcome runToEnd(const QString& program, const QStringList& arguments,
                    ConverterProcess::Limits limits = {},
                    const std::function<void(ConverterProcess&)>& meddle = {})
{
    ConverterProcess process(limits);
    QEventLoop loop;
    QObject::connect(&process, &ConverterProcess::finished, &loop, &QEventLoop::quit);
    process.start(program, arguments, 0);
    if (meddle)
        meddle(process);
    if (!process.isDone()) {
        QTimer::singleShot(120'000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    EXPECT_TRUE(process.isDone());
    return process.outcome();
}

} // namespace

TEST(StartErrorCode, ErrorNumberPlusFacilityAsSigned)
{
    EXPECT_EQ(StartErrorCode(53), -2147221451);
    EXPECT_EQ(StartErrorCode(70), -2147221434);
}

TEST(NormalizeWindowStyle, OutOfRangeOrOmittedGivesSix)
{
    EXPECT_EQ(NormalizeWindowStyle(0), 0);
    EXPECT_EQ(NormalizeWindowStyle(6), 6);
    EXPECT_EQ(NormalizeWindowStyle(7), 6);
    EXPECT_EQ(NormalizeWindowStyle(-1), 6);
    EXPECT_EQ(NormalizeWindowStyle(std::nullopt), 6);
}

TEST(ConverterProcess, ExitCodesAndTheLastErrorLineBecomeTheWindowsReasons)
{
    const RunOutcome ok = runToEnd(kFake, {"--exit", "0"});
    EXPECT_TRUE(ok.succeeded());
    EXPECT_EQ(FailureReason(ok, "a.ani", "o.jpg", 120), "");

    // The converter's words come without its name and the source's in front.
    const RunOutcome damaged =
        runToEnd(kFake, {"--stderr", "first", "--stderr",
                         "nconvert: a.ani: damaged file: no frames", "--exit", "4"});
    EXPECT_TRUE(damaged.started);
    EXPECT_EQ(damaged.code, nconv::kExitDamaged);
    EXPECT_EQ(FailureReason(damaged, "a.ani", "o.jpg", 120), "damaged file: no frames");
    EXPECT_EQ(FailureReason(damaged, "b.ani", "o.jpg", 120), "a.ani: damaged file: no frames");

    // The code decides, whatever the converter's words.
    const RunOutcome exists = runToEnd(kFake, {"--stderr", "anything", "--exit", "3"});
    EXPECT_EQ(FailureReason(exists, "a.ani", "o.jpg", 120),
              "a file named o.jpg is already there and was left as it was");
    // Of every-frame outputs the one in the way is named, not the name the frames are made from.
    const RunOutcome frameExists = runToEnd(
        kFake,
        {"--stderr",
         "nconvert: a.ani: output file already exists: o-2.png (add -overwrite to replace it)",
         "--exit", "3"});
    EXPECT_EQ(FailureReason(frameExists, "a.ani", "o.png", 120),
              "a file named o-2.png is already there and was left as it was");
    EXPECT_EQ(FailureReason(runToEnd(kFake, {"--exit", "8"}), "a.ani", "o.jpg", 120),
              "the result could not be written to o.jpg");
    EXPECT_EQ(FailureReason(runToEnd(kFake, {"--exit", "42"}), "a.ani", "o.jpg", 120),
              "the converter ended with code 42");

    const RunOutcome crashed = runToEnd(kFake, {"--crash"});
    EXPECT_TRUE(crashed.crashed);
    EXPECT_FALSE(crashed.succeeded());
    EXPECT_EQ(FailureReason(crashed, "a.ani", "o.jpg", 120), "the converter stopped unexpectedly");

    // Arguments reach the program unparsed, and a long line keeps its end, where the reason is.
    const QString weird = QStringLiteral("a\" -o \"b $(x) ;|&* 'ü'");
    EXPECT_EQ(runToEnd(kFake, {"--stderr", weird, "--exit", "5"}).errorLine, weird);
    const QString longLine = "nconvert: " + QString(600, 'x') + ": File name too long";
    EXPECT_EQ(runToEnd(kFake, {"--stderr", longLine, "--exit", "1"}).errorLine, longLine);
}

TEST(ConverterProcess, StartFailureGivesTheCode)
{
    QTemporaryDir dir;
    const RunOutcome missing = runToEnd(dir.filePath("no-such-program"), {});
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.code, StartErrorCode(53));
    EXPECT_TRUE(FailureReason(missing, "a.ani", "o.jpg", 120)
                    .startsWith("the converter could not be started"));

    QFile plain(dir.filePath("not-executable"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("data");
    plain.close();
    EXPECT_EQ(runToEnd(plain.fileName(), {}).code, StartErrorCode(70));
}

// Stopped, a program is asked to end and has the grace to do so; one that will not is killed.
TEST(ConverterProcess, StopAsksFirstAndKillsAfterTheGrace)
{
    QTemporaryDir dir;
    const RunOutcome asked = runToEnd(kFake, {"--sleep", "60000"}, {120'000, 60'000},
                                      [](ConverterProcess& process) { process.stop(); });
    EXPECT_TRUE(asked.stopped);
    EXPECT_FALSE(asked.timedOut);
    EXPECT_FALSE(asked.succeeded());
#ifndef _WIN32
    // It ended of itself: a termination signal, not the kill at the end of the grace.
    EXPECT_EQ(asked.code, SIGTERM);
#endif
    // Asked once it is hanging, so it had the time to ignore the request.
    const QString pidFile = dir.filePath("pid");
    QTimer poll;
    const RunOutcome stubborn = runToEnd(kFake, {"--ignore-term", "--hang", pidFile},
                                         {120'000, 200}, [&](ConverterProcess& process) {
                                             QObject::connect(&poll, &QTimer::timeout, [&] {
                                                 if (!QFile::exists(pidFile))
                                                     return;
                                                 poll.stop();
                                                 process.stop();
                                             });
                                             poll.start(5);
                                         });
    EXPECT_TRUE(stubborn.stopped);
    EXPECT_TRUE(stubborn.crashed);
#ifndef _WIN32
    EXPECT_EQ(stubborn.code, SIGKILL);
#endif
}

// A converter that never ends is killed at its time limit and reported as taking too long.
TEST(ConverterProcess, PastItsTimeLimitTheProgramIsKilled)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    const RunOutcome outcome = runToEnd(kFake, {"--ignore-term", "--hang", pidFile}, {300, 200});
    EXPECT_TRUE(outcome.timedOut);
    EXPECT_FALSE(outcome.succeeded());
    EXPECT_EQ(FailureReason(outcome, "a.ani", "o.jpg", 1),
              "took too long: the converter was stopped after 1 second");
    const int pid = QString::fromUtf8([&] {
                        QFile file(pidFile);
                        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
                    }())
                        .trimmed()
                        .toInt();
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(ProcessIsAlive(pid));
}
