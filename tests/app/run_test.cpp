#include "apperror.h"
#include "bartext.h"
#include "conversioncommand.h"
#include "conversionreport.h"
#include "noexecmount.h"
#include "permissionchecks.h"
#include "runfixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

using ConversionRunWindow = ConversionRunFixture;

TEST_F(ConversionRunWindow, ConvertsEveryFileInOrderAndSaysDone)
{
    Form1& window = makeRunForm();
    const QStringList sources = {addSource("a.ani"), addSource("b.ANI"), addSource("c")};
    window.Slider1->setValue(42);
    std::vector<int> values;
    QObject::connect(window.ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { values.push_back(value); });

    runToEnd(window);

    const auto made = calls();
    ASSERT_EQ(made.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const QString output =
            QDir::toNativeSeparators(outputFolder + "/") + OutputFileName(sources[i]);
        // The converter ran from the converter file, which existed while the run went on.
        EXPECT_TRUE(
            QDir::fromNativeSeparators(made[i].program).startsWith(converterFolder + "/nconvert-"));
        EXPECT_EQ(made[i].program, made[0].program);
        EXPECT_EQ(made[i].tag, "provided");
        EXPECT_EQ(made[i].arguments, ConverterArguments(42, output, sources[i]));
        EXPECT_EQ(readAll(output), "provided image of " + sources[i].toUtf8() + "\n");
    }
    // The share of files started, as each starts; then the bar is empty again.
    EXPECT_EQ(values, (std::vector<int>{33, 67, 100, 0}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Done.");
    EXPECT_EQ(dialogs.messages[0].title, window.applicationTitle());
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
    EXPECT_TRUE(converterFolderEntries().isEmpty());
    EXPECT_EQ(BarText(*window.ProgressBar1), "Progress Bar");
    EXPECT_EQ(window.mousePointer(), MousePointer::kDefault);
    EXPECT_FALSE(window.Converting);
}

TEST_F(ConversionRunWindow, TheBarShowsFileNamesExactly)
{
    Form1& window = makeRunForm();
    QStringList shown;
    QObject::connect(window.ProgressBar1, &QProgressBar::valueChanged,
                     [&] { shown.append(window.ProgressBar1->text()); });
    for (const char* name : {"100%.ani", "x%p.ani", "y%v%m.ani"})
        addSource(name);
    runToEnd(window);
    // The text of each file is set right after its value, so each entry shows the file before.
    EXPECT_EQ(shown, (QStringList{"Progress Bar", "Processing: 100%.ani", "Processing: x%p.ani",
                                  "Processing: y%v%m.ani"}));
    EXPECT_EQ(window.ProgressBar1->text(), "Progress Bar");
}

TEST_F(ConversionRunWindow, AwkwardNamesConvertBesideTheirSources)
{
    Form1& window = makeRunForm();
    window.Option2->setChecked(true);
    window.Text1->setText(temp.filePath("no such folder"));
#ifdef _WIN32
    // Windows names hold no quotes, but shell characters and spaces still need quoting.
    const QString quoting = QStringLiteral("a' -o 'b & c^.ani");
#else
    const QString quoting = QStringLiteral("a\" -o \"b.ani");
#endif
    const QStringList sources = {addSource(quoting), addSource("-dash.ani"),
                                 addSource("with  space.ani"),
                                 addSource(QStringLiteral("Ünïcødé ñ 100%.ani"))};
    runToEnd(window);

    EXPECT_EQ(messageTexts(), QStringList{"Done."});
    for (const QString& source : sources) {
        const QString output =
            QDir::toNativeSeparators(sourceFolder + "/") + OutputFileName(source);
        EXPECT_EQ(readAll(output), "provided image of " + source.toUtf8() + "\n")
            << output.toStdString();
    }
    EXPECT_EQ(QDir(outputFolder).entryList(QDir::Files), QStringList());
}

TEST_F(ConversionRunWindow, FailedFilesAreListedWithTheirReasons)
{
    Form1& window = makeRunForm();
    const QString good = addSource("good.ani");
    const QString damaged = addSource("damaged.ani", "fail damaged file: no frames");
    const QString quiet = addSource("quiet.ani", "exit 9");
    const QString crashing = addSource("crash.ani", "crash");
    const QString vanished = addSource("vanished.ani");
    QFile::remove(vanished);
    const QString last = addSource("last.ani");

    runToEnd(window);

    EXPECT_EQ(calls().size(), 6u);
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/good.jpg")));
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/last.jpg")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    // Long temporary paths (Windows) are shown shortened.
    auto shown = [](const QString& path) {
        return ElideMiddle(path, ConversionReport::kShownPathChars);
    };
    const QString failures =
        damaged + ": damaged file: no frames\n" + quiet + ": the converter ended with code 9\n" +
        crashing + ": the converter stopped unexpectedly\n" + vanished + ": cannot open the file";
    EXPECT_EQ(dialogs.messages[0].text, "2 of 6 files were converted; 4 could not be converted:\n" +
                                            shown(damaged) + ": damaged file: no frames\n" +
                                            shown(quiet) + ": the converter ended with code 9\n" +
                                            shown(crashing) +
                                            ": the converter stopped unexpectedly\n" +
                                            shown(vanished) + ": cannot open the file");
    // Every failure, whole, in the box's details.
    EXPECT_EQ(dialogs.messages[0].details, failures);
    EXPECT_TRUE(converterFolderEntries().isEmpty());
}

TEST_F(ConversionRunWindow, EmptyListIsCheckedBeforeTheFolder)
{
    Form1& window = makeRunForm();
    window.Text1->setText(temp.filePath("missing"));
    runToEnd(window);
    EXPECT_EQ(messageTexts(), QStringList{"No files added."});

    addSource("a.ani");
    runToEnd(window);
    EXPECT_EQ(
        messageTexts(),
        (QStringList{"No files added.", "Folder does not exist. Please select another folder."}));
    // Neither early exit touches the converter, the bar or the pointer.
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(converterFolderEntries().isEmpty());
    EXPECT_EQ(BarText(*window.ProgressBar1), "Progress Bar");
    EXPECT_EQ(window.mousePointer(), MousePointer::kDefault);
    EXPECT_FALSE(window.Converting);

    // A folder that names no root would depend on where the program was started.
    window.Text1->setText("out");
    runToEnd(window);
    EXPECT_EQ(messageTexts().last(), RelativeFolderRefusal("out"));
    EXPECT_TRUE(calls().empty());

    window.Text1->setText(outputFolder);
    runToEnd(window);
    EXPECT_EQ(messageTexts().last(), "Done.");
}

// While the first file converts, the user changes every choice the run was started with and
// adds files: the run keeps to its plan, and the added files join it at its end.
TEST_F(ConversionRunWindow, TheRunKeepsToThePlanMadeAtStart)
{
    Form1& window = makeRunForm();
    window.Slider1->setValue(85);
    const QString first = addSource("first.ani", "hang");
    const QString second = addSource("second.ani");
    std::vector<int> values;
    QObject::connect(window.ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { values.push_back(value); });
    const QString elsewhere = temp.filePath("elsewhere");
    QDir().mkpath(elsewhere);

    int pointerDuringRun = -1;
    bool converterPresent = false;
    QList<bool> enabledDuringRun;
    QString added;
    startAndMeddleWhileAFileHangs(window, [&] {
        pointerDuringRun = window.mousePointer();
        converterPresent = !converterFolderEntries().isEmpty();
        for (QWidget* control : std::initializer_list<QWidget*>{
                 window.Text1, window.PushButton9, window.Option1, window.Option2, window.Combo1,
                 window.Slider1, window.PushButton6})
            enabledDuringRun.append(control->isEnabledTo(&window) && control->isEnabled());
        // What the program itself could still change is not read either.
        window.Slider1->setValue(10);
        window.Text1->setText(elsewhere);
        window.Option2->setChecked(true);
        window.Combo1->setCurrentIndex(
            static_cast<int>(OutputChoices().indexOf(OutputChoice::AnimatedGif)));
        // The list keeps its order: a drag moves nothing.
        window.ListView1_MouseDown();
        EXPECT_FALSE(window.ListMouseDown);
        added = addSource("added.ani");
        addSource("second.ani", "convert");
    });

    const auto made = calls();
    ASSERT_EQ(made.size(), 4u);
    const QString out = QDir::toNativeSeparators(outputFolder + "/");
    EXPECT_EQ(made[1].arguments, ConverterArguments(85, out + "second.jpg", second));
    EXPECT_EQ(made[2].arguments, ConverterArguments(85, out + "added.jpg", added));
    // A name planned before is not taken again.
    EXPECT_EQ(made[3].arguments, ConverterArguments(85, out + "second (2).jpg", second));
    EXPECT_EQ(enabledDuringRun, (QList<bool>{false, false, false, false, false, false, false}));
    EXPECT_EQ(pointerDuringRun, MousePointer::kHourglass);
    EXPECT_TRUE(converterPresent);
    // The share of files started, of a total that grew with the files added.
    EXPECT_EQ(values, (std::vector<int>{50, 33, 25, 50, 75, 100, 0}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(
        "3 of 4 files were converted; 1 could not be converted:\n" + first +
        ": the converter stopped"));
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    EXPECT_FALSE(QFile::exists(sourceFolder + "/second.jpg"));
    // Afterwards the controls are the user's again, as they were left.
    EXPECT_TRUE(window.Combo1->isEnabled());
    EXPECT_TRUE(window.Option2->isEnabled());
    EXPECT_FALSE(window.Text1->isEnabled());
    EXPECT_FALSE(window.Slider1->isEnabled());
}

TEST_F(ConversionRunWindow, StartWithoutADestinationSaysWhatToChoose)
{
    Form1& window = makeRunForm();
    addSource("a.ani");
    window.Text1->setText("   ");
    runToEnd(window);
    window.Option1->setAutoExclusive(false);
    window.Option2->setAutoExclusive(false);
    window.Option1->setChecked(false);
    window.Option2->setChecked(false);
    runToEnd(window);
    EXPECT_TRUE(calls().empty());
    const QStringList texts = messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith("No output folder is chosen."));
    EXPECT_TRUE(texts[1].startsWith("Choose where the results go"));
}

TEST_F(ConversionRunWindow, ConvertersLeftBehindAreNeverRunAndOursAreSweptAway)
{
    Form1& window = makeRunForm();
    addSource("a.ani");
#ifdef _WIN32
    const QString exe = QStringLiteral(".exe");
#else
    const QString exe;
#endif
    const QString ours = converterFolder + "/nconvert-00c0ffee" + exe;
    const QString foreign = converterFolder + "/nconvert-0f0e0d0c" + exe;
    writeFile(ours, readAll(QStringLiteral(FAKE_NCONVERT_OTHER)));
    writeFile(foreign, readAll(QStringLiteral(FAKE_NCONVERT_OTHER)));
#ifdef _WIN32
    ASSERT_TRUE(OpenToEveryone(foreign));
#else
    ::chmod(QFile::encodeName(ours).constData(), 0700);
    ::chmod(QFile::encodeName(foreign).constData(), 0775);
#endif
    runToEnd(window);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].tag, "provided");
    EXPECT_EQ(messageTexts(), QStringList{"Done."});
    EXPECT_EQ(converterFolderEntries(), QStringList{"nconvert-0f0e0d0c" + exe});
}

// Two windows convert at the same time: the one that ends first removes only its own converter,
// and the other's later files still convert.
TEST_F(ConversionRunWindow, TwoWindowsConvertingAtOnceKeepTheirOwnConverters)
{
    Form1& first = makeRunForm();
    addSource("slow.ani", "hang");
    addSource("after.ani");
    auto firstWindow = std::move(form);
    Form1& second = makeRunForm();
    addSource("other.ani");
    startAndMeddleWhileAFileHangs(first, [&] { second.PushButton2->click(); });
    waitForRunEnd(second);

    const auto made = calls();
    ASSERT_EQ(made.size(), 3u);
    // The two runs go on side by side, so their calls may come in either order.
    const auto programFor = [&](const QString& name) {
        for (const Call& call : made) {
            if (call.arguments.last().endsWith(name))
                return call.program;
        }
        return QString();
    };
    EXPECT_NE(programFor("slow.ani"), programFor("other.ani"));
    EXPECT_EQ(programFor("after.ani"), programFor("slow.ani"));
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/other.jpg")));
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/after.jpg")));
    EXPECT_TRUE(converterFolderEntries().isEmpty());
    firstWindow.reset();
}

TEST_F(ConversionRunWindow, ANoexecConverterFolderFallsBackToTheNextOne)
{
    NoExecMount noexec(temp.filePath("noexec"));
    if (!noexec.mounted())
        GTEST_SKIP() << "mounting a noexec folder needs root on Linux";
    AppContext context = makeRunForm().context();
    context.converterFolders = {noexec.path(), converterFolder};
    form = std::make_unique<Form1>(context);
    form->Form_Load();
    form->Text1->setText(outputFolder);
    addSource("a.ani");
    runToEnd(*form);
    EXPECT_EQ(messageTexts(), QStringList{"Done."});
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/a.jpg")));

    // With no folder left to try, the box says why, and no file is tried.
    context.converterFolders = {noexec.path()};
    form = std::make_unique<Form1>(context);
    form->Form_Load();
    form->Text1->setText(outputFolder);
    addSource("b.ani");
    runToEnd(*form);
    const QString text = messageTexts().last();
    EXPECT_TRUE(text.startsWith("No file was converted: the converter could not be started from "
                                "any of its folders:\n" +
                                noexec.path() + ": "))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("Permission denied")) << text.toStdString();
}

TEST_F(ConversionRunWindow, AMissingConverterIsOneReasonInOneBox)
{
    Form1& window = makeRunForm(QString());
    AppContext broken = window.context();
    broken.loadConverter = []() -> QByteArray { throw AppError::fileNotFound("the converter"); };
    form = std::make_unique<Form1>(broken);
    form->Form_Load();
    form->Text1->setText(outputFolder);
    addSource("a.ani");
    addSource("b.ani");
    runToEnd(*form);

    const QStringList texts = messageTexts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith("No file was converted: the converter could not be started"));
    EXPECT_FALSE(texts[0].contains("Pellmoor"));
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(form->Converting);
}

// The button (which reads "Stop Converting" during a run), Escape and closing the window all
// stop a run at once: the converter is killed, nothing more is converted, no converter file is
// left, and only a stop the user asked for while the window stays ends with a box.
TEST_F(ConversionRunWindow, StopEndsTheConverterAndSaysSo)
{
    enum Way { Button, Escape, Close };
    for (const Way way : {Button, Escape, Close}) {
        dialogs.messages.clear();
        QFile::remove(logPath);
        Form1& window = makeRunForm();
        window.show();
        addSource("done.ani");
        addSource("hang.ani", "hang");
        addSource("never.ani");
        QString buttonDuringRun;
        bool hiddenAtOnce = false;
        startAndMeddleWhileAFileHangs(
            window,
            [&] {
                buttonDuringRun = window.PushButton2->text();
                if (way == Button)
                    window.PushButton2->click();
                else if (way == Escape)
                    QTest::keyClick(&window, Qt::Key_Escape);
                else
                    window.close();
                hiddenAtOnce = !window.isVisible();
            },
            false);
        EXPECT_EQ(buttonDuringRun, "Stop Converting") << way;
        EXPECT_FALSE(ProcessIsAlive(hangingPid)) << way;
        EXPECT_TRUE(converterFolderEntries().isEmpty()) << way;
        EXPECT_EQ(calls().size(), 2u) << way;
        EXPECT_FALSE(QFile::exists(outputFolder + "/hang.jpg")) << way;
        EXPECT_EQ(window.PushButton2->text(), "Start Converting");
        EXPECT_FALSE(window.Converting);
        EXPECT_EQ(hiddenAtOnce, way == Close) << way;
        if (way == Close)
            EXPECT_TRUE(messageTexts().isEmpty());
        else
            EXPECT_EQ(messageTexts(), QStringList{"Stopped.\n\n1 of 3 files was converted before "
                                                  "the run was stopped."});
    }
}

// A converter that does not end is stopped at the window's time limit, and the run goes on.
TEST_F(ConversionRunWindow, AConverterPastItsTimeLimitIsReportedAndTheRunGoesOn)
{
    AppContext context = makeRunForm().context();
    context.converterLimits = {300, 200};
    form = std::make_unique<Form1>(context);
    form->Form_Load();
    form->Text1->setText(outputFolder);
    const QString slow = addSource("slow.ani", "hang");
    addSource("next.ani");
    runToEnd(*form);
    EXPECT_EQ(messageTexts(),
              QStringList{"1 of 2 files was converted; 1 could not be converted:\n" + slow +
                          ": took too long: the converter was stopped after 1 second"});
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/next.jpg")));
}

// Items cannot be removed during a run; the user is told what can be done instead.
TEST_F(ConversionRunWindow, TheListCannotBeEmptiedDuringARunAndTheUserIsTold)
{
    Form1& window = makeRunForm();
    addSource("hang.ani", "hang");
    addSource("b.ani");
    bool clearEnabled = true;
    startAndMeddleWhileAFileHangs(window, [&] {
        clearEnabled = window.PushButton6->isEnabled();
        window.selectItem(2);
        window.ListView1_KeyDown(Qt::Key_Delete);
        window.ListView1_DblClick();
    });
    EXPECT_FALSE(clearEnabled);
    EXPECT_TRUE(window.PushButton6->isEnabled());
    EXPECT_EQ(window.itemCount(), 2);
    const QStringList texts = messageTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0], "Files cannot be removed from the list or moved while files are being "
                        "converted. Files you add now are converted at the end of this run. Press "
                        "\"Stop Converting\" to change the list.");
    EXPECT_EQ(texts[1], texts[0]);
}

// Settings that cannot be saved show no box when they are stored, only one quiet note at the end
// of the next run.
TEST_F(ConversionRunWindow, SettingsThatCannotBeSavedAreToldOnceAtTheEndOfARun)
{
    const QString unwritable = temp.filePath("settings folder");
    QDir().mkpath(unwritable);
    settings = std::make_unique<SettingsStore>(unwritable);
    Form1& window = makeRunForm();
    window.Slider1->setValue(40);
    EXPECT_TRUE(dialogs.messages.empty());
    addSource("a.ani");
    runToEnd(window);
    runToEnd(window);
    const QStringList texts = messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith("Done.\n\nYour settings could not be saved: " +
                                    QDir::toNativeSeparators(unwritable)))
        << texts[0].toStdString();
    EXPECT_EQ(texts[1], "Done.");
}

// The output chosen under "Save as:" names the files and gives the converter's arguments.
TEST_F(ConversionRunWindow, TheChosenOutputNamesTheFilesAndTheConverterArguments)
{
    Form1& window = makeRunForm();
    const QString a = addSource("a.ani");
    const QString b = addSource("b.ani");
    window.Combo1->setCurrentIndex(
        static_cast<int>(OutputChoices().indexOf(OutputChoice::AnimatedGif)));
    dialogs.colourAnswers = {"#202020"};
    window.BackgroundButton->click();
    runToEnd(window);
    window.Combo1->setCurrentIndex(
        static_cast<int>(OutputChoices().indexOf(OutputChoice::PngStrip)));
    runToEnd(window);
    const auto made = calls();
    ASSERT_EQ(made.size(), 4u);
    const QString out = QDir::toNativeSeparators(outputFolder + "/");
    EXPECT_EQ(made[0].arguments,
              (QStringList{"-out", "gif", "-o", out + "a.gif", "-background", "#202020", a}));
    EXPECT_EQ(made[1].arguments,
              (QStringList{"-out", "gif", "-o", out + "b.gif", "-background", "#202020", b}));
    // PNG keeps transparency: no background.
    EXPECT_EQ(made[2].arguments,
              (QStringList{"-out", "png", "-strip", "vertical", "-o", out + "a-strip.png", a}));
    EXPECT_EQ(messageTexts(), (QStringList{"Done.", "Done."}));
}
