#include "../filelist/foldertree.h"
#include "formfixture.h"
#include "nativepaths.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

class OutputOptions : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm();
        dialogs.messages.clear();
    }
};

TEST_F(OutputOptions, SliderShowsAndStoresTheQuality)
{
    form->Slider1->setValue(100);
    EXPECT_EQ(form->Frame1->title(), "Output JPG image quality: 100%");
    EXPECT_EQ(stored("Slider1"), "100");
    form->Slider1->setValue(1);
    EXPECT_EQ(form->Frame1->title(), "Output JPG image quality: 1%");
    EXPECT_EQ(stored("Slider1"), "1");
    // Beyond the range the slider keeps its bounds.
    form->Slider1->setValue(0);
    EXPECT_EQ(stored("Slider1"), "1");
}

// "Save as:" is stored, restored at the next start, and turns the slider off for lossless outputs.
TEST_F(OutputOptions, SaveAsChoiceIsStoredAndRestoredAndRulesTheSlider)
{
    EXPECT_EQ(form->Combo1->count(), 6);
    EXPECT_EQ(form->Combo1->currentText(), "JPG image (first frame)");
    form->Combo1->setCurrentIndex(2);
    EXPECT_EQ(form->Combo1->currentText(), "Animated GIF");
    EXPECT_EQ(stored("OutputFormat"), "gif");
    EXPECT_FALSE(form->Slider1->isEnabled());
    EXPECT_EQ(form->Frame1->title(), "Image quality: not used, Animated GIF keeps every pixel");
    form->Slider1->setValue(40);
    EXPECT_EQ(form->Frame1->title(), "Image quality: not used, Animated GIF keeps every pixel");

    makeForm();
    EXPECT_EQ(form->outputChoice(), OutputChoice::AnimatedGif);
    EXPECT_FALSE(form->Slider1->isEnabled());
    form->Combo1->setCurrentIndex(0);
    EXPECT_TRUE(form->Slider1->isEnabled());
    EXPECT_EQ(form->Frame1->title(), "Output JPG image quality: 40%");

    settings->write("OutputFormat", "tiff");
    makeForm();
    EXPECT_EQ(form->outputChoice(), OutputChoice::JpgFirstFrame);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OutputOptions, SaveOptionStoresBothKeysAndEnablesTheFolderOnlyWithOption1)
{
    ASSERT_TRUE(form->Option1->isChecked());
    ASSERT_TRUE(form->Frame3->isEnabled());
    form->Option2->setChecked(true);
    EXPECT_EQ(stored("Option1"), "False");
    EXPECT_EQ(stored("Option2"), "True");
    EXPECT_FALSE(form->Frame3->isEnabled());
    EXPECT_FALSE(form->Text1->isEnabled());
    EXPECT_FALSE(form->PushButton9->isEnabled());

    QTest::mouseClick(form->Option1, Qt::LeftButton);
    EXPECT_TRUE(form->Option1->isChecked());
    EXPECT_EQ(stored("Option1"), "True");
    EXPECT_EQ(stored("Option2"), "False");
    EXPECT_TRUE(form->Frame3->isEnabled());
}

TEST_F(OutputOptions, FolderTextIsStoredOnEveryChange)
{
    form->Text1->clear();
    EXPECT_EQ(stored("Text1"), "");
    QTest::keyClicks(form->Text1, "/ou");
    EXPECT_EQ(stored("Text1"), "/ou");
    QTest::keyClicks(form->Text1, "t");
    EXPECT_EQ(stored("Text1"), "/out");
    QTest::keyClick(form->Text1, Qt::Key_Backspace);
    EXPECT_EQ(stored("Text1"), "/ou");
}

TEST_F(OutputOptions, APastedQuotedOrHomePathBecomesTheFolderItNames)
{
    form->Text1->setText("\"/out dir/\"");
    EXPECT_EQ(form->Text1->text(), "/out dir/");
    EXPECT_EQ(stored("Text1"), "/out dir/");
    form->Text1->clear();
    QTest::keyClicks(form->Text1, "~/a b ");
    EXPECT_EQ(form->Text1->text(), QDir::toNativeSeparators(QDir::homePath()) + "/a b ");
}

TEST_F(OutputOptions, ChoosingTheOutputFolder)
{
    FolderTree tree;
    tree.folder("Images");
    const QString images = tree.path("Images");

    dialogs.browseAnswers = {images};
    form->PushButton9_Click();
    EXPECT_EQ(form->Text1->text(), images + QDir::separator());
    EXPECT_EQ(stored("Text1"), images + QDir::separator());
    EXPECT_EQ(stored("LastFolderDot"), images);
    ASSERT_EQ(dialogs.browses.size(), 1u);
    EXPECT_EQ(dialogs.browses[0].prompt, "Please select folder:");
    EXPECT_EQ(dialogs.browses[0].start, "");

    // A dialog answer with its own trailing separator still gives one.
    dialogs.browseAnswers = {images + QDir::separator()};
    form->PushButton9_Click();
    EXPECT_EQ(form->Text1->text(), images + QDir::separator());
    EXPECT_EQ(stored("LastFolderDot"), images);
    EXPECT_EQ(dialogs.browses[1].start, images);

    // Cancel changes nothing.
    form->PushButton9_Click();
    EXPECT_EQ(form->Text1->text(), images + QDir::separator());
    EXPECT_EQ(stored("LastFolderDot"), images);

    // A root is taken unchanged.
    const QString root = Native(QDir::rootPath());
    dialogs.browseAnswers = {root};
    form->PushButton9_Click();
    EXPECT_EQ(form->Text1->text(), root);
    EXPECT_EQ(stored("Text1"), root);
    EXPECT_EQ(stored("LastFolderDot"), root);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OutputOptions, ChoicesAreReadBackAfterARestart)
{
    form->Text1->setText("/out/jpg/");
    form->Slider1->setValue(42);
    form->Option2->setChecked(true);
    dialogs.browseAnswers = {"/srv/images"};
    form->PushButton9_Click();
    form->Text1->setText("/typed/");

    form.reset();
    settings = std::make_unique<SettingsStore>(temp.filePath(QStringLiteral("settings.ini")));
    makeForm();
    EXPECT_EQ(form->Text1->text(), "/typed/");
    EXPECT_EQ(form->Slider1->value(), 42);
    EXPECT_EQ(form->Frame1->title(), "Output JPG image quality: 42%");
    EXPECT_FALSE(form->Option1->isChecked());
    EXPECT_TRUE(form->Option2->isChecked());
    EXPECT_FALSE(form->Frame3->isEnabled());

    form->PushButton9_Click();
    EXPECT_EQ(dialogs.browses.back().start, "/srv/images");
}

} // namespace
