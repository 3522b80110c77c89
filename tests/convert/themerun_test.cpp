// Runs that make Linux cursors: the plan's grouping of sources into theme packs, the theme jobs
// run by the engine with the fake converter, and the final box made of the converter's reports.
#include "baranimation.h"
#include "conversionrun.h"
#include "processkill.h"
#include "qtprinters.h"
#include "themereport.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

class NullHost : public ConversionHost, public ProgressDisplay
{
public:
    ProgressDisplay& progress() override { return *this; }
    void setBusy(bool) override {}
    void setText(const QString& text) override { texts.append(text); }
    void setValue(int) override {}
    QStringList texts;
};

class ThemeRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        out = native(temp.filePath("out"));
        QDir().mkpath(out);
    }

    // A pack folder whose fake-theme.txt tells the fake converter what to do, with one cursor.
    QString pack(const QString& name, const QByteArray& directives)
    {
        const QString folder = temp.filePath("packs/" + name);
        write(folder + "/fake-theme.txt", directives + '\n');
        write(folder + "/install.inf", "[Version]\n");
        write(folder + "/arrow.cur", "cursor");
        return native(folder + "/arrow.cur");
    }

    ConversionRun& run(const QStringList& sources, int converters)
    {
        PlanChoices choices{out, OutputChoice::CursorTheme};
        RunPlan plan(choices);
        plan.add(sources);
        ConverterSupply supply;
        supply.load = [] {
            QFile fake(QStringLiteral(FAKE_NCONVERT));
            return fake.open(QIODevice::ReadOnly) ? fake.readAll() : QByteArray();
        };
        supply.folders = {native(temp.filePath("converters"))};
        QDir().mkpath(temp.filePath("converters"));
        RunSettings settings;
        settings.converters = converters;
        settings.tickMilliseconds = 5;
        run_ = std::make_unique<ConversionRun>(std::move(plan), host, supply, settings);
        return *run_;
    }

    void runToEnd(ConversionRun& r)
    {
        QEventLoop loop;
        QObject::connect(&r, &ConversionRun::ended, &loop, &QEventLoop::quit);
        r.start();
        if (r.state() != ConversionRun::State::Ended) {
            QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        ASSERT_EQ(r.state(), ConversionRun::State::Ended);
    }

    QTemporaryDir temp;
    QString out;
    NullHost host;
    std::unique_ptr<ConversionRun> run_;
};

} // namespace

// A pack is the folder of its .inf, also for cursors it keeps in sub-folders; without an .inf,
// the folder alone. A pack is one job, however many of its files are listed, also later.
TEST_F(ThemeRun, SourcesAreGroupedIntoOneJobPerPack)
{
    const QString neon = temp.filePath("Neon");
    write(neon + "/.Install.INF", "[Scheme.Reg]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"Neon\""
                                  ",,\"%10%\\x\\a.ani,sub\\busy.ani\"\n");
    write(neon + "/a.ani", "");
    write(neon + "/sub/busy.ani", "");
    write(temp.filePath("loose/Arrow.cur"), "");
    write(temp.filePath("loose/deeper/Help.cur"), "");

    RunPlan plan({out, OutputChoice::CursorTheme, 85, kWhiteBackground, {24, 48}});
    plan.add({native(neon + "/a.ani"), native(temp.filePath("loose/Arrow.cur")),
              native(neon + "/sub/busy.ani")});
    ASSERT_EQ(plan.size(), 2);
    EXPECT_EQ(plan.at(0).source, native(neon));
    EXPECT_EQ(plan.at(0).sources,
              (QStringList{native(neon + "/a.ani"), native(neon + "/sub/busy.ani")}));
    EXPECT_EQ(plan.at(0).arguments,
              (QStringList{"-sizes", "24,48", "-o", out, "-theme", native(neon)}));
    EXPECT_TRUE(plan.at(0).namesItsOutput);
    EXPECT_EQ(plan.at(1).source, native(temp.filePath("loose")));
    EXPECT_EQ(plan.itemWord(2), "theme packs");

    // Added later: a file of a planned pack joins its job; another pack comes at the end (a
    // folder with no .inf above that names its files is a pack of its own).
    plan.add({native(neon + "/a.ani"), native(temp.filePath("loose/deeper/Help.cur"))});
    ASSERT_EQ(plan.size(), 3);
    EXPECT_EQ(plan.at(0).sources.size(), 3);
    EXPECT_EQ(plan.at(2).source, native(temp.filePath("loose/deeper")));

    // Beside the sources, each theme goes in its pack's folder; installed, in none.
    RunPlan beside({{}, OutputChoice::CursorTheme});
    beside.add({native(neon + "/a.ani")});
    EXPECT_EQ(beside.at(0).arguments, (QStringList{"-o", native(neon), "-theme", native(neon)}));
    PlanChoices installing{{}, OutputChoice::CursorTheme};
    installing.install = true;
    RunPlan install(installing);
    install.add({native(neon + "/a.ani")});
    EXPECT_EQ(install.at(0).arguments, (QStringList{"--install", "-theme", native(neon)}));
}

TEST(CursorChoices, XcursorArgumentsAndStoredSizes)
{
    RunPlan plan({"/out", OutputChoice::Xcursor, 85, "#000000", {32, 64}}, kPosixPaths);
    plan.add({"/src/a.ani", "/src/a.cur"});
    // No extension; names are numbered over the plan like every other output.
    EXPECT_EQ(plan.at(0).arguments,
              (QStringList{"-out", "xcursor", "-sizes", "32,64", "-o", "/out/a", "/src/a.ani"}));
    EXPECT_EQ(plan.at(1).output, "/out/a (2)");
    EXPECT_EQ(ConverterArguments(OutputChoice::Xcursor, 85, "o", "s.ani"),
              (QStringList{"-out", "xcursor", "-o", "o", "s.ani"}));

    EXPECT_EQ(CursorSizesFromSetting(" 64,24 ,64"), (QList<int>{24, 64}));
    EXPECT_EQ(SettingTextOf(QList<int>{24, 64}), "24,64");
    for (const char* damaged : {"", "24,x", "24,40", "-32", "24;32"})
        EXPECT_TRUE(CursorSizesFromSetting(damaged).isEmpty()) << damaged;
    EXPECT_EQ(OutputChoiceFromSetting("theme"), OutputChoice::CursorTheme);
    EXPECT_TRUE(UsesCursorSizes(OutputChoice::Xcursor));
    EXPECT_FALSE(UsesQuality(OutputChoice::CursorTheme));
}

// Two packs whose themes have one name: the first in the plan gets the name, however fast each
// converter is, and each job's report reaches the box.
TEST_F(ThemeRun, ThemesOfOneFolderAreNumberedInThePlansOrder)
{
    ConversionRun& r = run({pack("slow", "sleep 300\ntheme Neon"), pack("quick", "theme Neon"),
                            pack("other", "theme Other")},
                           3);
    runToEnd(r);
    EXPECT_EQ(r.report().convertedCount(), 3);
    ASSERT_EQ(r.report().outputs().size(), 3u);
    const ThemeRunReport box(r.plan(), r.report(), true);
    EXPECT_EQ(box.themeFolders(), (QStringList{out + "/Neon", out + "/Neon (2)", out + "/Other"}));
    EXPECT_EQ(box.text(), "Done.\n\nMade 3 Linux cursor themes:\n\"Neon\" in " + out +
                              "/Neon\n\"Neon (2)\" in " + out + "/Neon (2)\n\"Other\" in " + out +
                              "/Other");
    EXPECT_TRUE(host.texts.contains("Processing: slow"));
}

// The converter makes a missing theme folder; a run into a folder that went away ends instead.
TEST_F(ThemeRun, AFolderThatGoesAwayIsNotMadeAgain)
{
    ConversionRun& r = run({pack("a", "theme A"), pack("b", "theme B")}, 1);
    QDir(out).removeRecursively();
    runToEnd(r);
    EXPECT_EQ(r.report().end(), RunEnd::FolderUnusable);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(r.summary().contains("the other 2 theme packs were not converted"))
        << qPrintable(r.summary());
}

// Stopped, a theme's converter ends with the run, which counts packs, and what finished stays.
TEST_F(ThemeRun, StopEndsATheme)
{
    const QString pids = temp.filePath("pids");
    qputenv("FAKE_NCONVERT_PIDFILE", QFile::encodeName(pids));
    ConversionRun& r = run({pack("made", "theme Made"), pack("hangs", "hang")}, 2);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QFile(pids).size() > 0 && r.report().convertedCount() == 1)
            r.stop();
    });
    poll.start(5);
    runToEnd(r);
    qunsetenv("FAKE_NCONVERT_PIDFILE");
    QFile pidFile(pids);
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const int pid = pidFile.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(ProcessIsAlive(pid));
    EXPECT_EQ(r.report().end(), RunEnd::Stopped);
    const ThemeRunReport box(r.plan(), r.report(), true);
    EXPECT_EQ(box.text(), "Stopped.\n\n1 of 2 theme packs was converted before the run was "
                          "stopped.\n\nMade 1 Linux cursor theme:\n\"Made\" in " +
                              out + "/Made");
}

// What the converter tells about a pack, as the box says it: every file missing, failed, unset
// or unused named; the details hold every cursor.
TEST(ThemeReportBox, NamesEveryFileATheme)
{
    const QString pack = native("/p/quirks");
    const QString report =
        "source\t/p/quirks/install.inf\tinf\tUTF-8\n"
        "theme\t/o/Quirky (2)\tQuirky (2)\t/p/quirks/install.inf\n"
        "role\tArrow\t/p/quirks/arrow.ani\tdefault\n"
        "unset\tNWPen\n"
        "failed\tNo\t/p/quirks/unavailable.ani\tdamaged file: cut short\n"
        "missing\tHand\tlink.ani\n"
        "skipped\tNight\t/p/quirks/install.inf\tno cursor of it could be converted\n"
        "missing\tArrow\tnight.ani\n"
        "unmapped\t/p/quirks/e1.ani\nunmapped\t/p/quirks/e2.ani\nunmapped\t/p/quirks/e3.ani\n"
        "unmapped\t/p/quirks/e4.ani\nunmapped\t/p/quirks/e5.ani\nunmapped\t/p/quirks/e6.ani\n"
        "unmapped\t/p/quirks/sub/e7.ani\n"
        "note\tlists 19 files\n"
        "future\tlines a newer converter writes\n";
    const ThemeReport parsed = ParseThemeReport(report.toUtf8());
    ASSERT_EQ(parsed.schemes.size(), 2);
    EXPECT_EQ(parsed.schemes[0].name, "Quirky (2)");
    EXPECT_EQ(parsed.schemes[1].missing.size(), 1);
    EXPECT_EQ(parsed.unmapped.size(), 7);

#ifndef _WIN32
    // A plan of the pack with its job, and the report the run kept for it.
    QTemporaryDir temp;
    QDir().mkpath(temp.filePath("quirks"));
    QFile(temp.filePath("quirks/install.inf")).open(QIODevice::WriteOnly);
    RunPlan plan({native(temp.path()), OutputChoice::CursorTheme});
    plan.add({temp.filePath("quirks/arrow.ani")});
    ConversionReport run;
    run.addOutput(0, QString(report).replace("/p/quirks", temp.filePath("quirks")).toUtf8(), false);
    run.addConverted();
    run.setEnd(RunEnd::Completed);
    const ThemeRunReport box(plan, run, false);
    EXPECT_EQ(box.text(),
              "3 cursor files could not be used; each is named below.\n\n"
              "Made 1 Linux cursor theme:\n"
              "\"Quirky (2)\" in /o/Quirky (2)\n"
              "  Not in the pack: Link Select (link.ani)\n"
              "  Could not be converted: unavailable.ani (Unavailable): damaged file: cut short\n"
              "  Not given by the pack, so the inherited cursor shows: Handwriting\n"
              "Not made: \"Night\" of " +
                  temp.filePath("quirks/install.inf") +
                  ": no cursor of it could be converted\n"
                  "  Not in the pack: Normal Select (night.ani)\n"
                  "  Cursor files of quirks no theme uses: e1.ani, e2.ani, e3.ani, e4.ani, "
                  "e5.ani, e6.ani and 1 more\n"
                  "  Note on quirks: lists 19 files\n\n"
                  "To use a theme on Linux, copy its folder to ~/.local/share/icons there and "
                  "choose it in the desktop's settings.");
    EXPECT_TRUE(box.details().contains("  Normal Select: arrow.ani, as cursors/default"));
    EXPECT_TRUE(box.details().contains("sub/e7.ani"));
    EXPECT_EQ(box.themeFolders(), QStringList{"/o/Quirky (2)"});
    EXPECT_EQ(box.sourcesOfThemes(), QStringList{temp.filePath("quirks/arrow.ani")});
#endif
}

TEST(ThemeReportBox, AnInstalledThemeSaysHowToChooseAndRemoveIt)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "themes are installed only where a Linux desktop reads them";
#endif
    const QString text = HowToUseThemes({"/home/u/.local/share/icons/Neon"});
    EXPECT_TRUE(text.contains("gsettings set org.gnome.desktop.interface cursor-theme 'Neon'"));
    EXPECT_TRUE(text.contains("KDE: System Settings > Colours & Themes > Cursors"));
    EXPECT_TRUE(text.contains("XFCE: Settings > Mouse and Touchpad > Theme"));
    EXPECT_TRUE(text.endsWith("To uninstall it, delete its folder: "
                              "/home/u/.local/share/icons/Neon"));
    EXPECT_TRUE(HowToUseThemes({"/i/Neon"}, {"/h/.icons/Neon"})
                    .endsWith("To uninstall it, delete its folder /i/Neon and the link to it, "
                              "/h/.icons/Neon (made for programs that look in ~/.icons alone)."));
    // Desktops know it by its folder's name, typed into a shell.
    EXPECT_TRUE(HowToUseThemes({"/i/Bob's $x"}).contains("cursor-theme \"Bob's \\$x\""));
}

TEST(ConverterOutput, IsKeptUpToItsLimitWhileThePipeIsDrained)
{
    ConverterProcess process({});
    process.keepOutput(100);
    QEventLoop loop;
    QObject::connect(&process, &ConverterProcess::finished, &loop, &QEventLoop::quit);
    process.start(QStringLiteral(FAKE_NCONVERT), {"--stdout-bytes", "1000000", "--exit", "0"});
    QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(process.isDone());
    EXPECT_TRUE(process.outcome().succeeded());
    EXPECT_EQ(process.outcome().output, QByteArray(100, 'x'));
    EXPECT_TRUE(process.outcome().outputCut);
}
