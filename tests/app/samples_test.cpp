// "Load Sample/Example Files": the samples beside the program, listed once each, then the question.
#include "formfixture.h"
#include "permissionchecks.h"
#include "samplefiles.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {

class Samples : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        sampleFolder = QDir::toNativeSeparators(programFolder + "/Samples");
        QDir().mkpath(sampleFolder);
        for (const char* name : {"busy.ani", "arrow.ani"}) {
            QFile f(sampleFolder + QDir::separator() + name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        QDir().mkpath(sampleFolder + QDir::separator() + "nested");
        makeForm();
    }

    void clickLoad() { QTest::mouseClick(form->PushButton7, Qt::LeftButton); }
    QString sample(const QString& name) const { return sampleFolder + QDir::separator() + name; }

    void expectQuestion(const ScriptedDialogs::Message& message) const
    {
        EXPECT_EQ(message.text,
                  "Would you like this software to open the folder where these sample "
                  "files are stored (so that you can view them before working with "
                  "them)?");
        EXPECT_EQ(message.title, form->applicationTitle());
        EXPECT_EQ(message.buttons, MessageButtons::YesNo);
        EXPECT_EQ(message.icon, MessageIcon::None);
    }

    QString sampleFolder;
};

TEST_F(Samples, TwoClicksListEachSampleOnceAndAskTwice)
{
    form->appendPath(QStringLiteral("/earlier.ani"));
    clickLoad();
    clickLoad();
    const QStringList expected{"/earlier.ani", sample("arrow.ani"), sample("busy.ani")};
    EXPECT_EQ(form->itemTexts(), expected);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    expectQuestion(dialogs.messages[0]);
    expectQuestion(dialogs.messages[1]);
    EXPECT_TRUE(dialogs.shellOpened.isEmpty());
}

TEST_F(Samples, APathListedInOtherLetterCaseIsListedAgain)
{
    const QString upper = sampleFolder + QDir::separator() + "BUSY.ANI";
    form->appendPath(upper);
    form->appendPath(sample("arrow.ani"));
    clickLoad();
    EXPECT_EQ(form->itemTexts(), (QStringList{upper, sample("arrow.ani"), sample("busy.ani")}));
}

TEST_F(Samples, YesOpensExactlyTheSampleFolder)
{
    dialogs.messageAnswers = {MessageAnswer::Yes};
    clickLoad();
    EXPECT_EQ(dialogs.shellOpened, QStringList{sampleFolder});
}

TEST_F(Samples, AMissingSampleFolderAddsNothingButStillAsks)
{
    QDir(sampleFolder).removeRecursively();
    dialogs.messageAnswers = {MessageAnswer::Yes};
    clickLoad();
    EXPECT_EQ(form->itemCount(), 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    expectQuestion(dialogs.messages[0]);
    EXPECT_EQ(dialogs.shellOpened, QStringList{sampleFolder});
}

TEST_F(Samples, AFolderTheDesktopCannotShowIsExplained)
{
    dialogs.shellOpens = false;
    dialogs.messageAnswers = {MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Yes};
    clickLoad();
    QDir(sampleFolder).removeRecursively();
    clickLoad();
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_TRUE(dialogs.messages[1].text.contains(sampleFolder + " could not be shown: the "
                                                                 "desktop has no program"));
    EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::Warning);
    EXPECT_TRUE(dialogs.messages[3].text.contains(sampleFolder + " was not found"));
}

TEST_F(Samples, AnUnreadableSampleFolderIsReportedAtLine100)
{
    {
        LockedFolder locked(sampleFolder);
        PermissionChecks checks;
        REQUIRE_UNLISTABLE(sampleFolder);
        clickLoad();
    }
    EXPECT_EQ(form->itemCount(), 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Application Error");
    EXPECT_TRUE(dialogs.messages[0].text.contains(
        "in Pellmoor2021/08/31.Form1.PushButton7_Click at line 100"));
}

} // namespace
