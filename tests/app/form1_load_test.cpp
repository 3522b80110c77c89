#include "applicationtitle.h"
#include "formfixture.h"
#include "paths.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTreeWidget>

namespace {

using Form1Load = FormFixture;

TEST_F(Form1Load, FirstStartWithEmptyStore)
{
    Form1& w = makeForm();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w.windowTitle(), "Corvenda");
    EXPECT_EQ(w.applicationTitle(), "Corvenda");
    EXPECT_EQ(w.Text1->text(), DefaultOutputFolderPath());
    EXPECT_EQ(w.Slider1->value(), 85);
    EXPECT_EQ(w.Frame1->title(), "Output JPG image quality: 85%");
    EXPECT_TRUE(w.Option1->isChecked());
    EXPECT_FALSE(w.Option2->isChecked());
    EXPECT_TRUE(w.Frame3->isEnabled());
    EXPECT_EQ(w.ListView1->headerItem()->text(0), "ANI File(s)");
    EXPECT_EQ(w.ListView1->columnWidth(0), 467); // 7000 twips
    EXPECT_EQ(w.ListView1->columnCount(), 1);
    EXPECT_EQ(w.itemCount(), 0);
    EXPECT_EQ(w.ProgressBar1->value(), 0);
    EXPECT_EQ(w.ProgressBar1->format(), "Progress Bar");
    EXPECT_EQ(w.mousePointer(), MousePointer::kDefault);
}

TEST_F(Form1Load, StoredChoicesAreRestored)
{
    settings->write("Option1", "False");
    settings->write("Option2", "True");
    settings->write("Slider1", "40");
    settings->write("Text1", QString::fromUtf8("/tmp/Вывод 出力/"));
    Form1& w = makeForm();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(w.Option1->isChecked());
    EXPECT_TRUE(w.Option2->isChecked());
    EXPECT_FALSE(w.Frame3->isEnabled());
    EXPECT_FALSE(w.Text1->isEnabled());
    EXPECT_FALSE(w.PushButton9->isEnabled());
    EXPECT_EQ(w.Slider1->value(), 40);
    EXPECT_EQ(w.Frame1->title(), "Output JPG image quality: 40%");
    EXPECT_EQ(w.Text1->text(), QString::fromUtf8("/tmp/Вывод 出力/"));
}

TEST_F(Form1Load, StoredNeitherOptionSelectsNeitherAndDisablesTheFolder)
{
    settings->write("Option1", "False");
    settings->write("Option2", "False");
    Form1& w = makeForm();
    EXPECT_FALSE(w.Option1->isChecked());
    EXPECT_FALSE(w.Option2->isChecked());
    EXPECT_FALSE(w.Frame3->isEnabled());
    // The buttons still exclude each other once the user picks one.
    w.Option2->click();
    w.Option1->click();
    EXPECT_TRUE(w.Option1->isChecked());
    EXPECT_FALSE(w.Option2->isChecked());
}

TEST_F(Form1Load, NumericBooleanTextIsAccepted)
{
    settings->write("Option1", "0");
    settings->write("Option2", "-1");
    Form1& w = makeForm();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(w.Option2->isChecked());
    EXPECT_FALSE(w.Frame3->isEnabled());
}

// Values edited by hand or damaged fall back to their defaults without a word, and stay in the
// file until the user changes that choice.
TEST_F(Form1Load, DamagedStoredValuesGiveTheDefaultsSilently)
{
    for (const char* quality : {"abc", "", "0", "101", "99999999999", "nan"}) {
        settings->write("Slider1", quality);
        settings->write("Option1", "maybe");
        settings->write("Option2", "");
        settings->write("OutputFormat", "tiff");
        Form1& w = makeForm();
        EXPECT_TRUE(dialogs.messages.empty()) << quality;
        EXPECT_EQ(w.Slider1->value(), 85) << quality;
        EXPECT_EQ(w.Frame1->title(), "Output JPG image quality: 85%");
        EXPECT_TRUE(w.Option1->isChecked());
        EXPECT_FALSE(w.Option2->isChecked());
        EXPECT_TRUE(w.Frame3->isEnabled());
        EXPECT_EQ(w.outputChoice(), OutputChoice::JpgFirstFrame);
        EXPECT_EQ(stored("Slider1"), quality);
        EXPECT_EQ(stored("Option1"), "maybe");
    }
    // A good value next to a bad one is still taken, and nothing is written back at start.
    settings->write("Slider1", "40");
    settings->write("Option2", "True");
    Form1& w = makeForm();
    EXPECT_EQ(w.Slider1->value(), 40);
    EXPECT_TRUE(w.Option2->isChecked());
    EXPECT_EQ(stored("Option1"), "maybe");
    // Once the user picks an option, both are stored as they show.
    w.Option1->click();
    EXPECT_EQ(stored("Option1"), "True");
    EXPECT_EQ(stored("Option2"), "False");
}

TEST_F(Form1Load, HomePageIsVisitedOnlyOnTheSeventhDraw)
{
    drawnPercent = 6;
    makeForm();
    EXPECT_TRUE(dialogs.shellOpened.isEmpty());
    drawnPercent = 7;
    makeForm();
    ASSERT_EQ(dialogs.shellOpened.size(), 1);
    EXPECT_TRUE(dialogs.shellOpened[0].startsWith("https://"));
}

TEST_F(Form1Load, SkinFileChangesTheBackgroundAndAppliesItsStyle)
{
    Form1& plain = makeForm();
    EXPECT_EQ(plain.palette().color(QPalette::Window), QColor(Qt::white));

    QDir(programFolder).mkpath("x");
    QFile skin(programFolder + "/x/o.cjs");
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write("QPushButton { color: rgb(1, 2, 3); }");
    skin.close();
    Form1& skinned = makeForm();
    EXPECT_NE(skinned.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(skinned.styleSheet().contains("rgb(1, 2, 3)"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1Load, UnreadableHandCursorIsReportedAtLine104)
{
    QFile junk(programFolder + "/HAND-M.CUR");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a cursor at all");
    junk.close();
    Form1& w = makeForm();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("at line 104\r\r"));
    EXPECT_EQ(w.windowTitle(), "Corvenda");
}

TEST_F(Form1Load, ControlsStandWhereTheLayoutPutsThem)
{
    Form1& w = makeForm();
    // One row more than the classic 536 x 510 holds "Save as:", below everything else.
    EXPECT_EQ(w.size(), QSize(536, 541));
    EXPECT_GT(w.Combo1->geometry().top(), w.ProgressBar1->geometry().bottom());
    EXPECT_EQ(w.Label1->text(), "Save as:");
    EXPECT_EQ(w.ListView1->geometry(), QRect(8, 8, 520, 169));
    EXPECT_EQ(w.PushButton1->geometry(), QRect(8, 183, 256, 27));
    EXPECT_EQ(w.PushButton4->geometry(), QRect(272, 183, 256, 27));
    EXPECT_EQ(w.PushButton2->text(), "Start Converting");
    EXPECT_EQ(w.PushButton6->text(), "Clear List");
    EXPECT_EQ(w.PushButton7->text(), "Load Sample/Example Files");
    EXPECT_EQ(w.PushButton9->text(), "...");
    EXPECT_EQ(w.Slider1->minimum(), 1);
    EXPECT_EQ(w.Slider1->maximum(), 100);
    EXPECT_EQ(w.Slider1->pageStep(), 5);
    EXPECT_EQ(w.Text1->parentWidget(), w.Frame3);
    EXPECT_EQ(w.Frame3->parentWidget(), w.Frame2);
    EXPECT_TRUE(w.ListView1->toolTip().startsWith("Drag and drop files here."));
    EXPECT_EQ(w.PushButton1->font().pointSizeF(), 11.25);
    EXPECT_TRUE(w.Option1->font().bold());
}

TEST(ApplicationTitle, LosesTheLastWordThenWordsUntilFortyCharacters)
{
    EXPECT_EQ(ApplicationTitleFor("Corvenda"), "Corvenda");
    EXPECT_EQ(ApplicationTitleFor("Corvenda Cursor Converter"), "Corvenda Cursor");
    EXPECT_EQ(ApplicationTitleFor("Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota"),
              "Alpha Beta Gamma Delta Epsilon Zeta Eta");
}

} // namespace
