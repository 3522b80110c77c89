#include "apperror.h"
#include "formfixture.h"
#include "nativepaths.h"
#include "openfilesresult.h"
#include "qtdialogs.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

namespace {

using DialogIntake = FormFixture;

const QChar nul(0);

QStringList win(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

TEST(OpenFilesResult, WindowsResultsBecomePaths)
{
    EXPECT_EQ(PathsFromOpenFilesResult("", kWindowsPaths), QStringList());
    EXPECT_EQ(PathsFromOpenFilesResult(R"(C:\cur\arrow.ani)", kWindowsPaths),
              win({R"(C:\cur\arrow.ani)"}));
    // A path the dialog delivers whole is not collapsed.
    EXPECT_EQ(PathsFromOpenFilesResult(R"(C:\cur\\arrow.ani)", kWindowsPaths),
              win({R"(C:\cur\\arrow.ani)"}));
    EXPECT_EQ(PathsFromOpenFilesResult(QString(R"(C:\cur)") + nul + "b.ani" + nul + "a.ani" + nul +
                                           "c.ani",
                                       kWindowsPaths),
              win({R"(C:\cur\b.ani)", R"(C:\cur\a.ani)", R"(C:\cur\c.ani)"}));
    EXPECT_EQ(
        PathsFromOpenFilesResult(QString(R"(D:\)") + nul + "a.ani" + nul + "b.ani", kWindowsPaths),
        win({R"(D:\a.ani)", R"(D:\b.ani)"}));
    EXPECT_EQ(PathsFromOpenFilesResult(
                  QString(R"(\\srv\share\cur)") + nul + "a.ani" + nul + "b.ani", kWindowsPaths),
              win({R"(\\srv\share\cur\a.ani)", R"(\\srv\share\cur\b.ani)"}));
}

TEST(QtDialogs, BoxesShowTheirTextAsPlainText)
{
    QtDialogs dialogs;
    const QString text = "Cannot read /tmp/<b>bold</b> & co/HAND-M.CUR\r\nat line 104";
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        shown = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
        box->accept();
    });
    dialogs.messageBox(text, "Application Error", MessageButtons::Ok, MessageIcon::Warning);
    EXPECT_EQ(shown, "Cannot read /tmp/<b>bold</b> & co/HAND-M.CUR\nat line 104");
}

TEST(OpenFilesResult, RealDialogAnswerIsComposedAndLimited)
{
    EXPECT_EQ(OpenFilesResult({}, 30000), "");
    EXPECT_EQ(OpenFilesResult(NativeList({"/home/u/a.ani"}), 30000), Native("/home/u/a.ani"));
    EXPECT_EQ(OpenFilesResult(NativeList({"/home/u/a.ani", "/home/u/b.ani"}), 30000),
              Native("/home/u") + nul + "a.ani" + nul + "b.ani");
    EXPECT_EQ(OpenFilesResult(NativeList({"/a.ani", "/b.ani"}), 30000),
              Native("/") + nul + "a.ani" + nul + "b.ani");
    // Typed names with folders of their own, or paths in different folders, reach the list whole.
    for (const QStringList& chosen :
         {QStringList{"/g/a.ani", "/g/sub/s.ani"}, QStringList{"/x/a.ani", "/y/b.ani", "/x/a.ani"}})
        EXPECT_EQ(PathsFromOpenFilesResult(OpenFilesResult(NativeList(chosen), 30000)),
                  NativeList(chosen));
    QStringList many;
    for (int i = 0; i < 3000; ++i)
        many << QString("/home/u/cursor-%1.ani").arg(i, 5, 10, QChar('0'));
    try {
        OpenFilesResult(many, 30000);
        FAIL() << "a result over 30000 characters must be refused";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::kBufferTooSmall);
    }
}

TEST_F(DialogIntake, OneFileIsListedExactlyAsChosenAndDuplicatesStay)
{
    Form1& w = makeForm();
    const QString path = QString::fromUtf8("/home/u/Курсоры/光标 🖱.ani");
    dialogs.openFilesAnswers.push_back([&](int) { return path; });
    dialogs.openFilesAnswers.push_back([&](int) { return path; });
    QTest::mouseClick(w.PushButton1, Qt::LeftButton);
    w.PushButton1_Click();
    EXPECT_EQ(w.itemTexts(), QStringList({path, path}));
    ASSERT_EQ(dialogs.openFilesRequests.size(), 2u);
    EXPECT_EQ(dialogs.openFilesRequests[0],
              QStringList({"Add File(s) - Hold Ctrl to select multiple files",
                           "ANI Files (*.ani)|*.ani|", "30000"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DialogIntake, SeveralFilesFollowTheItemsAlreadyListed)
{
    Form1& w = makeForm();
    w.appendPath("/first.ani");
    dialogs.openFilesAnswers.push_back(
        [](int) { return Native(DrivePrefix() + "/data/cur/") + nul + "z.ani" + nul + "a.ani"; });
    w.PushButton1_Click();
    EXPECT_EQ(w.itemTexts(), QStringList({"/first.ani", Native(DrivePrefix() + "/data/cur/z.ani"),
                                          Native(DrivePrefix() + "/data/cur/a.ani")}));
}

TEST_F(DialogIntake, CancelAddsNothingAndSaysNothing)
{
    Form1& w = makeForm();
    w.PushButton1_Click();
    EXPECT_EQ(w.itemCount(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DialogIntake, TooManyFilesShowTheirOwnBoxAndAddNothing)
{
    Form1& w = makeForm();
    w.appendPath("/kept.ani");
    dialogs.openFilesAnswers.push_back(
        [](int) -> QString { throw AppError(ErrorNumber::kBufferTooSmall, "buffer too small"); });
    w.PushButton1_Click();
    EXPECT_EQ(w.itemTexts(), QStringList({"/kept.ani"}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "You've selected too many files to add.\r\rPlease try "
                                        "adding via the \"Add All\" button.");
    EXPECT_EQ(dialogs.messages[0].title, "Corvenda");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
}

TEST_F(DialogIntake, OtherDialogErrorsGetTheOrdinaryReport)
{
    Form1& w = makeForm();
    dialogs.openFilesAnswers.push_back([](int) -> QString { throw AppError::invalidArgument(); });
    w.PushButton1_Click();
    EXPECT_EQ(w.itemCount(), 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Application Error");
    EXPECT_TRUE(dialogs.messages[0].text.contains(
        "in Pellmoor2021/08/31.Form1.PushButton1_Click at line 112\r\r"));
}

} // namespace
