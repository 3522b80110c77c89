#include "baranimation.h"
#include "bartext.h"
#include "modprocess.h"
#include "processkill.h"

#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kFake = QStringLiteral(FAKE_NCONVERT);

std::unique_ptr<QProgressBar> makeBar(int value, const QString& text)
{
    auto bar = std::make_unique<QProgressBar>();
    bar->setRange(0, 100);
    bar->setValue(value);
    SetBarText(*bar, text);
    return bar;
}

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

TEST(RunAndWait, ReturnsTheExitCodeAndTheLastErrorLine)
{
    const auto barOwner = makeBar(50, QStringLiteral("Processing: a.ani"));
    QProgressBar& bar = *barOwner;
    const RunOutcome ok = RunAndWait(kFake, {"--exit", "0"}, 0, &bar, BarText(bar), 50, 2);
    EXPECT_TRUE(ok.succeeded());
    EXPECT_EQ(ok.code, 0);

    const RunOutcome failed = RunAndWait(
        kFake, {"--stderr", "first", "--stderr", "a.ani: damaged file: no frames", "--exit", "3"},
        0, &bar, BarText(bar), 50, 2);
    EXPECT_TRUE(failed.started);
    EXPECT_FALSE(failed.succeeded());
    EXPECT_EQ(failed.code, 3);
    EXPECT_EQ(failed.reason(), "a.ani: damaged file: no frames");

    const RunOutcome silent = RunAndWait(kFake, {"--exit", "4"}, 0, &bar, BarText(bar), 50, 2);
    EXPECT_EQ(silent.reason(), "the converter ended with code 4");

    // A quick process leaves no trace on the bar besides its base text.
    EXPECT_EQ(BarText(bar), "Processing: a.ani");
    EXPECT_EQ(bar.value(), 50);
}

TEST(RunAndWait, CrashIsAFailureEvenWithoutAnExitCode)
{
    const RunOutcome crashed = RunAndWait(kFake, {"--crash"}, 0, nullptr, {}, 0, 1);
    EXPECT_TRUE(crashed.started);
    EXPECT_TRUE(crashed.crashed);
    EXPECT_FALSE(crashed.succeeded());
    EXPECT_NE(crashed.code, 0);
}

TEST(RunAndWait, StartFailureGivesTheCodeAndLeavesTheBarAlone)
{
    QTemporaryDir dir;
    const auto barOwner = makeBar(25, QStringLiteral("Processing: a.ani"));
    QProgressBar& bar = *barOwner;
    const RunOutcome missing =
        RunAndWait(dir.filePath("no-such-program"), {}, 0, &bar, QString(), 25, 4);
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.code, StartErrorCode(53));
    EXPECT_TRUE(missing.reason().startsWith("the converter could not be started"));
    EXPECT_EQ(BarText(bar), "Processing: a.ani");

    QFile plain(dir.filePath("not-executable"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("data");
    plain.close();
    const RunOutcome denied = RunAndWait(plain.fileName(), {}, 0, &bar, QString(), 25, 4);
    EXPECT_EQ(denied.code, StartErrorCode(70));
    EXPECT_EQ(BarText(bar), "Processing: a.ani");
}

TEST(RunAndWait, ArgumentsReachTheProgramUnparsed)
{
    QTemporaryDir dir;
    const QString weird = QStringLiteral("a\" -o \"b $(x) ;|&* 'ü'");
    const RunOutcome outcome =
        RunAndWait(kFake, {"--stderr", weird, "--exit", "5"}, 0, nullptr, {}, 0, 1);
    EXPECT_EQ(outcome.code, 5);
    EXPECT_EQ(outcome.errorLine, weird);
    // A long line keeps its end, where the reason is.
    const QString longLine = "nconvert: " + QString(600, 'x') + ": File name too long";
    EXPECT_EQ(
        RunAndWait(kFake, {"--stderr", longLine, "--exit", "1"}, 0, nullptr, {}, 0, 1).errorLine,
        longLine);
}

// A process that never ends keeps the wait going with the window's events running; here an
// event ends it, and the wait notices.
TEST(RunAndWait, EventsRunDuringTheWaitAndTheEndIsNoticed)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    bool timerRan = false;
    QTimer killer;
    killer.setInterval(20);
    QObject::connect(&killer, &QTimer::timeout, [&] {
        QFile file(pidFile);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const int pid = file.readAll().trimmed().toInt();
        if (pid > 0) {
            timerRan = true;
            KillProcess(pid);
            killer.stop();
        }
    });
    killer.start();
    const auto barOwner = makeBar(10, QStringLiteral("Processing: h.ani"));
    QProgressBar& bar = *barOwner;
    const RunOutcome outcome =
        RunAndWait(kFake, {"--hang", pidFile}, 0, &bar, BarText(bar), 10, 10);
    EXPECT_TRUE(timerRan);
    EXPECT_FALSE(outcome.succeeded());
    EXPECT_TRUE(outcome.crashed);
    EXPECT_EQ(BarText(bar), "Processing: h.ani");
}

// With short ticks the animation of a long wait can be watched: the count from tick 50, one more
// per tick, and the base text back at the end.
TEST(ProcessRunner, LongWaitShowsTheCountThenTheBaseText)
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
    ProcessRunner runner;
    runner.setTickMilliseconds(1);
    runner.run(kFake, {"--hang", pidFile}, 0, &display, "Processing: a.ani", 50, 2);
    ASSERT_GE(display.texts.size(), 14);
    for (int i = 0; i <= 12; ++i)
        EXPECT_EQ(display.texts[i], QStringLiteral("Processing: a.ani, Please wait.. %1").arg(i));
    EXPECT_EQ(display.texts.back(), "Processing: a.ani");
    EXPECT_EQ(display.values, (std::vector<int>{50}));
}

TEST(ProcessRunner, NullDisplayOnlyWaits)
{
    ProcessRunner runner;
    runner.setTickMilliseconds(1);
    const RunOutcome outcome =
        runner.run(kFake, {"--sleep", "150", "--exit", "2"}, 0, nullptr, "x", 0, 0);
    EXPECT_EQ(outcome.code, 2);
}
