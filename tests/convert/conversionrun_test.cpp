// The run engine driven directly, with the fake converter and a host that records what the
// window would show.
#include "apperror.h"
#include "baranimation.h"
#include "conversionreport.h"
#include "conversionrun.h"
#include "processkill.h"
#include "qtprinters.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

class RecordingHost : public ConversionHost, public ProgressDisplay
{
public:
    ProgressDisplay& progress() override { return *this; }
    void setBusy(bool busy) override { busyChanges.push_back(busy); }
    void setText(const QString& text) override { texts.append(text); }
    void setValue(int value) override { values.push_back(value); }

    QStringList texts;
    std::vector<int> values;
    std::vector<bool> busyChanges;
};

class RunEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        sources = temp.filePath("sources");
        output = temp.filePath("out");
        converters = temp.filePath("converters");
        for (const QString& folder : {sources, output, converters})
            QDir().mkpath(folder);
        qputenv("FAKE_NCONVERT_LOG", QFile::encodeName(temp.filePath("calls.log")));
        qputenv("FAKE_NCONVERT_PIDFILE", QFile::encodeName(pidFile()));
    }

    void TearDown() override
    {
        run.reset();
        qunsetenv("FAKE_NCONVERT_LOG");
        qunsetenv("FAKE_NCONVERT_PIDFILE");
    }

    QString pidFile() const { return temp.filePath("pids"); }

    // A source whose lines tell the fake converter what to do.
    QString source(const QString& name, const QByteArray& directives = "convert",
                   const QString& folder = {})
    {
        const QString dir = folder.isEmpty() ? sources : folder;
        QDir().mkpath(dir);
        const QString path = QDir::toNativeSeparators(dir + "/" + name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(directives + '\n');
        return path;
    }

    ConversionRun& makeRun(const QStringList& files, int converterCount = 2,
                           ConverterProcess::Limits limits = {}, PlanChoices choices = {},
                           int tickMilliseconds = 5)
    {
        if (choices.folder.isEmpty() && !besideSources)
            choices.folder = QDir::toNativeSeparators(output);
        RunPlan plan(choices);
        plan.add(files);
        ConverterSupply supply;
        supply.load = [] {
            QFile fake(QStringLiteral(FAKE_NCONVERT));
            return fake.open(QIODevice::ReadOnly) ? fake.readAll() : QByteArray();
        };
        supply.folders = {QDir::toNativeSeparators(converters)};
        RunSettings settings;
        settings.converters = converterCount;
        settings.limits = limits;
        settings.tickMilliseconds = tickMilliseconds;
        run = std::make_unique<ConversionRun>(std::move(plan), host, std::move(supply), settings);
        QObject::connect(run.get(), &ConversionRun::ended, [this] { ++endings; });
        return *run;
    }

    // Starts the run (unless started) and lets events run until it has ended; the guard only
    // keeps a run that never ends from hanging the suite.
    void runToEnd(ConversionRun& r)
    {
        QEventLoop loop;
        QObject::connect(&r, &ConversionRun::ended, &loop, &QEventLoop::quit);
        if (r.state() == ConversionRun::State::Ready)
            r.start();
        if (r.state() != ConversionRun::State::Ended) {
            QTimer::singleShot(120'000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        ASSERT_EQ(r.state(), ConversionRun::State::Ended) << "the run did not end";
    }

    // Once `ready` holds (checked every few milliseconds while the run goes on), `act` runs once.
    static void when(const std::function<bool()>& ready, const std::function<void()>& act)
    {
        auto* poll = new QTimer;
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, [poll, ready, act] {
            if (!ready())
                return;
            poll->stop();
            poll->deleteLater();
            act();
        });
        poll->start();
    }

    QList<int> hangingPids() const
    {
        QFile file(pidFile());
        QList<int> pids;
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& line : file.readAll().split('\n'))
                if (line.trimmed().toInt() > 0)
                    pids.append(line.trimmed().toInt());
        return pids;
    }

    QStringList outputs() const { return QDir(output).entryList(QDir::Files, QDir::Name); }

    static QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir temp;
    QString sources;
    QString output;
    QString converters;
    bool besideSources = false;
    RecordingHost host;
    std::unique_ptr<ConversionRun> run;
    int endings = 0;
};

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

TEST(RunPlan, NamesAreDecidedOnceOverThePlanAndAddedFilesComeAfter)
{
    RunPlan plan({"/out", OutputChoice::JpgFirstFrame, 70}, kPosixPaths);
    plan.add({"/x/a.ani", "/y/a.ani", "/z/A.ANI", "/x/b.cur"});
    ASSERT_EQ(plan.size(), 4);
    EXPECT_EQ(plan.at(0).output, "/out/a.jpg");
    EXPECT_EQ(plan.at(1).output, "/out/a (2).jpg");
    EXPECT_EQ(plan.at(2).output, "/out/A (3).jpg");
    EXPECT_EQ(plan.at(3).output, "/out/b.jpg");
    EXPECT_EQ(plan.at(1).arguments,
              ConverterArguments(OutputChoice::JpgFirstFrame, 70, "/out/a (2).jpg", "/y/a.ani"));
    // Sources added later never take a name planned before them.
    plan.add({"/w/b.ani", "/w/a.ani"});
    EXPECT_EQ(plan.at(4).output, "/out/b (2).jpg");
    EXPECT_EQ(plan.at(5).output, "/out/a (4).jpg");

    // A result never takes its own source's name (a Linux cursor of a file without extension,
    // a PNG of a PNG beside itself).
    RunPlan cursors({{}, OutputChoice::Xcursor, 85}, kPosixPaths);
    cursors.add({"/x/arrow", "/x/arrow.ani"});
    EXPECT_EQ(cursors.at(0).output, "/x/arrow (2)");
    EXPECT_EQ(cursors.at(1).output, "/x/arrow (3)");

    // Beside their sources, only names in one folder meet.
    RunPlan beside({{}, OutputChoice::AnimatedGif, 85}, kPosixPaths);
    beside.add({"/x/a.ani", "/y/a.ani", "/x/a.cur"});
    EXPECT_EQ(beside.at(0).output, "/x/a.gif");
    EXPECT_EQ(beside.at(1).output, "/y/a.gif");
    EXPECT_EQ(beside.at(2).output, "/x/a (2).gif");
}

// Only JPG and GIF are laid on a background; white gives the arguments without one.
TEST(RunPlan, TheBackgroundReachesJpgAndGifOnly)
{
    for (const OutputChoice choice : OutputChoices()) {
        // A theme is made of a pack, not of a file (themerun_test).
        if (choice == OutputChoice::CursorTheme)
            continue;
        RunPlan dark({"/out", choice, 85, "#202020"}, kPosixPaths);
        RunPlan white({"/out", choice, 85, "#ffffff"}, kPosixPaths);
        dark.add({"/src/a.ani"});
        white.add({"/src/a.ani"});
        QStringList expected = ConverterArguments(choice, 85, dark.at(0).output, "/src/a.ani");
        EXPECT_EQ(white.at(0).arguments, expected);
        if (UsesBackground(choice))
            expected = expected.mid(0, expected.size() - 1) +
                       QStringList{"-background", "#202020", "/src/a.ani"};
        EXPECT_EQ(dark.at(0).arguments, expected);
    }
    EXPECT_EQ(ConverterArguments(OutputChoice::JpgFirstFrame, 80, "o.jpg", "a.ani"),
              (QStringList{"-q", "80", "-out", "jpeg", "-truecolors", "-o", "o.jpg", "a.ani"}));
    EXPECT_EQ(BackgroundFromSetting(" #0a0B0c "), "#0A0B0C");
    EXPECT_EQ(BackgroundFromSetting("0a0b0c"), "#0A0B0C");
    EXPECT_EQ(BackgroundFromSetting("#+12345"), kWhiteBackground);
}

// Results of several choices can share a folder: every choice writes names of its own (every
// frame's files are numbered after the name given, "arrow-1.png", ...).
TEST(RunPlan, EveryChoiceNamesItsFilesApartFromTheOthers)
{
    QStringList names;
    for (const OutputChoice choice : OutputChoices()) {
        RunPlan plan({"/out", choice, 85}, kPosixPaths);
        plan.add({"/src/arrow.ani"});
        const QString name = plan.at(0).output;
        EXPECT_TRUE(plan.at(0).arguments.contains(name));
        if (choice == OutputChoice::PngEveryFrame) {
            EXPECT_TRUE(plan.at(0).arguments.contains("-frames"));
            continue;
        }
        EXPECT_FALSE(names.contains(name)) << qPrintable(name);
        names.append(name);
    }
    EXPECT_TRUE(names.contains("/out/arrow-strip.png"));
    EXPECT_TRUE(names.contains("/out/arrow.png"));
}

TEST(RunPlan, StartIsRefusedWithAReasonTheUserCanActOn)
{
    QTemporaryDir temp;
    const QString folder = QDir::toNativeSeparators(temp.path());
    const auto decide = [](bool toFolder, bool beside, const QString& text) {
        return DecideStart({toFolder, beside, text, OutputChoice::PngStrip, 60});
    };
    const StartDecision ok = decide(true, false, "  \"" + folder + "\" ");
    ASSERT_TRUE(ok.choices);
    EXPECT_EQ(ok.choices->folder, folder);
    EXPECT_EQ(ok.choices->output, OutputChoice::PngStrip);
    EXPECT_EQ(ok.choices->quality, 60);

    EXPECT_TRUE(decide(true, false, "   ").refusal.startsWith("No output folder is chosen."));
    EXPECT_EQ(decide(true, false, folder + "/missing").refusal,
              "Folder does not exist. Please select another folder.");
    EXPECT_EQ(decide(true, false, "relative/out").refusal, RelativeFolderRefusal("relative/out"));
    EXPECT_TRUE(decide(false, false, folder).refusal.startsWith("Choose where the results go"));
    // Beside the sources, the folder box does not matter.
    const StartDecision beside = decide(false, true, "");
    ASSERT_TRUE(beside.choices);
    EXPECT_TRUE(beside.choices->besideSources());
}

TEST(RunPlan, ConverterCountIsTheSettingOrOnePerCore)
{
    EXPECT_EQ(ConverterCount("", 2), 2);
    EXPECT_EQ(ConverterCount("3", 2), 3);
    EXPECT_EQ(ConverterCount(" 16 ", 2), 16);
    for (const char* junk : {"0", "17", "-1", "abc", "2.5"})
        EXPECT_EQ(ConverterCount(junk, 4), 4) << junk;
    EXPECT_EQ(ConverterCount("", 64), kMostConverters);
    EXPECT_EQ(ConverterCount("", 0), 1);
}

TEST(ProcessingText, NamesTheFirstFewFiles)
{
    EXPECT_EQ(ProcessingText({"a.ani"}), "Processing: a.ani");
    EXPECT_EQ(ProcessingText({"a.ani", "b.ani"}), "Processing: a.ani, b.ani");
    EXPECT_EQ(ProcessingText({"a", "b", "c", "d", "e"}, "Stopping: "),
              "Stopping: a, b, c and 2 more");
}

// Two converters that wait for each other only finish when they run at the same time.
TEST_F(RunEngine, ConvertersRunAtOnceAndTheBarNamesThem)
{
    const QString meeting = temp.filePath("meeting");
    QDir().mkpath(meeting);
    const QByteArray directive = "meet " + QFile::encodeName(meeting) + " 2";
    ConversionRun& r = makeRun({source("a.ani", directive), source("b.ani", directive)}, 2);
    runToEnd(r);
    EXPECT_EQ(r.summary(), "Done.");
    EXPECT_EQ(outputs(), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_TRUE(host.texts.contains("Processing: a.ani, b.ani"));
    EXPECT_EQ(host.texts.back(), "Progress Bar");
    EXPECT_EQ(host.values.back(), 0);
    // The converter file lived as long as the run.
    EXPECT_TRUE(QDir(converters).entryList(QDir::Files).isEmpty());
}

// Files that end in another order than they started give the same files and the same box.
TEST_F(RunEngine, ResultsAndTheBoxDoNotDependOnTheOrderConvertersEnd)
{
    QStringList files;
    files << source("slow-bad.ani", "sleep 400\nfail slow and damaged")
          << source("fast-bad.ani", "fail quick and damaged")
          << source("a.ani", "sleep 200", temp.filePath("one"))
          << source("a.ani", "convert", temp.filePath("two"))
          << source("missing-output.ani", "exit 3");
    ConversionRun& parallel = makeRun(files, 3);
    runToEnd(parallel);
    const QString parallelBox = parallel.summary();
    const QString parallelDetails = parallel.report().details();
    QMap<QString, QByteArray> parallelFiles;
    for (const QString& name : outputs())
        parallelFiles[name] = contents(output + "/" + name);

    QDir(output).removeRecursively();
    QDir().mkpath(output);
    ConversionRun& serial = makeRun(files, 1);
    runToEnd(serial);
    EXPECT_EQ(serial.summary(), parallelBox);
    EXPECT_EQ(serial.report().details(), parallelDetails);
    for (const QString& name : outputs())
        EXPECT_EQ(contents(output + "/" + name), parallelFiles.value(name)) << qPrintable(name);
    EXPECT_EQ(outputs(), QStringList(parallelFiles.keys()));

    EXPECT_EQ(outputs(), (QStringList{"a (2).jpg", "a.jpg"}));
    const QStringList lines = parallelBox.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "2 of 5 files were converted; 3 could not be converted:");
    // The box shortens long paths (Windows' temporary folder is deep); its details keep them.
    const auto shown = [](const QString& path) {
        return ElideMiddle(path, ConversionReport::kShownPathChars);
    };
    EXPECT_EQ(lines[1], shown(files[0]) + ": slow and damaged");
    EXPECT_EQ(lines[2], shown(files[1]) + ": quick and damaged");
    EXPECT_EQ(lines[3], shown(files[4]) + ": a file named " +
                            shown(native(output + "/missing-output.jpg")) +
                            " is already there and was left as it was");
    EXPECT_TRUE(parallelDetails.contains(files[0] + ": slow and damaged"));
}

// Drawing the bar costs more than starting a converter: it is drawn at most once a tick, and
// the run's end is always shown.
TEST_F(RunEngine, TheBarIsDrawnAtMostOnceATick)
{
    QStringList files;
    for (int i = 0; i < 20; ++i)
        files << source(QStringLiteral("f%1.ani").arg(i));
    ConversionRun& r = makeRun(files, 2, {}, {}, 600'000);
    runToEnd(r);
    EXPECT_EQ(r.summary(), "Done.");
    EXPECT_EQ(host.texts, (QStringList{"Processing: f0.ani, f1.ani", "Progress Bar"}));
    EXPECT_EQ(host.values, (std::vector<int>{10, 0}));
}

TEST_F(RunEngine, FilesAddedDuringTheRunJoinItsEnd)
{
    ConversionRun& r = makeRun({source("a.ani", "sleep 300"), source("b.ani")}, 1);
    r.start();
    const QString later = temp.filePath("later");
    EXPECT_TRUE(r.add({source("a.ani", "convert", later), source("c.ani", "convert", later)}));
    EXPECT_EQ(r.plan().size(), 4);
    runToEnd(r);
    EXPECT_EQ(r.summary(), "Done.");
    EXPECT_EQ(r.report().convertedCount(), 4);
    EXPECT_EQ(outputs(), (QStringList{"a (2).jpg", "a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(contents(output + "/a (2).jpg"),
              "provided image of " + QFile::encodeName(native(later + "/a.ani")) + "\n");
    // An ended run takes no more files.
    EXPECT_FALSE(r.add({source("d.ani")}));
    EXPECT_EQ(r.plan().size(), 4);
}

TEST_F(RunEngine, StopAsksEveryConverterToEndAndKillsOneThatWillNot)
{
    ConverterProcess::Limits limits;
    limits.graceMilliseconds = 200;
    ConversionRun& r = makeRun({source("quick.ani"), source("hangs.ani", "hang"),
                                source("stubborn.ani", "stubborn"), source("never.ani")},
                               2, limits);
    r.start();
    when([&] { return hangingPids().size() == 2; },
         [&] {
             r.stop();
             EXPECT_EQ(r.state(), ConversionRun::State::Stopping);
             // Stopping again, or adding files, changes nothing.
             r.stop();
             EXPECT_FALSE(r.add({source("late.ani")}));
         });
    runToEnd(r);
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(r.report().end(), RunEnd::Stopped);
    EXPECT_EQ(r.summary(), "Stopped.\n\n1 of 4 files was converted before the run was stopped.");
    EXPECT_EQ(outputs(), QStringList{"quick.jpg"});
    for (const int pid : hangingPids())
        EXPECT_FALSE(ProcessIsAlive(pid)) << pid;
    EXPECT_TRUE(QDir(converters).entryList(QDir::Files).isEmpty());
}

TEST_F(RunEngine, AFolderThatGoesAwayEndsTheRunAtOnce)
{
    QStringList files{source("first.ani"), source("second.ani", "sleep 300")};
    for (int i = 0; i < 20; ++i)
        files << source(QStringLiteral("rest%1.ani").arg(i));
    ConversionRun& r = makeRun(files, 1);
    r.start();
    when([&] { return QFile::exists(output + "/first.jpg"); },
         [&] { QDir(output).removeRecursively(); });
    runToEnd(r);
    EXPECT_EQ(r.report().end(), RunEnd::FolderUnusable);
    EXPECT_EQ(r.report().convertedCount(), 1);
    EXPECT_EQ(r.report().failureCount(), 0);
    const QString box = r.summary();
    EXPECT_TRUE(box.startsWith("Stopped: the output folder " + native(output) +
                               " no longer exists.\n\n1 of 22 files was converted; the other 21 "
                               "files were not converted."))
        << qPrintable(box);
    EXPECT_FALSE(QFile::exists(output));
}

TEST_F(RunEngine, AConverterPastItsTimeLimitIsAskedToEndAndReported)
{
    ConverterProcess::Limits limits;
    limits.timeoutMilliseconds = 300;
    limits.graceMilliseconds = 200;
    const QString hung = source("hung.ani", "stubborn");
    ConversionRun& r = makeRun({hung, source("fine.ani")}, 1, limits);
    runToEnd(r);
    EXPECT_EQ(r.report().end(), RunEnd::Completed);
    EXPECT_EQ(r.summary(), "1 of 2 files was converted; 1 could not be converted:\n" + hung +
                               ": took too long: the converter was stopped after 1 second");
    for (const int pid : hangingPids())
        EXPECT_FALSE(ProcessIsAlive(pid));
}

// Whatever state a run is in, it comes to one end and says so once.
TEST_F(RunEngine, EveryStateComesToOneEnd)
{
    // Stopped before it started: nothing runs.
    ConversionRun& ready = makeRun({source("a.ani")});
    ready.stop();
    EXPECT_EQ(ready.state(), ConversionRun::State::Ended);
    EXPECT_EQ(endings, 1);
    ready.start();
    ready.stop();
    EXPECT_EQ(endings, 1);
    EXPECT_TRUE(outputs().isEmpty());

    // No converter: nothing is tried, and the box says why.
    endings = 0;
    ConversionRun& without = makeRun({source("a.ani"), source("b.ani")});
    ConverterSupply none;
    none.load = []() -> QByteArray { throw AppError::fileNotFound("nconvert"); };
    run = std::make_unique<ConversionRun>(without.plan(), host, none, RunSettings{});
    QObject::connect(run.get(), &ConversionRun::ended, [this] { ++endings; });
    runToEnd(*run);
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(run->report().end(), RunEnd::NoConverter);
    EXPECT_TRUE(run->summary().startsWith("No file was converted: the converter could not be "
                                          "started"));
    EXPECT_TRUE(outputs().isEmpty());

    // Torn down while converting: its converters are ended with it.
    ConversionRun& running = makeRun({source("hang.ani", "hang")});
    running.start();
    QEventLoop wait;
    when([&] { return !hangingPids().isEmpty(); }, [&] { wait.quit(); });
    QTimer::singleShot(60'000, &wait, &QEventLoop::quit);
    wait.exec();
    ASSERT_FALSE(hangingPids().isEmpty());
    const int pid = hangingPids().front();
    run.reset();
    EXPECT_FALSE(ProcessIsAlive(pid));
    EXPECT_TRUE(QDir(converters).entryList(QDir::Files).isEmpty());
}
