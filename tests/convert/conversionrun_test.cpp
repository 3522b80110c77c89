#include "apperror.h"
#include "bartext.h"
#include "conversioncommand.h"
#include "conversionreport.h"
#include "conversionrunfixture.h"
#include "noexecmount.h"
#include "permissionchecks.h"

#include <QPushButton>
#include <QTimer>
#include <sys/stat.h>

using ConversionRun = ConversionRunFixture;

TEST_F(ConversionRun, ConvertsEveryFileInOrderAndSaysDone)
{
    Form1& window = makeRunForm();
    const QStringList sources = {addSource("a.ani"), addSource("b.ANI"), addSource("c")};
    window.Slider1->setValue(42);
    std::vector<int> values;
    QObject::connect(window.ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { values.push_back(value); });

    window.PushButton2->click();

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

TEST_F(ConversionRun, TheBarShowsFileNamesExactly)
{
    Form1& window = makeRunForm();
    QStringList shown;
    QObject::connect(window.ProgressBar1, &QProgressBar::valueChanged,
                     [&] { shown.append(window.ProgressBar1->text()); });
    for (const char* name : {"100%.ani", "x%p.ani", "y%v%m.ani"})
        addSource(name);
    window.PushButton2->click();
    // The text of each file is set right after its value, so each entry shows the file before.
    EXPECT_EQ(shown, (QStringList{"Progress Bar", "Processing: 100%.ani", "Processing: x%p.ani",
                                  "Processing: y%v%m.ani"}));
    EXPECT_EQ(window.ProgressBar1->text(), "Progress Bar");
}

TEST_F(ConversionRun, AwkwardNamesConvertBesideTheirSources)
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
    window.PushButton2->click();

    EXPECT_EQ(messageTexts(), QStringList{"Done."});
    for (const QString& source : sources) {
        const QString output =
            QDir::toNativeSeparators(sourceFolder + "/") + OutputFileName(source);
        EXPECT_EQ(readAll(output), "provided image of " + source.toUtf8() + "\n")
            << output.toStdString();
    }
    EXPECT_EQ(QDir(outputFolder).entryList(QDir::Files), QStringList());
}

TEST_F(ConversionRun, FailedFilesAreListedWithTheirReasons)
{
    Form1& window = makeRunForm();
    const QString good = addSource("good.ani");
    const QString damaged = addSource("damaged.ani", "fail damaged file: no frames");
    const QString quiet = addSource("quiet.ani", "exit 7");
    const QString crashing = addSource("crash.ani", "crash");
    const QString vanished = addSource("vanished.ani");
    QFile::remove(vanished);
    const QString last = addSource("last.ani");

    window.PushButton2->click();

    EXPECT_EQ(calls().size(), 6u);
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/good.jpg")));
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/last.jpg")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    // Long temporary paths (Windows) are shown shortened.
    auto shown = [](const QString& path) {
        return ElideMiddle(path, ConversionReport::kShownPathChars);
    };
    EXPECT_EQ(dialogs.messages[0].text, "Done.\n\n4 of 6 files could not be converted:\n" +
                                            shown(damaged) + ": damaged file: no frames\n" +
                                            shown(quiet) + ": the converter ended with code 7\n" +
                                            shown(crashing) +
                                            ": the converter stopped unexpectedly\n" +
                                            shown(vanished) + ": cannot open the file");
    EXPECT_TRUE(converterFolderEntries().isEmpty());
}

TEST_F(ConversionRun, EmptyListIsCheckedBeforeTheFolder)
{
    Form1& window = makeRunForm();
    window.Text1->setText(temp.filePath("missing"));
    window.PushButton2->click();
    EXPECT_EQ(messageTexts(), QStringList{"No files added."});

    addSource("a.ani");
    window.PushButton2->click();
    EXPECT_EQ(
        messageTexts(),
        (QStringList{"No files added.", "Folder does not exist. Please select another folder."}));
    // Neither early exit touches the converter, the bar or the pointer.
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(converterFolderEntries().isEmpty());
    EXPECT_EQ(BarText(*window.ProgressBar1), "Progress Bar");
    EXPECT_EQ(window.mousePointer(), MousePointer::kDefault);
    EXPECT_FALSE(window.Converting);

    window.Text1->setText(outputFolder);
    window.PushButton2->click();
    EXPECT_EQ(messageTexts().last(), "Done.");
}

// While the first file converts, the user clicks again, moves the quality slider and adds a
// file: the click is turned away, the later files use the new quality, and the added file
// waits for the next run.
TEST_F(ConversionRun, DuringARunOnlyTheFileCountIsFixed)
{
    Form1& window = makeRunForm();
    window.Slider1->setValue(85);
    const QString first = addSource("first.ani", "hang");
    const QString second = addSource("second.ani");
    const QString third = addSource("third.ani");
    std::vector<int> values;
    QObject::connect(window.ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { values.push_back(value); });

    int pointerDuringRun = -1;
    bool converterPresent = false;
    startAndMeddleWhileAFileHangs(window, [&] {
        pointerDuringRun = window.mousePointer();
        converterPresent = !converterFolderEntries().isEmpty();
        window.PushButton2->click();
        window.Slider1->setValue(10);
        window.appendPath(QDir::toNativeSeparators(sourceFolder + "/added.ani"));
    });

    const auto made = calls();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0].arguments[1], "85");
    EXPECT_EQ(made[1].arguments[1], "10");
    EXPECT_EQ(made[2].arguments.last(), third);
    EXPECT_EQ(pointerDuringRun, MousePointer::kHourglass);
    EXPECT_TRUE(converterPresent);
    // The share is computed with the count read afresh: 4 files after the addition.
    EXPECT_EQ(values, (std::vector<int>{33, 50, 75, 0}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("Done.\n\n1 of 3 files could not be "
                                                    "converted:\n" +
                                                    first + ": the converter stopped"));
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/second.jpg")));
}

TEST_F(ConversionRun, NeitherSaveOptionSetFailsEachFileWithoutRunning)
{
    Form1& window = makeRunForm();
    window.Option1->setAutoExclusive(false);
    window.Option2->setAutoExclusive(false);
    window.Option1->setChecked(false);
    window.Option2->setChecked(false);
    const QString source = addSource("a.ani");
    window.PushButton2->click();
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(messageTexts(), QStringList{"Done.\n\n1 of 1 file could not be converted:\n" +
                                          source + ": no destination chosen"});
}

TEST_F(ConversionRun, ConvertersLeftBehindAreNeverRunAndOursAreSweptAway)
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
    window.PushButton2->click();
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].tag, "provided");
    EXPECT_EQ(messageTexts(), QStringList{"Done."});
    EXPECT_EQ(converterFolderEntries(), QStringList{"nconvert-0f0e0d0c" + exe});
}

// Two windows convert at the same time: the one that ends first removes only its own converter,
// and the other's later files still convert.
TEST_F(ConversionRun, TwoWindowsConvertingAtOnceKeepTheirOwnConverters)
{
    Form1& first = makeRunForm();
    addSource("slow.ani", "hang");
    addSource("after.ani");
    auto firstWindow = std::move(form);
    Form1& second = makeRunForm();
    addSource("other.ani");
    startAndMeddleWhileAFileHangs(first, [&] { second.PushButton2->click(); });

    const auto made = calls();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_NE(made[0].program, made[1].program);
    EXPECT_EQ(made[2].program, made[0].program);
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/other.jpg")));
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/after.jpg")));
    EXPECT_TRUE(converterFolderEntries().isEmpty());
    firstWindow.reset();
}

TEST_F(ConversionRun, ANoexecConverterFolderFallsBackToTheNextOne)
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
    form->PushButton2->click();
    EXPECT_EQ(messageTexts(), QStringList{"Done."});
    EXPECT_TRUE(QFile::exists(QDir::toNativeSeparators(outputFolder + "/a.jpg")));

    // With no folder left to try, the box says why instead of failing each file silently.
    context.converterFolders = {noexec.path()};
    form = std::make_unique<Form1>(context);
    form->Form_Load();
    form->Text1->setText(outputFolder);
    const QString b = addSource("b.ani");
    form->PushButton2->click();
    const QString text = messageTexts().last();
    EXPECT_TRUE(text.startsWith("Done.\n\nThe converter could not be started from any of its "
                                "folders:\n" +
                                noexec.path() + ": "))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("Permission denied\n\n1 of 1 file could not be converted:\n" + b +
                              ": the converter could not be started"))
        << text.toStdString();
}

TEST_F(ConversionRun, MissingConverterIsReportedAndEveryFileFails)
{
    Form1& window = makeRunForm(QString());
    AppContext broken = window.context();
    broken.loadConverter = []() -> QByteArray { throw AppError::fileNotFound("the converter"); };
    form = std::make_unique<Form1>(broken);
    form->Form_Load();
    form->Text1->setText(outputFolder);
    const QString a = addSource("a.ani");
    const QString b = addSource("b.ani");
    form->PushButton2->click();

    const QStringList texts = messageTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_TRUE(texts[0].contains("in Pellmoor2021/08/31.Form1.PushButton2_Click at line 114"));
    EXPECT_TRUE(texts[1].contains("in Pellmoor2021/08/31.Form1.PushButton2_Click at line 116"));
    EXPECT_TRUE(texts[2].startsWith("Done.\n\n2 of 2 files could not be converted:\n" + a +
                                    ": the converter could not be started"));
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(form->Converting);
}
