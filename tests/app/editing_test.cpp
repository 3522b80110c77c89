// Removing, clearing and reordering list items, driven by mouse and key events sent to the list.
#include "formfixture.h"

#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

namespace {

class Editing : public FormFixture
{
protected:
    Form1& shownForm(const QStringList& items)
    {
        Form1& f = makeForm();
        f.appendPaths(items);
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }

    QWidget* viewport() const { return form->ListView1->viewport(); }

    QPoint rowCentre(int row) const
    {
        return form->ListView1->visualItemRect(form->ListView1->topLevelItem(row - 1)).center();
    }

    // A point of the list below the last item.
    QPoint emptySpot() const { return {10, viewport()->height() - 2}; }

    void press(QPoint at) { QTest::mousePress(viewport(), Qt::LeftButton, {}, at); }
    void moveTo(QPoint at) { QTest::mouseMove(viewport(), at); }
    void release(QPoint at) { QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at); }

    void drag(int fromRow, std::initializer_list<int> overRows)
    {
        press(rowCentre(fromRow));
        QPoint last = rowCentre(fromRow);
        for (int row : overRows) {
            last = rowCentre(row);
            moveTo(last);
        }
        release(last);
    }

    void doubleClick(QPoint at)
    {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at);
    }

    void click(int row) { QTest::mouseClick(viewport(), Qt::LeftButton, {}, rowCentre(row)); }

    // Rows whose whole height shows in the list.
    bool fullyVisible(int row) const
    {
        const QRect rect = form->ListView1->visualItemRect(form->ListView1->topLevelItem(row - 1));
        return rect.top() >= 0 && rect.bottom() < viewport()->height();
    }

    void writeDragIcon()
    {
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::darkBlue);
        ASSERT_TRUE(image.save(programFolder + "/drag.ico", "ICO"));
    }

    const QStringList abcd{"/f/a.ani", "/f/b.ani", "/f/c.ani", "/f/d.ani"};
};

TEST_F(Editing, DeleteAndDoubleClickRemoveTheSelectedItemOnly)
{
    Form1& f = shownForm(abcd);
    click(2);
    QTest::keyClick(f.ListView1, Qt::Key_Delete);
    EXPECT_EQ(f.itemTexts(), (QStringList{"/f/a.ani", "/f/c.ani", "/f/d.ani"}));

    for (Qt::KeyboardModifiers held : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        click(1);
        QTest::keyClick(f.ListView1, Qt::Key_Delete, held);
    }
    EXPECT_EQ(f.itemTexts(), QStringList{});

    f.appendPaths(abcd);
    doubleClick(rowCentre(3));
    EXPECT_EQ(f.itemTexts(), (QStringList{"/f/a.ani", "/f/b.ani", "/f/d.ani"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Editing, OtherKeysDoNothing)
{
    Form1& f = shownForm(abcd);
    click(2);
    for (Qt::Key key :
         {Qt::Key_Backspace, Qt::Key_D, Qt::Key_Escape, Qt::Key_Insert, Qt::Key_Period})
        QTest::keyClick(f.ListView1, key);
    EXPECT_EQ(f.itemTexts(), abcd);
    EXPECT_EQ(f.selectedIndex(), 2);
}

TEST_F(Editing, NothingIsRemovedWhileTheHourglassShows)
{
    Form1& f = shownForm(abcd);
    click(2);
    f.setMousePointer(MousePointer::kHourglass);
    QTest::keyClick(f.ListView1, Qt::Key_Delete);
    doubleClick(rowCentre(2));
    QTest::mouseClick(f.PushButton6, Qt::LeftButton);
    EXPECT_EQ(f.itemTexts(), abcd);

    f.setMousePointer(MousePointer::kDefault);
    QTest::mouseClick(f.PushButton6, Qt::LeftButton);
    EXPECT_EQ(f.itemCount(), 0);
    QTest::mouseClick(f.PushButton6, Qt::LeftButton);
    EXPECT_EQ(f.itemCount(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Editing, WithoutASelectedItemRemovalDoesNothing)
{
    Form1& f = shownForm(abcd);
    f.ListView1->clearSelection();
    QTest::keyClick(f.ListView1, Qt::Key_Delete);
    doubleClick(emptySpot());
    EXPECT_EQ(f.itemTexts(), abcd);
}

TEST_F(Editing, DraggingWalksTheFileOnePlacePerItemPassed)
{
    Form1& f = shownForm(abcd);
    drag(3, {2, 1});
    EXPECT_EQ(f.itemTexts(), (QStringList{"/f/c.ani", "/f/a.ani", "/f/b.ani", "/f/d.ani"}));
    EXPECT_EQ(f.selectedIndex(), 1);
    EXPECT_FALSE(f.ListMouseDown);
}

TEST_F(Editing, AJumpOverSeveralItemsSwapsTwoFilesOnly)
{
    Form1& f = shownForm(abcd);
    drag(1, {4});
    EXPECT_EQ(f.itemTexts(), (QStringList{"/f/d.ani", "/f/b.ani", "/f/c.ani", "/f/a.ani"}));
    EXPECT_EQ(f.selectedIndex(), 4);
}

TEST_F(Editing, EqualTextsNeverSwapButTheDragGoesOn)
{
    Form1& f = shownForm({"/f/x.ani", "/f/x.ani", "/f/y.ani"});
    press(rowCentre(1));
    moveTo(rowCentre(2));
    EXPECT_EQ(f.selectedIndex(), 1);
    moveTo(rowCentre(3));
    release(rowCentre(3));
    EXPECT_EQ(f.itemTexts(), (QStringList{"/f/y.ani", "/f/x.ani", "/f/x.ani"}));
    EXPECT_EQ(f.selectedIndex(), 3);
}

TEST_F(Editing, MovesWithoutTheButtonHeldChangeNothing)
{
    Form1& f = shownForm(abcd);
    click(1);
    f.ListView1_MouseMove(rowCentre(4));
    EXPECT_EQ(f.itemTexts(), abcd);
}

TEST_F(Editing, APressOnEmptySpaceMovesTheFileDraggedLast)
{
    Form1& f = shownForm(abcd);
    drag(2, {3});
    ASSERT_EQ(f.itemTexts(), (QStringList{"/f/a.ani", "/f/c.ani", "/f/b.ani", "/f/d.ani"}));
    press(emptySpot());
    moveTo(rowCentre(4));
    release(rowCentre(4));
    EXPECT_EQ(f.itemTexts(), (QStringList{"/f/a.ani", "/f/c.ani", "/f/d.ani", "/f/b.ani"}));
}

TEST_F(Editing, ADraggedItemThatWasRemovedMovesNothing)
{
    Form1& f = shownForm(abcd);
    click(2);
    QTest::keyClick(f.ListView1, Qt::Key_Delete);
    press(emptySpot());
    moveTo(rowCentre(1));
    moveTo(rowCentre(3));
    release(rowCentre(3));
    EXPECT_EQ(f.itemTexts(), (QStringList{"/f/a.ani", "/f/c.ani", "/f/d.ani"}));

    click(3);
    QTest::mouseClick(f.PushButton6, Qt::LeftButton);
    f.appendPaths(abcd);
    press(emptySpot());
    moveTo(rowCentre(1));
    release(rowCentre(1));
    EXPECT_EQ(f.itemTexts(), abcd);
}

TEST_F(Editing, TheDragPointerShowsFromThePressAndTheArrowAfterRelease)
{
    writeDragIcon();
    Form1& f = shownForm(abcd);
    press(rowCentre(2));
    EXPECT_EQ(f.ListView1->cursor().shape(), Qt::BitmapCursor);
    release(rowCentre(2));
    EXPECT_EQ(f.ListView1->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Editing, ReleaseRestoresTheArrowEvenWithoutAnItemClick)
{
    Form1& f = shownForm(abcd);
    press(emptySpot());
    release(emptySpot());
    EXPECT_EQ(f.ListView1->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Editing, AMissingDragIconLeavesTheDefaultPointer)
{
    Form1& f = shownForm(abcd);
    press(rowCentre(3));
    EXPECT_FALSE(f.ListView1->testAttribute(Qt::WA_SetCursor));
    moveTo(rowCentre(2));
    release(rowCentre(2));
    EXPECT_EQ(f.itemTexts(), (QStringList{"/f/a.ani", "/f/c.ani", "/f/b.ani", "/f/d.ani"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Editing, AMoveOverTheListRestoresTheWindowPointerUnlessBusy)
{
    Form1& f = shownForm(abcd);
    f.setMousePointer(MousePointer::kCustom);
    QTest::mouseMove(viewport(), rowCentre(1));
    QTest::mouseMove(viewport(), rowCentre(2));
    EXPECT_EQ(f.mousePointer(), MousePointer::kDefault);
    f.setMousePointer(MousePointer::kHourglass);
    QTest::mouseMove(viewport(), rowCentre(3));
    EXPECT_EQ(f.mousePointer(), MousePointer::kHourglass);
}

class ScrollBands : public Editing
{
protected:
    void SetUp() override
    {
        Editing::SetUp();
        QStringList many;
        for (int i = 1; i <= 60; ++i)
            many.append(QStringLiteral("/f/%1.ani").arg(i));
        shownForm(many);
        list = form->ListView1;
        list->scrollToItem(list->topLevelItem(19), QAbstractItemView::PositionAtTop);
        top = list->indexOfTopLevelItem(list->itemAt(5, 1)) + 1;
        bottom = list->indexOfTopLevelItem(list->itemAt(5, viewport()->height() - 2)) + 1;
        ASSERT_EQ(top, 20);
        ASSERT_GT(bottom, top + 3);
    }

    QTreeWidget* list = nullptr;
    int top = 0;
    int bottom = 0;
};

TEST_F(ScrollBands, ASwapInTheTopRowRevealsTheItemAbove)
{
    ASSERT_FALSE(fullyVisible(top - 1));
    drag(top + 1, {top});
    EXPECT_EQ(form->itemText(top), "/f/21.ani");
    EXPECT_TRUE(fullyVisible(top - 1));
}

TEST_F(ScrollBands, ASwapInTheBottomRowRevealsTheItemBelow)
{
    ASSERT_FALSE(fullyVisible(bottom + 1));
    press(rowCentre(bottom - 1));
    const QPoint nearBottom(5, viewport()->height() - 2);
    moveTo(nearBottom);
    release(nearBottom);
    EXPECT_EQ(form->itemText(bottom), QStringLiteral("/f/%1.ani").arg(bottom - 1));
    EXPECT_TRUE(fullyVisible(bottom + 1));
}

TEST_F(ScrollBands, ASwapBetweenTheBandsDoesNotScroll)
{
    const int before = list->verticalScrollBar()->value();
    drag(top + 2, {top + 1});
    EXPECT_EQ(form->itemText(top + 1), QStringLiteral("/f/%1.ani").arg(top + 2));
    EXPECT_EQ(list->verticalScrollBar()->value(), before);
}

} // namespace
