// Linux cursors from the window: the sizes in the quality frame, "Save as: Linux cursor theme"
// with the generated theme packs and the real converter, the final box's install and preview.
#include "runfixture.h"
#include "themepreviewdialog.h"
#include "xcursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QGroupBox>
#include <set>

namespace {

const QString kInstall = QStringLiteral("&Install for Me");
const QString kSee = QStringLiteral("&See the Cursors");

class ThemesWindow : public ConversionRunFixture
{
protected:
    // Tests that install have a home of their own, so nothing reaches the tester's themes.
    void useOwnHome()
    {
        keptHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(temp.filePath("home")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(temp.filePath("home/.local/share")));
    }
    void TearDown() override
    {
        ConversionRunFixture::TearDown();
        qunsetenv("XDG_DATA_HOME");
        if (!keptHome.isEmpty())
            qputenv("HOME", keptHome);
    }

    QByteArray keptHome;

    void choose(OutputChoice choice)
    {
        form->Combo1->setCurrentIndex(static_cast<int>(OutputChoices().indexOf(choice)));
    }

    QCheckBox* sizeBox(int size) const
    {
        return form->findChild<QCheckBox*>(QStringLiteral("Size%1").arg(size));
    }

    // Every file of a generated pack, as dropping its folder lists them.
    void listPack(const QString& name)
    {
        QStringList files;
        QDirIterator walk(QStringLiteral(THEME_PACKS_DIR) + "/" + name, QDir::Files | QDir::Hidden,
                          QDirIterator::Subdirectories);
        while (walk.hasNext())
            files.append(QDir::toNativeSeparators(walk.next()));
        files.sort();
        form->appendPaths(files);
    }

    // Presses "Start Converting" and lets events run until `runs` runs have ended (a theme run
    // and the install that its box started).
    void runsToEnd(Form1& window, int runs)
    {
        int ended = 0;
        QEventLoop loop;
        QObject::connect(&window, &Form1::conversionFinished, &loop, [&] {
            if (++ended == runs)
                loop.quit();
        });
        window.PushButton2->click();
        QTimer::singleShot(120'000, &loop, &QEventLoop::quit);
        if (ended < runs)
            loop.exec();
        EXPECT_EQ(ended, runs);
        EXPECT_FALSE(window.Converting);
    }

    QString out(const QString& name) const
    {
        return QDir::toNativeSeparators(outputFolder + "/" + name);
    }
};

} // namespace

TEST_F(ThemesWindow, CursorSizesShareTheQualityFrameAndAreStored)
{
    makeRunForm();
    choose(OutputChoice::CursorTheme);
    EXPECT_EQ(form->Frame1->title(), "Linux cursor sizes, in pixels");
    EXPECT_FALSE(form->Slider1->isVisibleTo(form.get()));
    EXPECT_TRUE(form->SizesRow->isVisibleTo(form.get()));
    EXPECT_FALSE(form->BackgroundButton->isEnabled());
    EXPECT_TRUE(form->FileSizes->isChecked());
    EXPECT_FALSE(sizeBox(24)->isEnabled());
    EXPECT_TRUE(form->cursorSizes().isEmpty());

    // Choosing sizes starts from those desktops' own themes hold.
    form->FileSizes->click();
    EXPECT_EQ(form->cursorSizes(), (QList<int>{24, 32, 48, 64}));
    EXPECT_EQ(stored("CursorSizes"), "24,32,48,64");
    sizeBox(24)->click();
    sizeBox(96)->click();
    EXPECT_EQ(stored("CursorSizes"), "32,48,64,96");
    // Unticking the last size goes back to the files' sizes.
    for (const int size : {32, 48, 64, 96})
        sizeBox(size)->click();
    EXPECT_TRUE(form->FileSizes->isChecked());
    EXPECT_EQ(stored("CursorSizes"), "");

    settings->write("CursorSizes", "32,128");
    makeRunForm();
    EXPECT_EQ(form->cursorSizes(), (QList<int>{32, 128}));
    EXPECT_TRUE(form->SizesRow->isVisibleTo(form.get()));
    // A damaged value is the converter's choice, without a word.
    settings->write("CursorSizes", "32,40");
    makeRunForm();
    EXPECT_TRUE(form->FileSizes->isChecked());
    choose(OutputChoice::JpgFirstFrame);
    EXPECT_TRUE(form->Slider1->isVisibleTo(form.get()));
    EXPECT_FALSE(form->SizesRow->isVisibleTo(form.get()));
    EXPECT_TRUE(dialogs.messages.empty());
}

// Two packs, one with every quirk: a theme each, every file the box must name named; the
// preview shows them and the box comes back; "Install for Me" installs them for the user.
TEST_F(ThemesWindow, PacksBecomeThemesThatArePreviewedAndInstalled)
{
    useOwnHome();
    const QString data = QDir::toNativeSeparators(temp.filePath("home/.local/share"));
    Form1& window = makeRunForm(QString());
    choose(OutputChoice::CursorTheme);
    listPack("ascii");
    listPack("quirks");
    dialogs.actionAnswers = {kSee, kInstall};
    runsToEnd(window, themesInstallHere ? 2 : 1);

    ASSERT_GE(dialogs.messages.size(), 2u);
    const QString box = dialogs.messages[0].text;
    EXPECT_TRUE(box.startsWith("2 cursor files could not be used; each is named below.\n\n"
                               "Made 2 Linux cursor themes:\n\"Neon Ascii\" in " +
                               out("Neon Ascii") + "\n\"Quirky\" in " + out("Quirky")))
        << qPrintable(box);
    for (const char* named : {"Not in the pack: Link Select (link.ani)",
                              "Could not be converted: unavailable.ani (Unavailable): damaged",
                              "the inherited cursor shows: Handwriting",
                              "no theme uses: extra1.ani, extra2.ani, spare.ani"})
        EXPECT_TRUE(box.contains(QString::fromUtf8(named))) << named;
    EXPECT_TRUE(dialogs.messages[0].details.contains(
        QStringLiteral("Busy: sub") + QDir::separator() + "busy.ani, as cursors/wait"));
    EXPECT_EQ(dialogs.messages[1].text, box);
    ASSERT_EQ(dialogs.previews.size(), 1u);
    EXPECT_EQ(dialogs.previews[0].first, (QStringList{out("Neon Ascii"), out("Quirky")}));
    EXPECT_TRUE(QFileInfo::exists(out("Neon Ascii/cursors/default")));

    // The preview plays what was made: every role of the pack, animated.
    ThemePreviewDialog preview(dialogs.previews[0].first, window.applicationTitle());
    EXPECT_EQ(preview.problem(), "");
    EXPECT_EQ(preview.theme().name, "Neon Ascii");
    EXPECT_EQ(preview.shownSteps(), std::vector<int>(ctheme::kRoleCount, 0));
    preview.showAt(250);
    const std::vector<int> later = preview.shownSteps();
    EXPECT_TRUE(std::any_of(later.begin(), later.end(), [](int step) { return step > 0; }));

    if (!themesInstallHere) {
        // Offered only where Linux desktops read themes; the box says how to use them there.
        EXPECT_EQ(dialogs.messages[0].actions, QStringList{kSee});
        EXPECT_TRUE(box.contains("copy its folder to ~/.local/share/icons"));
        return;
    }
    EXPECT_EQ(dialogs.messages[0].actions, (QStringList{kInstall, kSee}));
    ASSERT_EQ(dialogs.messages.size(), 3u);
    const QString installed = dialogs.messages[2].text;
    const QString icons = QDir::toNativeSeparators(data + "/icons/");
    EXPECT_TRUE(installed.contains("Installed 2 Linux cursor themes:\n\"Neon Ascii\" in " + icons +
                                   "Neon Ascii\n\"Quirky\" in " + icons + "Quirky"))
        << qPrintable(installed);
    EXPECT_TRUE(installed.contains("cursor-theme 'Neon Ascii'"));
    EXPECT_TRUE(installed.contains("To uninstall one, delete its folder (named above) and its link "
                                   "of that name in ~/.icons"));
    EXPECT_EQ(QFileInfo(temp.filePath("home/.icons/Quirky")).symLinkTarget(), icons + "Quirky");
    EXPECT_EQ(dialogs.messages[2].actions, QStringList{kSee});
    EXPECT_TRUE(QFileInfo::exists(icons + "Neon Ascii/index.theme"));
    EXPECT_TRUE(QFileInfo::exists(icons + "Quirky/cursors/left_ptr"));

    // Made again, a theme already there keeps it: the new one is numbered, and the box says so.
    dialogs.messages.clear();
    runToEnd(window);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        dialogs.messages[0].text.contains("\"Neon Ascii (2)\" in " + out("Neon Ascii (2)")));
}

// A pack of which no theme can be made is a failure with the converter's reason; nothing is
// offered then.
TEST_F(ThemesWindow, APackWithoutCursorsIsAFailureWithItsReason)
{
    Form1& window = makeRunForm(QString());
    choose(OutputChoice::CursorTheme);
    listPack("nothing");
    runToEnd(window);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString pack = QDir::toNativeSeparators(QStringLiteral(THEME_PACKS_DIR) + "/nothing");
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("The theme pack could not be converted:\n" +
                                                    pack + ": no cursor of a Windows role found"))
        << qPrintable(dialogs.messages[0].text);
    EXPECT_TRUE(dialogs.messages[0].text.contains("no theme uses: random.ani"));
    EXPECT_TRUE(dialogs.messages[0].actions.isEmpty());
}

TEST_F(ThemesWindow, XcursorFilesHoldTheChosenSizes)
{
    Form1& window = makeRunForm(QString());
    choose(OutputChoice::Xcursor);
    window.FileSizes->click();
    sizeBox(32)->click();
    sizeBox(64)->click();
    form->appendPath(QDir::toNativeSeparators(QStringLiteral(THEME_PACKS_DIR) + "/ascii/busy.ani"));
    runToEnd(window);
    EXPECT_EQ(messageTexts(), QStringList{"Done."});
    const QByteArray file = readAll(out("busy"));
    const std::vector<nconv::XcursorImage> images = nconv::readXcursor(
        {reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())});
    std::set<std::uint32_t> sizes;
    for (const nconv::XcursorImage& image : images)
        sizes.insert(image.nominal);
    EXPECT_EQ(sizes, (std::set<std::uint32_t>{24, 48}));
}

// "Install for Me" is offered only where Linux desktops read themes installed for the user; it
// runs the converter again on the same packs, with --install.
TEST_F(ThemesWindow, InstallIsOfferedOnlyWhereDesktopsReadThemes)
{
    const QString pack = QDir::toNativeSeparators(temp.filePath("packs/Neon"));
    QDir().mkpath(pack);
    writeFile(pack + "/fake-theme.txt", "theme Neon\n");
    writeFile(pack + "/install.inf", "[Version]\n");
    writeFile(pack + "/arrow.cur", "cursor");
    useOwnHome();
    for (const bool here : {false, true}) {
        themesInstallHere = here;
        dialogs.messages.clear();
        Form1& window = makeRunForm();
        choose(OutputChoice::CursorTheme);
        window.appendPath(pack + QDir::separator() + "arrow.cur");
        dialogs.actionAnswers = {kInstall};
        runsToEnd(window, here ? 2 : 1);
        ASSERT_FALSE(dialogs.messages.empty());
        if (!here) {
            EXPECT_EQ(dialogs.messages[0].actions, QStringList{kSee});
            EXPECT_TRUE(dialogs.messages[0].text.endsWith(
                "To use a theme on Linux, copy its folder to ~/.local/share/icons there and "
                "choose it in the desktop's settings."));
            EXPECT_EQ(dialogs.messages.size(), 1u);
            continue;
        }
        EXPECT_EQ(dialogs.messages[0].actions, (QStringList{kInstall, kSee}));
        ASSERT_EQ(dialogs.messages.size(), 2u);
        EXPECT_EQ(calls().back().arguments, (QStringList{"--install", "-theme", pack}));
        EXPECT_TRUE(dialogs.messages[1].text.contains("Installed 1 Linux cursor theme:"));
    }
}
