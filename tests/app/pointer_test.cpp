#include "formfixture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSlider>
#include <QTreeWidget>
#include <QtTest/QTest>

namespace {

using WindowPointer = FormFixture;

void hover(QWidget* widget)
{
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(widget, &enter);
}

TEST_F(WindowPointer, ButtonsShowTheHandAndFramesTheDefault)
{
    Form1& w = makeForm();
    hover(w.PushButton7);
    EXPECT_EQ(w.mousePointer(), MousePointer::kCustom);
    hover(w.Frame2);
    EXPECT_EQ(w.mousePointer(), MousePointer::kDefault);
    hover(w.PushButton9);
    EXPECT_EQ(w.mousePointer(), MousePointer::kCustom);
    w.Form_MouseMove();
    EXPECT_EQ(w.mousePointer(), MousePointer::kDefault);
}

TEST_F(WindowPointer, LeavingAButtonForTheWindowsOwnBackgroundResetsIt)
{
    Form1& w = makeForm();
    w.show();
    // A margin, the gap between two buttons, and the progress bar.
    for (const QPoint at : {QPoint(3, 3), QPoint(267, 200), w.ProgressBar1->geometry().center()}) {
        // Through the window, so each move goes where the pointer is, as a real one does.
        QTest::mouseMove(w.windowHandle(), w.PushButton1->geometry().center());
        EXPECT_EQ(w.mousePointer(), MousePointer::kCustom);
        QTest::mouseMove(w.windowHandle(), at);
        EXPECT_EQ(w.mousePointer(), MousePointer::kDefault) << at.x() << "," << at.y();
    }
}

TEST_F(WindowPointer, EveryButtonPressesWithEnterAndEveryControlIsReachedByTab)
{
    Form1& w = makeForm();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    int clicks = 0;
    for (QPushButton* button : {w.PushButton6, w.PushButton9}) {
        QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter);
    }
    EXPECT_EQ(clicks, 4);

    // With the second option chosen the folder controls are off; Tab still reaches the options.
    w.Option2->click();
    QSet<QWidget*> reached;
    w.ListView1->setFocus();
    for (int i = 0; i < 30 && QApplication::focusWidget(); ++i) {
        reached.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (QWidget* control :
         std::initializer_list<QWidget*>{w.ListView1, w.PushButton1, w.PushButton4, w.PushButton2,
                                         w.PushButton6, w.PushButton7, w.Slider1, w.Option2})
        EXPECT_TRUE(reached.contains(control)) << control->objectName().toStdString();
}

TEST_F(WindowPointer, HoveringNeverReplacesTheHourglass)
{
    Form1& w = makeForm();
    w.setMousePointer(MousePointer::kHourglass);
    hover(w.PushButton2);
    hover(w.Frame1);
    w.Form_MouseMove();
    EXPECT_EQ(w.mousePointer(), MousePointer::kHourglass);
    EXPECT_EQ(w.cursor().shape(), Qt::WaitCursor);
}

} // namespace

namespace {

using HandCursor = FormFixture;

TEST_F(HandCursor, ShipsWithItsHotSpotAndShowsOverButtons)
{
    // The generated pointer file lies beside the test programs, as beside the real program.
    const QString shipped = QCoreApplication::applicationDirPath() + "/HAND-M.CUR";
    ASSERT_TRUE(QFile::exists(shipped));
    ASSERT_TRUE(QFile::copy(shipped, programFolder + "/HAND-M.CUR"));
    Form1& w = makeForm();
    EXPECT_TRUE(dialogs.messages.empty());
    w.setMousePointer(MousePointer::kCustom);
    const QCursor cursor = w.cursor();
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(11, 1));
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
}

TEST_F(HandCursor, MissingFileLeavesTheDefaultPointer)
{
    Form1& w = makeForm();
    w.setMousePointer(MousePointer::kCustom);
    EXPECT_NE(w.cursor().shape(), Qt::BitmapCursor);
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
