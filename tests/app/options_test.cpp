#include "../filelist/foldertree.h"
#include "formfixture.h"
#include "nativepaths.h"

#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
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
    EXPECT_EQ(form->Combo1->count(), 8);
    EXPECT_EQ(form->Combo1->currentText(), "JPG image (first frame)");
    form->Combo1->setCurrentIndex(2);
    EXPECT_EQ(form->Combo1->currentText(), "Animated GIF");
    EXPECT_EQ(stored("OutputFormat"), "gif");
    EXPECT_FALSE(form->Slider1->isEnabled());
    EXPECT_EQ(form->Frame1->title(), "Image quality: not used, GIF keeps up to 256 colours");
    form->Slider1->setValue(40);
    EXPECT_EQ(form->Frame1->title(), "Image quality: not used, GIF keeps up to 256 colours");

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

// The background beside "Save as:" belongs to JPG and GIF: it is picked, shown, stored and
// restored, and a damaged stored value is white.
TEST_F(OutputOptions, TheBackgroundIsPickedForJpgAndGifAndStored)
{
    EXPECT_EQ(form->background(), "#FFFFFF");
    EXPECT_TRUE(form->BackgroundButton->isEnabled());
    dialogs.colourAnswers = {std::nullopt, "#202020"};
    form->BackgroundButton->click();
    EXPECT_EQ(form->background(), "#FFFFFF");
    EXPECT_EQ(stored("Background"), "<absent>");
    form->BackgroundButton->click();
    ASSERT_EQ(dialogs.colourRequests.size(), 2u);
    EXPECT_EQ(dialogs.colourRequests[1].second, "#FFFFFF");
    EXPECT_EQ(form->background(), "#202020");
    EXPECT_EQ(stored("Background"), "#202020");
    EXPECT_EQ(form->BackgroundButton->icon().pixmap(12, 12).toImage().pixelColor(5, 5),
              QColor(0x20, 0x20, 0x20));

    const auto choose = [&](OutputChoice choice) {
        form->Combo1->setCurrentIndex(static_cast<int>(OutputChoices().indexOf(choice)));
        return form->BackgroundButton->isEnabled();
    };
    EXPECT_TRUE(choose(OutputChoice::AnimatedGif));
    EXPECT_FALSE(choose(OutputChoice::PngFirstFrame));
    EXPECT_FALSE(choose(OutputChoice::AnimatedWebp));
    EXPECT_FALSE(choose(OutputChoice::PngStrip));

    makeForm();
    EXPECT_EQ(form->background(), "#202020");
    EXPECT_FALSE(form->BackgroundButton->isEnabled());
    for (const char* junk : {"#12345", "black", "#GGGGGG", "#1234567", ""}) {
        settings->write("Background", junk);
        makeForm();
        EXPECT_EQ(form->background(), "#FFFFFF") << junk;
    }
    settings->write("Background", "a0b1c2");
    makeForm();
    EXPECT_EQ(form->background(), "#A0B1C2");
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
