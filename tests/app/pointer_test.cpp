#include "formfixture.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
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
