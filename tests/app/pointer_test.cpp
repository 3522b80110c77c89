#include "formfixture.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>

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

TEST_F(WindowPointer, ClosingTheWindowEndsTheProgram)
{
    Form1& w = makeForm();
    w.show();
    w.close();
    EXPECT_EQ(endProgramCalls, 1);
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
