#include "baranimation.h"
#include "exitcodes.h"
#include "failurereason.h"
#include "modprocess.h"
#include "processkill.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kFake = QStringLiteral(FAKE_NCONVERT);

struct Recorder : ProgressDisplay
{
    void setText(const QString& text) override
    {
        texts.append(text);
        if (onText)
            onText(text);
    }
    void setValue(int value) override { values.push_back(value); }
    QStringList texts;
    std::vector<int> values;
    std::function<void(const QString&)> onText;
};

// Starts the program and lets events run until it has ended; the guard only keeps a process
// that never ends from hanging the suite.
RunOutcome runToEnd(const QString& program, const QStringList& arguments,
                    ProgressDisplay* display = nullptr, ConverterProcess::Limits limits = {},
                    const QString& baseText = {}, int baseValue = 0, int count = 1)
{
    ConverterProcess process(limits);
    QEventLoop loop;
    QObject::connect(&process, &ConverterProcess::finished, &loop, &QEventLoop::quit);
    process.start(program, arguments, 0, display, baseText, baseValue, count);
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
    EXPECT_EQ(FailureReason(ok, "o.jpg", 120), "");

    const RunOutcome damaged = runToEnd(
        kFake, {"--stderr", "first", "--stderr", "a.ani: damaged file: no frames", "--exit", "4"});
    EXPECT_TRUE(damaged.started);
    EXPECT_EQ(damaged.code, nconv::kExitDamaged);
    EXPECT_EQ(FailureReason(damaged, "o.jpg", 120), "a.ani: damaged file: no frames");

    // The code decides, whatever the converter's words.
    const RunOutcome exists = runToEnd(kFake, {"--stderr", "anything", "--exit", "3"});
    EXPECT_EQ(FailureReason(exists, "o.jpg", 120),
              "a file named o.jpg is already there and was left as it was");
    EXPECT_EQ(FailureReason(runToEnd(kFake, {"--exit", "8"}), "o.jpg", 120),
              "the result could not be written to o.jpg");
    EXPECT_EQ(FailureReason(runToEnd(kFake, {"--exit", "42"}), "o.jpg", 120),
              "the converter ended with code 42");

    const RunOutcome crashed = runToEnd(kFake, {"--crash"});
    EXPECT_TRUE(crashed.crashed);
    EXPECT_FALSE(crashed.succeeded());
    EXPECT_EQ(FailureReason(crashed, "o.jpg", 120), "the converter stopped unexpectedly");

    // Arguments reach the program unparsed, and a long line keeps its end, where the reason is.
    const QString weird = QStringLiteral("a\" -o \"b $(x) ;|&* 'ü'");
    EXPECT_EQ(runToEnd(kFake, {"--stderr", weird, "--exit", "5"}).errorLine, weird);
    const QString longLine = "nconvert: " + QString(600, 'x') + ": File name too long";
    EXPECT_EQ(runToEnd(kFake, {"--stderr", longLine, "--exit", "1"}).errorLine, longLine);
}

TEST(ConverterProcess, StartFailureGivesTheCodeAndLeavesTheDisplayAlone)
{
    QTemporaryDir dir;
    Recorder display;
    const RunOutcome missing = runToEnd(dir.filePath("no-such-program"), {}, &display);
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.code, StartErrorCode(53));
    EXPECT_TRUE(
        FailureReason(missing, "o.jpg", 120).startsWith("the converter could not be started"));

    QFile plain(dir.filePath("not-executable"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("data");
    plain.close();
    EXPECT_EQ(runToEnd(plain.fileName(), {}, &display).code, StartErrorCode(70));
    EXPECT_TRUE(display.texts.isEmpty());
}

// With short ticks the animation of a long wait can be watched: the count from tick 50, one more
// per tick, and the base text back at the end.
TEST(ConverterProcess, LongWaitShowsTheCountThenTheBaseText)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    Recorder display;
    display.onText = [&](const QString&) {
        if (display.texts.size() >= 13) {
            QFile file(pidFile);
            if (file.open(QIODevice::ReadOnly))
                KillProcess(file.readAll().trimmed().toInt());
        }
    };
    const RunOutcome outcome =
        runToEnd(kFake, {"--hang", pidFile}, &display, {1, 120'000}, "Processing: a.ani", 50, 2);
    EXPECT_TRUE(outcome.crashed);
    ASSERT_GE(display.texts.size(), 14);
    for (int i = 0; i <= 12; ++i)
        EXPECT_EQ(display.texts[i], QStringLiteral("Processing: a.ani, Please wait.. %1").arg(i));
    EXPECT_EQ(display.texts.back(), "Processing: a.ani");
    EXPECT_EQ(display.values, (std::vector<int>{50}));
}

// A converter that never ends is killed at its time limit and reported as taking too long.
TEST(ConverterProcess, PastItsTimeLimitTheProgramIsKilled)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    const RunOutcome outcome = runToEnd(kFake, {"--hang", pidFile}, nullptr, {100, 300});
    EXPECT_TRUE(outcome.timedOut);
    EXPECT_FALSE(outcome.succeeded());
    EXPECT_EQ(FailureReason(outcome, "o.jpg", 1),
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
